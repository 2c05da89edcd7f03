#include "parada.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vardel::cli {

namespace {

// Set by signal handlers and by other threads: lock-free, so a handler
// may write it.
std::atomic<int> motivo{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void AlRecibirSenal(int senal) {
  motivo =
      static_cast<int>(senal == SIGINT ? MotivoParada::Interrupcion : MotivoParada::Terminacion);
#ifndef _WIN32
  // A prompt waiting for Enter (the jam's) reads the end of its input now
  // and takes its answer, so the stop is not held until someone presses a
  // key: the read then ends after the document in flight. Nothing after a
  // stop reads standard input. open, dup2 and close may be called here.
  const int nulo = ::open("/dev/null", O_RDONLY);
  if (nulo >= 0) {
    ::dup2(nulo, STDIN_FILENO);
    ::close(nulo);
  }
#endif
}

#ifdef _WIN32
// How long a console event's handler holds the process once the stop is
// noted: the command returns from main well before, which ends the process
// and this wait with it; the system ends it anyway after its own timeout.
constexpr DWORD kEsperaFinal = 30000;

// Ctrl+C and Ctrl+Break go on to the C runtime's handler (SIGINT, and a
// second Ctrl+C ends the process at once, as before). Closing the console
// window, logoff and shutdown would end the process as soon as the handler
// returned: the stop is noted and the handler waits.
BOOL WINAPI AlEventoConsola(DWORD evento) {
  switch (evento) {
    case CTRL_CLOSE_EVENT:
      PideParada(MotivoParada::Terminacion);
      break;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      PideParada(MotivoParada::FinSesion);
      break;
    default:
      return FALSE;
  }
  Sleep(kEsperaFinal);
  return TRUE;
}
#endif

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
#ifdef _WIN32
  // Registered after the runtime's own (by signal above), so asked first.
  SetConsoleCtrlHandler(AlEventoConsola, TRUE);
#endif
}

void PideParada(MotivoParada m) {
  motivo = static_cast<int>(m);
}

void SalidaCerrada() {
  int ninguno = 0;
  motivo.compare_exchange_strong(ninguno, static_cast<int>(MotivoParada::SalidaCerrada));
}

MotivoParada ParadaPedida() {
  return static_cast<MotivoParada>(motivo.load());
}

const char* TextoParada(MotivoParada m) {
  switch (m) {
    case MotivoParada::Interrupcion:
      return "Ctrl+C";
    case MotivoParada::Terminacion:
#ifdef _WIN32
      return "cierre pedido";
#else
      return "SIGTERM";
#endif
    case MotivoParada::SalidaCerrada:
      return "la salida ya no se puede escribir";
    case MotivoParada::FinSesion:
      return "fin de la sesión de Windows";
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
    case MotivoParada::FinSesion:
      return "fin_sesion";
    case MotivoParada::Ninguno:
      break;
  }
  return "";
}

}  // namespace vardel::cli
