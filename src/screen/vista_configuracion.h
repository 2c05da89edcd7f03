#pragma once

#include <memory>
#include <string>

namespace vardel {

// The five text fields of the settings screen.
enum class Campo { ResolucionAR, TipoAR, ModoLectura, CadenaImpre, DirecImagenes };
inline constexpr int kNumeroCampos = 5;

// The three drop-down lists. They are never filled from or read into the
// settings; a click in one only marks the settings as changed.
enum class Lista { ResolucionAR, TipoAR, ModoLectura };

// What a view of the settings screen reads and reports. The dialog logic
// holds the fields' texts; a view shows them and reports what the operator
// does, so the same logic drives every rendering.
class OyenteVista {
 public:
  virtual ~OyenteVista() = default;

  // The text a field holds now.
  virtual const std::string& Texto(Campo campo) const = 0;
  // Whether Aceptar shows the "changes pending" state.
  virtual bool CambiosSenalados() const = 0;

  // The operator edited a field: its whole new text.
  virtual void TextoCambiado(Campo campo, const std::string& texto) = 0;
  virtual void ListaPulsada(Lista lista) = 0;
  // "..." (cmdSelDirectorio).
  virtual void SelDirectorioPulsado() = 0;
  // Aceptar (cmdGuardar).
  virtual void GuardarPulsado() = 0;
  // Cancelar (cmdOK).
  virtual void CancelarPulsado() = 0;
  // The window's own close command (the title bar's close box, Alt+F4,
  // Escape; end of input on a terminal).
  virtual void CierrePedido() = 0;
};

// One rendering of the settings screen.
class VistaConfiguracion {
 public:
  virtual ~VistaConfiguracion() = default;

  // Shows the screen modally, with no owner, filled from `oyente`, and
  // returns once Oculta has been called during the display (or when the
  // rendering cannot go on: no desktop, no more input). The thread's timer
  // ticks keep arriving while it waits.
  virtual void MuestraModal(OyenteVista& oyente) = 0;
  // Ends the modal display; the next MuestraModal shows the screen again.
  virtual void Oculta() = 0;

  // The logic put a new text into a field; reports no change back. Called
  // only while the screen is shown.
  virtual void PonTexto(Campo campo, const std::string& texto) = 0;
  // Aceptar takes the "changes pending" state (it is never taken back).
  virtual void SenalaCambios() = 0;
};

// The platform's own rendering: a Win32 dialog on Windows, the terminal on
// POSIX.
std::unique_ptr<VistaConfiguracion> CreaVistaPlataforma();

}  // namespace vardel
