#include "mensajes_operador.h"

#include <cstdio>
#include <utility>

#include "salida.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vardel::cli {

namespace {

// The reader's jam: the one message a read shows in the normal course.
bool EsAtasco(const std::string& texto) {
  return texto.find("204") != std::string::npos;
}

}  // namespace

bool EntradaEsTerminal() {
#ifdef _WIN32
  // _isatty also holds for the NUL device; only a console has a mode.
  DWORD modo = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &modo) != 0;
#else
  return isatty(STDIN_FILENO) == 1;
#endif
}

MensajesOperador::MensajesOperador(bool json, std::function<void(const std::string&)> alAtasco,
                                   DestinoLinea destino)
    : json_(json),
      interactivo_(!json && EntradaEsTerminal()),
      alAtasco_(std::move(alAtasco)),
      destino_(std::move(destino)) {
  platform::SustituyeInteraccion(this);
}

MensajesOperador::~MensajesOperador() {
  platform::SustituyeInteraccion(nullptr);
}

platform::RespuestaMensaje MensajesOperador::MuestraMensaje(const std::string& texto,
                                                            const std::string& titulo,
                                                            platform::BotonesMensaje botones,
                                                            platform::IconoMensaje icono) {
  const bool atasco = EsAtasco(texto);
  if (atasco && alAtasco_) {
    alAtasco_(texto);
  }
  if (interactivo_) {
    return platform::InteraccionPlataforma().MuestraMensaje(texto, titulo, botones, icono);
  }
  // Acknowledged at once: OK for a notice, the safe No for a question, as
  // the terminal answers at the end of its input.
  const auto respuesta = botones == platform::BotonesMensaje::Aceptar
                             ? platform::RespuestaMensaje::Aceptar
                             : platform::RespuestaMensaje::No;
  ordered_json linea = {{"tipo", atasco ? "atasco" : "mensaje"}, {"texto", texto}};
  if (atasco) {
    linea["aviso"] = kAvisoAtasco;
  } else {
    linea["titulo"] = titulo;
    linea["respuesta"] = respuesta == platform::RespuestaMensaje::Aceptar ? "Aceptar" : "No";
  }
  if (destino_) {
    destino_(linea);
  } else {
    EmiteLinea(linea, json_ ? stdout : stderr);
  }
  return respuesta;
}

std::string MensajesOperador::EligeCarpeta(const std::string& titulo) {
  if (interactivo_) {
    return platform::InteraccionPlataforma().EligeCarpeta(titulo);
  }
  return "";  // nobody to choose: cancelled
}

}  // namespace vardel::cli
