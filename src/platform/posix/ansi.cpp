#include <algorithm>
#include <cstdint>
#include <optional>

#include "core/text.h"
#include "platform/ansi.h"

// POSIX has no ANSI code page. Text files are UTF-8, what the locale of a
// Linux system gives its editors and terminals; the reader library gets
// Windows-1252, the code page of the counter machines it comes from.
namespace vardel::platform {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page has no character.
constexpr char32_t kZona80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char AByte(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    return static_cast<char>(c);
  }
  for (int i = 0; i < 32; ++i) {
    if (kZona80[i] != 0 && kZona80[i] == c) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

// How many leading bytes are ASCII. Both encodings keep those as they are,
// and most text is ASCII (the reader's 4096-byte buffers mostly NULs), so
// that part is copied in one piece instead of converted byte by byte.
std::size_t LargoAscii(std::string_view texto) {
  return static_cast<std::size_t>(
      std::find_if(texto.begin(), texto.end(),
                   [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
      texto.begin());
}

// How many leading bytes of a UTF-8 text are whole characters: all of them,
// or all but one character cut at the end (a settings read stops at a byte
// count) when a whole one beyond ASCII came before. nullopt when the text
// is not UTF-8; so is ASCII ending in a lone lead byte, as "pap\xE1" is
// Windows-1252 for "papá".
std::optional<std::size_t> LargoUtf8(std::string_view texto) {
  bool ancho = false;
  std::size_t i = LargoAscii(texto);
  while (i < texto.size()) {
    const auto b = static_cast<unsigned char>(texto[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    // The second byte's range excludes overlong forms, surrogates and
    // characters beyond U+10FFFF.
    std::size_t largo = 0;
    unsigned char minimo = 0x80;
    unsigned char maximo = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      largo = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      largo = 3;
      minimo = b == 0xE0 ? 0xA0 : minimo;
      maximo = b == 0xED ? 0x9F : maximo;
    } else if (b >= 0xF0 && b <= 0xF4) {
      largo = 4;
      minimo = b == 0xF0 ? 0x90 : minimo;
      maximo = b == 0xF4 ? 0x8F : maximo;
    } else {
      return std::nullopt;
    }
    std::size_t k = 1;
    for (; k < largo && i + k < texto.size(); ++k) {
      const auto s = static_cast<unsigned char>(texto[i + k]);
      if (k == 1 ? (s < minimo || s > maximo) : (s & 0xC0) != 0x80) {
        return std::nullopt;
      }
    }
    if (k < largo) {
      return ancho ? std::optional<std::size_t>(i) : std::nullopt;
    }
    ancho = true;
    i += largo;
  }
  return texto.size();
}

}  // namespace

std::string AAnsi(std::string_view utf8) {
  return std::string(utf8);
}

std::string DesdeAnsi(std::string_view ansi) {
  if (const auto largo = LargoUtf8(ansi)) {
    return std::string(ansi.substr(0, *largo));
  }
  return DesdePaginaLectora(ansi);
}

std::size_t LargoEnCaracteresAnsi(std::string_view utf8) {
  return APaginaLectora(utf8).size();
}

std::string_view PrimerosCaracteresAnsi(std::string_view ansi, std::size_t caracteres) {
  // A character takes at least one byte: a text no longer in bytes fits.
  if (ansi.size() <= caracteres) {
    return ansi;
  }
  // Not UTF-8: a Windows-1252 file, one byte a character.
  if (!LargoUtf8(ansi)) {
    return ansi.substr(0, caracteres);
  }
  std::size_t i = 0;
  for (std::size_t n = 0; n < caracteres && i < ansi.size(); ++n) {
    const auto b = static_cast<unsigned char>(ansi[i]);
    i += b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
  }
  // A character cut at the end of the text counts as one; DesdeAnsi drops it.
  return ansi.substr(0, i);
}

std::string DesdePaginaLectora(std::string_view ansi) {
  std::string salida;
  salida.reserve(ansi.size());
  const std::size_t ascii = LargoAscii(ansi);
  salida.assign(ansi.substr(0, ascii));
  for (const char byte : ansi.substr(ascii)) {
    const auto b = static_cast<unsigned char>(byte);
    if (b >= 0x80 && b < 0xA0) {
      // Bytes the code page leaves undefined map to the same C1 control,
      // as Windows does, so a round trip keeps them.
      AnadeUtf8(salida, kZona80[b - 0x80] != 0 ? kZona80[b - 0x80] : b);
    } else {
      AnadeUtf8(salida, b);
    }
  }
  return salida;
}

std::string APaginaLectora(std::string_view utf8) {
  std::string salida;
  salida.reserve(utf8.size());
  const std::size_t ascii = LargoAscii(utf8);
  salida.assign(utf8.substr(0, ascii));
  for (std::size_t i = ascii; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t c = 0;
    std::size_t largo = 1;
    if (b < 0x80) {
      c = b;
    } else if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F;
      largo = 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      largo = 3;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07;
      largo = 4;
    } else {
      salida += '?';
      ++i;
      continue;
    }
    if (i + largo > utf8.size()) {
      salida += '?';
      break;
    }
    bool valido = true;
    for (std::size_t k = 1; k < largo; ++k) {
      const auto s = static_cast<unsigned char>(utf8[i + k]);
      valido = valido && (s & 0xC0) == 0x80;
      c = (c << 6) | (s & 0x3F);
    }
    if (!valido) {
      salida += '?';
      ++i;
      continue;
    }
    // A C1 control that came from an undefined byte goes back to it.
    salida += (c >= 0x80 && c < 0xA0 && kZona80[c - 0x80] == 0) ? static_cast<char>(c) : AByte(c);
    i += largo;
  }
  return salida;
}

}  // namespace vardel::platform
