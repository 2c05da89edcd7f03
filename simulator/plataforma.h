#pragma once

#include <string>

namespace mtxsim {

#ifdef _WIN32
inline constexpr char kSeparador = '\\';
#else
inline constexpr char kSeparador = '/';
#endif

// The folder this library was loaded from, without a trailing separator.
std::string DirectorioModulo();
// An environment variable of the process; "" when unset.
std::string VariableEntorno(const char* nombre);
bool EsRutaAbsoluta(const std::string& ruta);
// A path relative to a folder (an absolute path is kept as it is).
std::string Resuelve(const std::string& directorio, const std::string& ruta);
// The folder part of a file path ("" when it has none).
std::string DirectorioDe(const std::string& ruta);

}  // namespace mtxsim
