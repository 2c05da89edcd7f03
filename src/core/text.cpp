#include "core/text.h"

namespace vardel {

std::string RecortaIzquierda(std::string_view texto) {
  const auto inicio = texto.find_first_not_of(' ');
  return inicio == std::string_view::npos ? std::string() : std::string(texto.substr(inicio));
}

std::string RecortaDerecha(std::string_view texto) {
  const auto fin = texto.find_last_not_of(' ');
  return fin == std::string_view::npos ? std::string() : std::string(texto.substr(0, fin + 1));
}

std::string Recorta(std::string_view texto) {
  return RecortaDerecha(RecortaIzquierda(texto));
}

static char MayusculaAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string MayusculasAscii(std::string_view texto) {
  std::string resultado(texto);
  for (char& c : resultado) {
    c = MayusculaAscii(c);
  }
  return resultado;
}

bool IgualesSinCaso(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (MayusculaAscii(a[i]) != MayusculaAscii(b[i])) {
      return false;
    }
  }
  return true;
}

namespace {

bool Continuacion(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The upper case of a two-byte letter of the 8-bit code page, given its
// lead byte and the second byte; the second byte changes, never the length.
char SegundoEnMayuscula(unsigned char primero, unsigned char segundo) {
  if (primero == 0xC3 && segundo >= 0xA0 && segundo <= 0xBE && segundo != 0xB7) {
    return static_cast<char>(segundo - 0x20);  // à-þ to À-Þ, without ÷
  }
  if (primero == 0xC5 && (segundo == 0x93 || segundo == 0xA1 || segundo == 0xBE)) {
    return static_cast<char>(segundo - 1);  // œ, š, ž
  }
  return static_cast<char>(segundo);
}

}  // namespace

std::string Mayusculas(std::string_view texto) {
  std::string resultado(texto);
  for (std::size_t i = 0; i < resultado.size(); ++i) {
    const auto primero = static_cast<unsigned char>(resultado[i]);
    if (primero < 0x80) {
      resultado[i] = MayusculaAscii(resultado[i]);
    } else if (i + 1 < resultado.size() && Continuacion(resultado[i + 1])) {
      const auto segundo = static_cast<unsigned char>(resultado[i + 1]);
      if (primero == 0xC3 && segundo == 0xBF) {
        resultado[i] = static_cast<char>(0xC5);  // ÿ to Ÿ (U+0178)
        resultado[i + 1] = static_cast<char>(0xB8);
      } else {
        resultado[i + 1] = SegundoEnMayuscula(primero, segundo);
      }
      ++i;
    }
  }
  return resultado;
}

bool IgualesSinCasoUtf8(std::string_view a, std::string_view b) {
  return a.size() == b.size() && Mayusculas(a) == Mayusculas(b);
}

std::size_t CuentaCaracteres(std::string_view texto) {
  std::size_t cuenta = 0;
  for (const char c : texto) {
    if (!Continuacion(c)) {
      ++cuenta;
    }
  }
  return cuenta;
}

std::string PrimerosCaracteres(std::string_view texto, std::size_t n) {
  std::size_t fin = 0;
  for (std::size_t vistos = 0; fin < texto.size(); ++fin) {
    if (!Continuacion(texto[fin]) && vistos++ == n) {
      break;
    }
  }
  return std::string(texto.substr(0, fin));
}

std::string HastaNul(std::string_view texto) {
  return std::string(texto.substr(0, texto.find('\0')));
}

void AnadeUtf8(std::string& salida, char32_t c) {
  if (c < 0x80) {
    salida += static_cast<char>(c);
  } else if (c < 0x800) {
    salida += static_cast<char>(0xC0 | (c >> 6));
    salida += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    salida += static_cast<char>(0xE0 | (c >> 12));
    salida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    salida += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    salida += static_cast<char>(0xF0 | (c >> 18));
    salida += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    salida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    salida += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace vardel
