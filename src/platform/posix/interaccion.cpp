#include <cstdio>
#include <string>

#include "core/text.h"
#include "platform/posix/terminal.h"
#include "vardel/interaccion.h"

// The terminal rendering of the operator's dialogs, on standard error and
// standard input. At end of input a question takes its safe answer: OK for
// a notice, No for a yes/no question.
namespace vardel::platform {

namespace {

std::string ParaTerminal(const std::string& texto) {
  std::string salida = texto;
  for (char& c : salida) {
    if (c == '\r') {
      c = '\n';
    }
  }
  return salida;
}

const char* Marca(IconoMensaje icono) {
  switch (icono) {
    case IconoMensaje::Critico:
      return "[X]";
    case IconoMensaje::Exclamacion:
      return "[!]";
    case IconoMensaje::Informacion:
      return "[i]";
  }
  return "";
}

class InteraccionTerminal final : public Interaccion {
 public:
  RespuestaMensaje MuestraMensaje(const std::string& texto, const std::string& titulo,
                                  BotonesMensaje botones, IconoMensaje icono) override {
    std::fprintf(stderr, "\n== %s ==\n%s %s\n", titulo.c_str(), Marca(icono),
                 ParaTerminal(texto).c_str());
    if (botones == BotonesMensaje::Aceptar) {
      std::fprintf(stderr, "Pulse Intro para aceptar. ");
      std::fflush(stderr);
      LeeLineaBombeando();
      std::fprintf(stderr, "\n");
      return RespuestaMensaje::Aceptar;
    }
    for (;;) {
      std::fprintf(stderr, "¿Sí o No? [s/n] ");
      std::fflush(stderr);
      const auto respuesta = LeeLineaBombeando();
      if (!respuesta) {
        std::fprintf(stderr, "\n");
        return RespuestaMensaje::No;
      }
      const std::string r = Mayusculas(Recorta(*respuesta));
      if (r == "S" || r == "SI" || r == "SÍ" || r == "Y" || r == "YES") {
        return RespuestaMensaje::Si;
      }
      if (r == "N" || r == "NO") {
        return RespuestaMensaje::No;
      }
    }
  }

  std::string EligeCarpeta(const std::string& titulo) override {
    std::fprintf(stderr, "\n%s\nCarpeta (vacío para cancelar): ", titulo.c_str());
    std::fflush(stderr);
    return Recorta(LeeLineaBombeando().value_or(std::string()));
  }
};

}  // namespace

Interaccion& v1::InteraccionPlataforma() {
  static InteraccionTerminal terminal;
  return terminal;
}

}  // namespace vardel::platform
