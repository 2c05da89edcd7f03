#pragma once

#include <cstdint>
#include <string>

namespace vardel::capture {

struct EstadoCiclo;

// The trace lines of a pass that fed a document whose data, or one of whose
// images, the host does not get: each names the pass by its error number and
// the code line as read, so the operator knows which cheque to feed again.
// They are written whatever blnLogActivo holds, as the open-failure line is,
// to Lectora.log or, when it cannot take them, to the account's own log.
// A trace neither takes is kept in the cycle's state (trazaPerdida): the
// read then ends before the next capture call. Each marks the pass traced.

// A capture call that failed where a document may have left the tray.
void TrazaCapturaFallida(std::int32_t resultado, EstadoCiclo& estado);

// A document that reached the host without data: its status was not 0
// (the status text as read), or its line could not be parsed and no
// no-data collection was built.
void TrazaSinDatos(const std::string& estadoDocumento, EstadoCiclo& estado);

// Image k of the document was not stored: numero is the run-time error of
// the write, the fetch's result, or 7 for a size beyond the ceiling.
void TrazaImagenNoGuardada(std::int32_t numero, int k, const std::string& ruta,
                           EstadoCiclo& estado);

// The text as a trace line may carry it: every control character (CR, LF,
// tab...) written visibly as \xHH, so nothing the reader sends can break a
// line of the log or forge another; and a backslash followed by "x" as
// \x5C, so that every "\x" in the line starts an escape and two texts never
// give one line (a real ESC gives \x1B, the text "\x1B" gives \x5Cx1B).
std::string SinControles(const std::string& texto);

}  // namespace vardel::capture
