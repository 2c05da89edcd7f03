#pragma once

#include <optional>
#include <string>

namespace vardel::platform {

// The separator between a directory and a name on this platform.
#ifdef _WIN32
inline constexpr char kSeparador = '\\';
#else
inline constexpr char kSeparador = '/';
#endif

// The folder the component library was loaded from, without a trailing
// separator: GetModuleFileName of the module on Windows, dladdr on POSIX.
std::string DirectorioComponente();

// Test seam: makes DirectorioComponente answer another folder (nullopt
// restores the real one). Tests use it to give each case its own Config.ini.
void SustituyeDirectorioComponente(std::optional<std::string> directorio);

}  // namespace vardel::platform
