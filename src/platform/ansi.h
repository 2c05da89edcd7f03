#pragma once

#include <string>
#include <string_view>

namespace vardel::platform {

// Text is UTF-8 inside the component. Two 8-bit boundaries convert it:
//
// - The text files, Config.ini (the settings engine) and Lectora.log, in
//   the system's text encoding: the ANSI code page on Windows, UTF-8 on
//   POSIX, where an editor and `cat` use the locale's. A POSIX file that is
//   not UTF-8 (written by an earlier version, or copied from a Windows
//   machine) is read as Windows-1252.
std::string AAnsi(std::string_view utf8);
std::string DesdeAnsi(std::string_view ansi);

// - The reader library: the ANSI code page on Windows, Windows-1252 on
//   POSIX, so it gets the bytes it gets on a Windows counter machine.
//
// A character the code page lacks becomes "?".
std::string APaginaLectora(std::string_view utf8);
std::string DesdePaginaLectora(std::string_view ansi);

}  // namespace vardel::platform
