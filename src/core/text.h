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

// The text up to its first NUL character (all of it when it has none).
std::string HastaNul(std::string_view texto);

}  // namespace vardel
