#pragma once

#include <string>
#include <string_view>

namespace vardel {

// Removes blanks (U+0020 only) from both ends, as the runtime's Trim does.
std::string Recorta(std::string_view texto);
std::string RecortaIzquierda(std::string_view texto);
std::string RecortaDerecha(std::string_view texto);

// ASCII letters upper-cased; every other byte kept.
std::string MayusculasAscii(std::string_view texto);

// Equality of two texts without regard to the case of ASCII letters.
bool IgualesSinCaso(std::string_view a, std::string_view b);

// UTF-8 text with its letters upper-cased: ASCII and the letters of the
// 8-bit code page (á, ñ, ü, ç, š, œ, ÿ...). Every other byte is kept, so
// the length never changes.
std::string Mayusculas(std::string_view texto);

// Equality of two UTF-8 texts without regard to the case of the letters
// Mayusculas knows.
bool IgualesSinCasoUtf8(std::string_view a, std::string_view b);

// The characters of a UTF-8 text: every byte that does not continue a
// sequence counts one.
std::size_t CuentaCaracteres(std::string_view texto);

// The first n characters of a UTF-8 text, never half of one.
std::string PrimerosCaracteres(std::string_view texto, std::size_t n);

// Appends the UTF-8 form of one Unicode character (up to U+10FFFF).
void AnadeUtf8(std::string& salida, char32_t c);

// The text up to its first NUL character (all of it when it has none).
std::string HastaNul(std::string_view texto);

}  // namespace vardel
