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

std::string HastaNul(std::string_view texto) {
  return std::string(texto.substr(0, texto.find('\0')));
}

}  // namespace vardel
