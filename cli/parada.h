#pragma once

namespace vardel::cli {

// Why a command was asked to stop: Ctrl+C, SIGTERM (on Windows a close
// request: the console window closed, or WM_CLOSE to the bridge's window,
// which is what taskkill sends), the end of the user's Windows session
// (logoff, shutdown), or a standard output nobody reads any more
// (`vardel --json read | head -1`). A read finishes the document in flight
// and feeds no other; watch and serve end.
enum class MotivoParada { Ninguno, Interrupcion, Terminacion, SalidaCerrada, FinSesion };

// Installs the handlers of SIGINT and SIGTERM (they only note the request)
// and ignores SIGPIPE, so a write to a closed pipe fails with EPIPE instead
// of killing the process in the middle of a document. On Windows also the
// console's close, logoff and shutdown events: noted the same way, then the
// handler waits while the command finishes, since the system ends the
// process as soon as it returns.
void InstalaParada();

// Notes a stop asked for from outside a signal handler (another thread:
// the console's events, the bridge's window on Windows). Safe from any
// thread.
void PideParada(MotivoParada motivo);

// Notes that standard output can no longer be written (a closed pipe, a
// full disk).
void SalidaCerrada();

MotivoParada ParadaPedida();

// The operator's words for the reason, e.g. "Ctrl+C".
const char* TextoParada(MotivoParada motivo);

// The reason in a JSON line: "interrupcion", "terminacion",
// "salida_cerrada" or "fin_sesion".
const char* ClaveParada(MotivoParada motivo);

}  // namespace vardel::cli
