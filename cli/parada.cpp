#include "parada.h"

#include <csignal>
#include <initializer_list>

namespace vardel::cli {

namespace {

// Written by the handlers: a plain flag of the one type a handler may set.
volatile std::sig_atomic_t motivo = 0;

extern "C" void AlRecibirSenal(int senal) {
  motivo = static_cast<std::sig_atomic_t>(senal == SIGINT ? MotivoParada::Interrupcion
                                                          : MotivoParada::Terminacion);
}

}  // namespace

void InstalaParada() {
  for (const int senal : {SIGINT, SIGTERM}) {
    // A signal the starter chose to ignore (a background job of a script)
    // stays ignored.
    if (std::signal(senal, AlRecibirSenal) == SIG_IGN) {
      std::signal(senal, SIG_IGN);
    }
  }
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

void SalidaCerrada() {
  if (motivo == 0) {
    motivo = static_cast<std::sig_atomic_t>(MotivoParada::SalidaCerrada);
  }
}

MotivoParada ParadaPedida() {
  return static_cast<MotivoParada>(motivo);
}

const char* TextoParada(MotivoParada m) {
  switch (m) {
    case MotivoParada::Interrupcion:
      return "Ctrl+C";
    case MotivoParada::Terminacion:
      return "SIGTERM";
    case MotivoParada::SalidaCerrada:
      return "la salida ya no se puede escribir";
    case MotivoParada::Ninguno:
      break;
  }
  return "";
}

const char* ClaveParada(MotivoParada m) {
  switch (m) {
    case MotivoParada::Interrupcion:
      return "interrupcion";
    case MotivoParada::Terminacion:
      return "terminacion";
    case MotivoParada::SalidaCerrada:
      return "salida_cerrada";
    case MotivoParada::Ninguno:
      break;
  }
  return "";
}

}  // namespace vardel::cli
