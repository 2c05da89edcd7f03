#pragma once

#include <cstddef>
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

// A settings value's length as the A functions count it: bytes of the ANSI
// code page on Windows. POSIX stands in for those functions with
// Windows-1252, one byte a character (one the code page lacks is one "?"),
// so a value holds as many characters as on a Windows counter machine
// however many bytes its UTF-8 takes.
std::size_t LargoEnCaracteresAnsi(std::string_view utf8);

// The first `caracteres` characters of text in the files' encoding, where a
// settings read cuts a value: bytes of the code page on Windows; on POSIX
// characters of UTF-8, or bytes of a Windows-1252 file, so the cut never
// falls inside a character.
std::string_view PrimerosCaracteresAnsi(std::string_view ansi, std::size_t caracteres);

// - The reader library: the ANSI code page on Windows, Windows-1252 on
//   POSIX, so it gets the bytes it gets on a Windows counter machine.
//
// A character the code page lacks becomes "?".
std::string APaginaLectora(std::string_view utf8);
std::string DesdePaginaLectora(std::string_view ansi);

}  // namespace vardel::platform
