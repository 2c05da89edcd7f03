#include <cctype>
#include <cstdlib>
#include <string>

#include "capture/estado_ciclo.h"

namespace vardel::capture {

double NumeroInicial(const std::string& texto) {
  std::size_t i = 0;
  while (i < texto.size() && texto[i] == ' ') {
    ++i;
  }
  std::string numero;
  if (i < texto.size() && (texto[i] == '-' || texto[i] == '+')) {
    numero += texto[i++];
  }
  const auto digitos = [&] {
    while (i < texto.size() && std::isdigit(static_cast<unsigned char>(texto[i])) != 0) {
      numero += texto[i++];
    }
  };
  digitos();
  if (i < texto.size() && texto[i] == '.') {
    numero += texto[i++];
    digitos();
  }
  if (i + 1 < texto.size() && (texto[i] == 'E' || texto[i] == 'e') &&
      (std::isdigit(static_cast<unsigned char>(texto[i + 1])) != 0 ||
       ((texto[i + 1] == '-' || texto[i + 1] == '+') && i + 2 < texto.size() &&
        std::isdigit(static_cast<unsigned char>(texto[i + 2])) != 0))) {
    numero += texto[i++];
    numero += texto[i++];
    digitos();
  }
  // The runtime's own reading always uses "." as the decimal point.
  return numero.empty() ? 0.0 : std::strtod(numero.c_str(), nullptr);
}

}  // namespace vardel::capture
