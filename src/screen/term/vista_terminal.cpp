// The settings screen on a terminal: a line-oriented menu on standard error
// and standard input, for `vardel settings`. Message boxes and the folder
// request go through the terminal rendering of the operator layer.
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "core/text.h"
#include "platform/ansi.h"
#include "platform/posix/terminal.h"
#include "screen/textos_configuracion.h"
#include "screen/vista_configuracion.h"
#include "settings/configuracion.h"

namespace vardel::term {

namespace {

// One column a character.
std::string Rellena(const std::string& texto, std::size_t ancho) {
  const std::size_t columnas = CuentaCaracteres(texto);
  return columnas >= ancho ? texto + " " : texto + std::string(ancho - columnas, ' ');
}

// A button's caption without its access-key marker.
std::string SinAcceso(const char* rotulo) {
  std::string texto;
  for (const char* c = rotulo; *c != '\0'; ++c) {
    if (*c != '&') {
      texto += *c;
    }
  }
  return texto;
}

constexpr std::size_t kAnchoEtiqueta = 24;

class VistaTerminal final : public VistaConfiguracion {
 public:
  void MuestraModal(OyenteVista& oyente) override {
    mostrada_ = true;
    while (mostrada_) {
      Dibuja(oyente);
      const std::optional<std::string> linea = platform::LeeLineaBombeando();
      if (!linea) {
        FinDeEntrada(oyente);
        continue;
      }
      Atiende(oyente, MayusculasAscii(Recorta(*linea)));
    }
    mostrada_ = false;
  }

  void Oculta() override { mostrada_ = false; }

  // The menu is drawn afresh before every choice, so texts put by the logic
  // show then.
  void PonTexto(Campo, const std::string&) override {}
  void SenalaCambios() override {}

 private:
  void Dibuja(const OyenteVista& oyente) const {
    const auto fila = [&oyente](const char* opcion, const char* etiqueta, Campo campo,
                                bool soloLectura) {
      std::fprintf(stderr, "  %s %s%s%s\n", opcion, Rellena(etiqueta, kAnchoEtiqueta).c_str(),
                   Rellena("[" + oyente.Texto(campo) + "]", 12).c_str(),
                   soloLectura ? "(solo lectura)" : "");
    };
    std::fprintf(stderr, "\n==== %s ====\n\n", kTituloPantalla);
    std::fprintf(stderr, " %s - %s\n", kMarcoImagenes, kMarcoAnversoReverso);
    fila("  ", kEtiquetaResolucion, Campo::ResolucionAR, true);
    fila("  ", kEtiquetaTipo, Campo::TipoAR, true);
    std::fprintf(stderr, "\n %s\n", kMarcoAuxiliares);
    fila("  ", kEtiquetaModoLectura, Campo::ModoLectura, true);
    fila("1)", kEtiquetaCadenaImpre, Campo::CadenaImpre, false);
    fila("2)", kEtiquetaDirecImagenes, Campo::DirecImagenes, false);
    std::fprintf(stderr, "  3) %s (elegir carpeta)\n\n", kBotonSelDirectorio);
    std::fprintf(stderr, "  A) %s%s   C) %s\n", SinAcceso(kBotonAceptar).c_str(),
                 oyente.CambiosSenalados() ? " [cambios pendientes]" : "",
                 SinAcceso(kBotonCancelar).c_str());
    std::fprintf(stderr, "Opción: ");
    std::fflush(stderr);
  }

  void Atiende(OyenteVista& oyente, const std::string& opcion) {
    if (opcion == "1") {
      Edita(oyente, Campo::CadenaImpre, kEtiquetaCadenaImpre);
    } else if (opcion == "2") {
      Edita(oyente, Campo::DirecImagenes, kEtiquetaDirecImagenes);
    } else if (opcion == "3" || opcion == "...") {
      oyente.SelDirectorioPulsado();
    } else if (opcion == "A") {
      oyente.GuardarPulsado();
    } else if (opcion == "C") {
      oyente.CancelarPulsado();
    } else if (!opcion.empty()) {
      std::fprintf(stderr, "Opción no válida: %s\n", opcion.c_str());
    }
  }

  // A new text for an editable field: Intro keeps it, a lone "-" empties it.
  void Edita(OyenteVista& oyente, Campo campo, const char* etiqueta) {
    std::fprintf(stderr, "%s [%s]\n(Intro lo deja igual, - lo deja vacío) > ", etiqueta,
                 oyente.Texto(campo).c_str());
    std::fflush(stderr);
    const std::optional<std::string> linea = platform::LeeLineaBombeando();
    if (!linea) {
      FinDeEntrada(oyente);
      return;
    }
    if (linea->empty()) {
      return;
    }
    if (campo == Campo::DirecImagenes &&
        platform::LargoEnCaracteresAnsi(*linea) > Configuracion::kLargoMaximoValor) {
      // It would be read back cut, and the images go to another folder.
      std::fprintf(stderr, "La ruta tiene más de %zu caracteres: no se cambia.\n",
                   Configuracion::kLargoMaximoValor);
      return;
    }
    oyente.TextoCambiado(campo, *linea == "-" ? std::string() : *linea);
  }

  // End of input is the terminal's close command: it asks as Cancelar does.
  // A terminal can go on after Ctrl-D, so an answer of No keeps the screen;
  // a pipe, a file or a hung-up terminal has nobody left to answer, so the
  // display ends whatever the answer.
  void FinDeEntrada(OyenteVista& oyente) {
    std::fprintf(stderr, "\n");
    oyente.CierrePedido();
    if (!TerminalVivo()) {
      mostrada_ = false;
    }
  }

  // A terminal that can still send input: not a pipe or file, not hung up.
  static bool TerminalVivo() {
    if (!isatty(STDIN_FILENO)) {
      return false;
    }
    pollfd entrada{STDIN_FILENO, POLLIN, 0};
    return ::poll(&entrada, 1, 0) >= 0 && (entrada.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0;
  }

  bool mostrada_ = false;
};

}  // namespace

}  // namespace vardel::term

namespace vardel {

std::unique_ptr<VistaConfiguracion> CreaVistaPlataforma() {
  return std::make_unique<term::VistaTerminal>();
}

}  // namespace vardel
