#pragma once

#include <optional>
#include <string>
#include <string_view>

// The private-profile engine of the POSIX build: the rules of the Windows
// functions, on the file's bytes (8-bit code page text).
//
// Reading: lines end at any run of CR and LF and are trimmed (blank, tab,
// VT, FF, ^Z). A line that starts with "[" and has a "]" is a section,
// named by the trimmed text up to its last "]". A key line splits at its
// first "=": the name right-trimmed, the value left-trimmed; a line without
// "=" is a key with no value. Names match without regard to ASCII case, the
// requested ones trimmed the same way. The first section of a name, and the
// first key of a name in it, win. A value of two or more characters that
// starts and ends with the same quote (' or ") loses both.
namespace vardel::platform::ini {

// The value of the key, or nullopt when the section or the key is missing or
// the key has no value.
std::optional<std::string> BuscaValor(std::string_view contenido, std::string_view seccion,
                                      std::string_view clave);

// True when the content has a section of the name.
bool TieneSeccion(std::string_view contenido, std::string_view seccion);

// The file's content with the key written: replaced where it stands (keeping
// the spelling of its name), else added at the end of the first section of
// that name, else in a new section at the end of the file. Lines are written
// as name=value and end in CR LF.
std::string EscribeValor(std::string_view contenido, std::string_view seccion,
                         std::string_view clave, std::string_view valor);

}  // namespace vardel::platform::ini
