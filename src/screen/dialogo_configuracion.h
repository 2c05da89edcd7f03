#pragma once

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "screen/vista_configuracion.h"
#include "vardel/boolean.h"
#include "vardel/collection.h"

namespace vardel {

// The settings screen's dialog: its fields, the change tracking, and what
// the "...", Aceptar and Cancelar buttons and the close command do. One
// lives with each load of the screen's window; a view renders it.
class DialogoConfiguracion final : public OyenteVista {
 public:
  // A 3-character field (resolution, file type) keeps this many characters.
  static constexpr std::size_t kLimiteCorto = 3;

  // The window's creation: change tracking stays off until the end of the
  // first load of the fields.
  DialogoConfiguracion() = default;
  DialogoConfiguracion(const DialogoConfiguracion&) = delete;
  DialogoConfiguracion& operator=(const DialogoConfiguracion&) = delete;

  // Settings changed since they were loaded or last saved or discarded.
  Boolean blnCambios = Boolean::False;
  // The fields are being loaded for the first time: changes are not tracked.
  Boolean blnCargando = Boolean::True;

  // Puts the five settings of the collection into the fields.
  void CargaControles(const Collection& col);

  // Shows the screen modally on the view until it is hidden. An error that
  // ends an operator's action closes the screen and is raised from here.
  void MuestraModal(VistaConfiguracion& vista);
  bool Mostrada() const { return vista_ != nullptr; }
  // Ends the modal display.
  void Hide();

  // A change made by the code: runs the change handler when the text is new.
  void PonTexto(Campo campo, std::string texto);

  const std::string& Texto(Campo campo) const override;
  bool CambiosSenalados() const override { return cambiosSenalados_; }

  void TextoCambiado(Campo campo, const std::string& texto) override;
  void ListaPulsada(Lista lista) override;
  void SelDirectorioPulsado() override;
  void GuardarPulsado() override;
  void CancelarPulsado() override;
  void CierrePedido() override;

 private:
  // The handler that every tracked field's change and every list's click run.
  void CambioEnControl();
  // Runs an operator's action; an error it raises ends the display.
  void Atiende(const std::function<void()>& accion);
  void Guarda();
  void Cancela();

  std::array<std::string, kNumeroCampos> textos_;
  bool cambiosSenalados_ = false;
  VistaConfiguracion* vista_ = nullptr;
  std::exception_ptr errorPendiente_;
};

}  // namespace vardel
