#pragma once

namespace vardel::cli {

// Why a command was asked to stop: Ctrl+C, SIGTERM, or a standard output
// nobody reads any more (`vardel --json read | head -1`). A read finishes
// the document in flight and feeds no other; watch ends.
enum class MotivoParada { Ninguno, Interrupcion, Terminacion, SalidaCerrada };

// Installs the handlers of SIGINT and SIGTERM (they only note the request)
// and ignores SIGPIPE, so a write to a closed pipe fails with EPIPE instead
// of killing the process in the middle of a document.
void InstalaParada();

// Notes that standard output can no longer be written (a closed pipe, a
// full disk).
void SalidaCerrada();

MotivoParada ParadaPedida();

// The operator's words for the reason, e.g. "Ctrl+C".
const char* TextoParada(MotivoParada motivo);

// The reason in a JSON line: "interrupcion", "terminacion" or
// "salida_cerrada".
const char* ClaveParada(MotivoParada motivo);

}  // namespace vardel::cli
