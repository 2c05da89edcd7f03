#include "platform/codificacion_ini.h"

#include "core/text.h"
#include "platform/ansi.h"
#include "platform/motor_ini.h"

namespace vardel::platform::ini {

namespace {

constexpr std::string_view kMarcaUtf16 = "\xFF\xFE";

bool EsUnicode(std::string_view archivo) {
  return archivo.starts_with(kMarcaUtf16);
}

std::string TextoUnicode(std::string_view archivo) {
  return Utf16AUtf8(archivo.substr(kMarcaUtf16.size()));
}

// A name or value as a Unicode file receives it from the A functions:
// converted to the code page and from it to Unicode.
std::string PorLaPaginaDeCodigos(std::string_view utf8) {
  return DesdeAnsi(AAnsi(utf8));
}

void AnadeUnidad(std::string& salida, char32_t unidad) {
  salida += static_cast<char>(unidad & 0xFF);
  salida += static_cast<char>(unidad >> 8);
}

}  // namespace

std::string Utf16AUtf8(std::string_view utf16) {
  // A last odd byte is the low half of a character whose high half is
  // missing: taken with a high half of 0, which gives back an ASCII tail.
  const auto unidad = [utf16](std::size_t i) {
    const auto alta = 2 * i + 1 < utf16.size() ? static_cast<unsigned char>(utf16[2 * i + 1]) : 0;
    return static_cast<char32_t>(static_cast<unsigned char>(utf16[2 * i]) | alta << 8);
  };
  const std::size_t unidades = (utf16.size() + 1) / 2;
  std::string salida;
  salida.reserve(utf16.size());
  for (std::size_t i = 0; i < unidades; ++i) {
    char32_t c = unidad(i);
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < unidades) {
      const char32_t baja = unidad(i + 1);
      if (baja >= 0xDC00 && baja < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (baja - 0xDC00);
        ++i;
      }
    }
    AnadeUtf8(salida, c);
  }
  return salida;
}

std::string Utf8AUtf16(std::string_view utf8) {
  std::string salida;
  salida.reserve(2 * utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const std::size_t largo = b < 0x80   ? 1
                              : b < 0xC0 ? 0
                              : b < 0xE0 ? 2
                              : b < 0xF0 ? 3
                              : b < 0xF8 ? 4
                                         : 0;
    char32_t c = largo == 1 ? b : b & (0x7F >> largo);
    bool valido = largo != 0 && i + largo <= utf8.size();
    for (std::size_t k = 1; valido && k < largo; ++k) {
      const auto s = static_cast<unsigned char>(utf8[i + k]);
      valido = (s & 0xC0) == 0x80;
      c = (c << 6) | (s & 0x3F);
    }
    // Only the engine's own output comes here; a stray byte still becomes
    // one replacement character rather than a wrong one.
    if (!valido || c > 0x10FFFF) {
      AnadeUnidad(salida, 0xFFFD);
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      AnadeUnidad(salida, 0xD800 + ((c - 0x10000) >> 10));
      AnadeUnidad(salida, 0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      AnadeUnidad(salida, c);
    }
    i += largo;
  }
  return salida;
}

std::optional<std::string> ValorEnAnsi(std::string_view archivo, std::string_view seccion,
                                       std::string_view clave) {
  if (!EsUnicode(archivo)) {
    return BuscaValor(archivo, AAnsi(seccion), AAnsi(clave));
  }
  const auto valor =
      BuscaValor(TextoUnicode(archivo), PorLaPaginaDeCodigos(seccion), PorLaPaginaDeCodigos(clave));
  if (!valor) {
    return std::nullopt;
  }
  // An unpaired surrogate, kept as it stands for a rewrite, reads as the
  // default character, as the A functions give it.
  std::string texto;
  for (std::size_t i = 0; i < valor->size(); ++i) {
    const auto byte = static_cast<unsigned char>((*valor)[i]);
    const auto siguiente = i + 1 < valor->size() ? static_cast<unsigned char>((*valor)[i + 1]) : 0;
    if (byte == 0xED && siguiente >= 0xA0 && i + 2 < valor->size()) {
      texto += '?';
      i += 2;
    } else {
      texto += static_cast<char>(byte);
    }
  }
  return AAnsi(texto);
}

std::string ConValorEscrito(std::string_view archivo, std::string_view seccion,
                            std::string_view clave, std::string_view valor) {
  if (!EsUnicode(archivo)) {
    return EscribeValor(archivo, AAnsi(seccion), AAnsi(clave), AAnsi(valor));
  }
  return std::string(kMarcaUtf16) +
         Utf8AUtf16(EscribeValor(TextoUnicode(archivo), PorLaPaginaDeCodigos(seccion),
                                 PorLaPaginaDeCodigos(clave), PorLaPaginaDeCodigos(valor)));
}

bool ConSeccion(std::string_view archivo, std::string_view seccion) {
  return EsUnicode(archivo) ? TieneSeccion(TextoUnicode(archivo), PorLaPaginaDeCodigos(seccion))
                            : TieneSeccion(archivo, AAnsi(seccion));
}

}  // namespace vardel::platform::ini
