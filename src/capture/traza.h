#pragma once

#include <cstdint>
#include <string>

namespace vardel::captura {

// The trace lines of a pass that fed a document whose data, or one of whose
// images, the host does not get: each names the pass by its error number and
// the code line as read, so the operator knows which cheque to feed again.
// They are written whatever blnLogActivo holds, as the open-failure line is.

// A capture call that failed: a document may have left the tray.
void TrazaCapturaFallida(std::int32_t resultado, std::int16_t indiceError);

// A document that reached the host without data: its status was not 0
// (the status text as read), or its line could not be parsed and no
// no-data collection was built.
void TrazaSinDatos(const std::string& estado, std::int16_t indiceError, const std::string& linea);

// Image k of the document was not stored: numero is the run-time error of
// the write, the fetch's result, or 7 for a size beyond the ceiling.
void TrazaImagenNoGuardada(std::int32_t numero, int k, const std::string& ruta,
                           std::int16_t indiceError, const std::string& linea);

}  // namespace vardel::captura
