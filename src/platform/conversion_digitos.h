#pragma once

#include <charconv>
#include <optional>
#include <string_view>

#include "vardel/fecha.h"
#include "vardel/variant.h"

// The conversions of plain digit strings, shared by both platforms so that a
// code line's fields give the same number and the same date everywhere.
namespace vardel::platform::digitos {

inline bool SoloDigitos(std::string_view texto) {
  if (texto.empty()) {
    return false;
  }
  for (const char c : texto) {
    if (c < '0' || c > '9') {
      return false;
    }
  }
  return true;
}

// The value of a text of decimal digits, correctly rounded; nullopt when it
// does not fit a double.
inline std::optional<double> NumeroDeDigitos(std::string_view texto) {
  double valor = 0.0;
  const auto [fin, error] =
      std::from_chars(texto.data(), texto.data() + texto.size(), valor, std::chars_format::fixed);
  if (error != std::errc() || fin != texto.data() + texto.size()) {
    return std::nullopt;
  }
  return valor;
}

// Two-digit years as the automation runtime windows them: 00-29 are
// 2000-2029, 30-99 are 1930-1999.
inline int AnioConVentana(int anio_corto) {
  return anio_corto < 30 ? 2000 + anio_corto : 1900 + anio_corto;
}

inline int ValorDeDigitos(std::string_view texto) {
  int valor = 0;
  for (const char c : texto) {
    valor = valor * 10 + (c - '0');
  }
  return valor;
}

// A date written as day, month and year digits: DDMMYY or DDMMYYYY.
inline std::optional<Fecha> FechaDeDigitos(std::string_view texto) {
  if (!SoloDigitos(texto) || (texto.size() != 6 && texto.size() != 8)) {
    return std::nullopt;
  }
  FechaCivil civil;
  civil.dia = ValorDeDigitos(texto.substr(0, 2));
  civil.mes = ValorDeDigitos(texto.substr(2, 2));
  const int anio = ValorDeDigitos(texto.substr(4));
  civil.anio = texto.size() == 6 ? AnioConVentana(anio) : anio;
  return FechaDesdeCivil(civil);
}

}  // namespace vardel::platform::digitos
