#include <clocale>
#include <cstring>
#include <string>

#include "platform/conversion.h"
#include "platform/conversion_digitos.h"

namespace vardel::platform {

namespace {

std::size_t CuentaDigitos(std::string_view texto, std::size_t desde) {
  std::size_t fin = desde;
  while (fin < texto.size() && texto[fin] >= '0' && texto[fin] <= '9') {
    ++fin;
  }
  return fin - desde;
}

// The decimal separator of the program's current locale ("." in "C").
std::string_view SeparadorDecimal() {
  const std::lconv* convenciones = std::localeconv();
  if (convenciones == nullptr || convenciones->decimal_point == nullptr ||
      *convenciones->decimal_point == '\0') {
    return ".";
  }
  return convenciones->decimal_point;
}

}  // namespace

// Strict: an optional sign, digits, and at most one decimal separator of the
// locale. Grouping, exponents, currency and blanks are not numbers here.
std::optional<double> TextoANumero(std::string_view texto) {
  if (digitos::SoloDigitos(texto)) {
    return digitos::NumeroDeDigitos(texto);
  }
  std::size_t i = 0;
  bool negativo = false;
  if (i < texto.size() && (texto[i] == '+' || texto[i] == '-')) {
    negativo = texto[i] == '-';
    ++i;
  }
  const std::size_t enteros = CuentaDigitos(texto, i);
  std::string normalizado(texto.substr(i, enteros));
  i += enteros;
  std::size_t decimales = 0;
  const std::string_view separador = SeparadorDecimal();
  if (texto.substr(i, separador.size()) == separador) {
    i += separador.size();
    decimales = CuentaDigitos(texto, i);
    normalizado += '.';
    normalizado.append(texto.substr(i, decimales));
    i += decimales;
  }
  if (i != texto.size() || enteros + decimales == 0) {
    return std::nullopt;
  }
  if (normalizado.front() == '.') {
    normalizado.insert(normalizado.begin(), '0');
  }
  const auto valor = digitos::NumeroDeDigitos(normalizado);
  if (!valor) {
    return std::nullopt;
  }
  return negativo ? -*valor : *valor;
}

namespace {

// d/m/yy or dd/mm/yyyy, with "/", "-" or "." as the one separator used.
std::optional<Fecha> FechaConSeparadores(std::string_view texto) {
  std::size_t i = 0;
  int partes[3] = {0, 0, 0};
  std::size_t largos[3] = {0, 0, 0};
  char separador = '\0';
  for (int parte = 0; parte < 3; ++parte) {
    if (parte > 0) {
      if (i >= texto.size()) {
        return std::nullopt;
      }
      const char c = texto[i];
      if (parte == 1 && (c == '/' || c == '-' || c == '.')) {
        separador = c;
      } else if (c != separador) {
        return std::nullopt;
      }
      ++i;
    }
    largos[parte] = CuentaDigitos(texto, i);
    if (largos[parte] > 4) {
      return std::nullopt;  // no part of a date is that long, and it could overflow
    }
    partes[parte] = digitos::ValorDeDigitos(texto.substr(i, largos[parte]));
    i += largos[parte];
  }
  const bool dia_y_mes = largos[0] >= 1 && largos[0] <= 2 && largos[1] >= 1 && largos[1] <= 2;
  const bool anio = largos[2] == 2 || largos[2] == 4;
  if (i != texto.size() || !dia_y_mes || !anio) {
    return std::nullopt;
  }
  FechaCivil civil;
  civil.dia = partes[0];
  civil.mes = partes[1];
  civil.anio = largos[2] == 2 ? digitos::AnioConVentana(partes[2]) : partes[2];
  return FechaDesdeCivil(civil);
}

}  // namespace

std::optional<Fecha> TextoAFecha(std::string_view texto) {
  if (digitos::SoloDigitos(texto)) {
    return digitos::FechaDeDigitos(texto);
  }
  return FechaConSeparadores(texto);
}

}  // namespace vardel::platform
