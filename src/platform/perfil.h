#pragma once

#include <cstddef>
#include <string>

namespace vardel::platform {

// The private-profile (INI) functions. Windows uses the system's own; POSIX
// has an engine of the project's that gives the same results. Texts are
// UTF-8 and converted to the ANSI code page for the file.
//
// Reads a key as GetPrivateProfileString does: at most capacidad-1 ANSI
// characters are returned; a missing file, section or key gives the
// default.
std::string LeePerfilPrivado(const std::string& seccion, const std::string& clave,
                             const std::string& predeterminado, std::size_t capacidad,
                             const std::string& archivo);

// Writes a key as WritePrivateProfileString does; false when the file could
// not be written (missing directory, read-only file, a link another account
// could have planted). Where the platform knows why, `motivo` gets it.
bool EscribePerfilPrivado(const std::string& seccion, const std::string& clave,
                          const std::string& valor, const std::string& archivo,
                          std::string* motivo = nullptr);

// True when the file has a section of the name, as the functions find it.
bool ExisteSeccionPerfil(const std::string& seccion, const std::string& archivo);

}  // namespace vardel::platform
