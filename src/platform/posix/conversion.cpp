#include <charconv>
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

// A plain number as the runtime's conversion reads one: blanks on either
// side, an optional sign, digits with at most one decimal separator of the
// locale, and an optional exponent ("1e2"). Grouping and currency are not
// numbers here.
std::optional<double> TextoANumero(std::string_view texto) {
  if (digitos::SoloDigitos(texto)) {
    return digitos::NumeroDeDigitos(texto);
  }
  const auto inicio = texto.find_first_not_of(' ');
  if (inicio == std::string_view::npos) {
    return std::nullopt;
  }
  texto = texto.substr(inicio, texto.find_last_not_of(' ') + 1 - inicio);
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
  if (enteros + decimales == 0) {
    return std::nullopt;
  }
  if (normalizado.front() == '.') {
    normalizado.insert(normalizado.begin(), '0');
  }
  if (i < texto.size() && (texto[i] == 'e' || texto[i] == 'E')) {
    normalizado += 'e';
    ++i;
    if (i < texto.size() && (texto[i] == '+' || texto[i] == '-')) {
      normalizado += texto[i++];
    }
    const std::size_t exponente = CuentaDigitos(texto, i);
    if (exponente == 0) {
      return std::nullopt;
    }
    normalizado.append(texto.substr(i, exponente));
    i += exponente;
  }
  if (i != texto.size()) {
    return std::nullopt;
  }
  double valor = 0.0;
  const char* final = normalizado.data() + normalizado.size();
  const auto [fin, error] = std::from_chars(normalizado.data(), final, valor);
  if (error != std::errc() || fin != final) {
    return std::nullopt;  // beyond a double
  }
  return negativo ? -valor : valor;
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
