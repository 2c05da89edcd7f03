#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vardel::platform {

// True when a file or a directory exists at the path.
bool ExisteRuta(const std::string& ruta);

// Creates one directory level; the parent must exist. Raises the run-time
// error of the failure (76 path not found, 75 access error, 70 denied).
void CreaDirectorio(const std::string& ruta);

// Replaces the file's whole content with the bytes: written to a temporary
// file in the same directory, then renamed over the name, so a failure never
// leaves a half-written file under it. Raises the run-time error of the
// failure (76, 75, 70, 61 disk full).
void EscribeArchivoCompleto(const std::string& ruta, const std::vector<std::uint8_t>& bytes);

// Appends the bytes and CR LF to a text file, creating it when missing; opened
// and closed within the call. Raises the run-time error of the failure.
void AnadeLinea(const std::string& ruta, std::string_view bytes);

}  // namespace vardel::platform
