#pragma once

#include <string>
#include <string_view>

namespace vardel::platform {

// Text is UTF-8 inside the component. Files, the settings engine and the
// reader library speak the 8-bit ANSI code page: the system's code page on
// Windows, Windows-1252 on POSIX. A character the code page lacks becomes
// "?".
std::string AAnsi(std::string_view utf8);
std::string DesdeAnsi(std::string_view ansi);

}  // namespace vardel::platform
