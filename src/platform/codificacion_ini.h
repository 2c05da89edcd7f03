#pragma once

#include <optional>
#include <string>
#include <string_view>

// The settings file's encoding, as the Windows functions see it, between the
// file's bytes and the POSIX engine. A file that starts with the UTF-16LE
// mark (FF FE) is a Unicode file: its text is decoded to UTF-8 for the
// engine, which only looks at ASCII structure, and a write encodes it back
// to UTF-16LE with the mark, so characters the code page lacks survive in
// the other lines. Any other file is text of the ANSI code page; a UTF-8
// mark is not recognised, its bytes stay part of the first line.
//
// Names and values are UTF-8. They reach a Unicode file through the code
// page (what the A functions hand the system), and a value read from one
// comes back in the code page, as the A functions give it.
namespace vardel::platform::ini {

// The value of the key in the file's bytes, in the ANSI code page; nullopt
// as BuscaValor gives it.
std::optional<std::string> ValorEnAnsi(std::string_view archivo, std::string_view seccion,
                                       std::string_view clave);

// The file's bytes with the key written (EscribeValor), in the file's own
// encoding.
std::string ConValorEscrito(std::string_view archivo, std::string_view seccion,
                            std::string_view clave, std::string_view valor);

// True when the file's bytes hold a section of the name.
bool ConSeccion(std::string_view archivo, std::string_view seccion);

// UTF-16LE (without its mark) to UTF-8, and back. An unpaired surrogate
// becomes the three bytes UTF-8 would give its number, so a round trip keeps
// it and a read turns it into the code page's default character. A last odd
// byte is a character with a high byte of 0, as Wine reads it.
std::string Utf16AUtf8(std::string_view utf16);
std::string Utf8AUtf16(std::string_view utf8);

}  // namespace vardel::platform::ini
