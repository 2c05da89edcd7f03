#include "vardel/fecha.h"

#include <cmath>

namespace vardel {
inline namespace v1 {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's method).
long long DiasDesdeCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilDesdeDias(long long z, int& y, int& m, int& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}

constexpr long long kDiasHasta1899_12_30 = -25569;  // DiasDesdeCivil(1899, 12, 30)

bool EsBisiesto(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DiasDelMes(int y, int m) {
  static constexpr int kDias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && EsBisiesto(y) ? 29 : kDias[m - 1];
}

}  // namespace

std::optional<Fecha> FechaDesdeCivil(const FechaCivil& c) {
  if (c.anio < 100 || c.anio > 9999 || c.mes < 1 || c.mes > 12 || c.dia < 1 ||
      c.dia > DiasDelMes(c.anio, c.mes) || c.hora < 0 || c.hora > 23 || c.minuto < 0 ||
      c.minuto > 59 || c.segundo < 0 || c.segundo > 59) {
    return std::nullopt;
  }
  const long long dias =
      DiasDesdeCivil(c.anio, static_cast<unsigned>(c.mes), static_cast<unsigned>(c.dia)) -
      kDiasHasta1899_12_30;
  const double fraccion = (c.hora * 3600 + c.minuto * 60 + c.segundo) / 86400.0;
  // Automation dates before 1899-12-30 keep the time as a positive fraction
  // after a negative whole day.
  const double serial =
      dias >= 0 ? static_cast<double>(dias) + fraccion : static_cast<double>(dias) - fraccion;
  return Fecha{serial};
}

FechaCivil CivilDesdeFecha(Fecha fecha) {
  const double entero = std::trunc(fecha.serial);
  const double fraccion = std::fabs(fecha.serial - entero);
  long long segundos = std::llround(fraccion * 86400.0);
  long long dias = static_cast<long long>(entero);
  if (segundos >= 86400) {
    segundos -= 86400;
    dias += fecha.serial >= 0 ? 1 : -1;
  }
  FechaCivil c;
  CivilDesdeDias(dias + kDiasHasta1899_12_30, c.anio, c.mes, c.dia);
  c.hora = static_cast<int>(segundos / 3600);
  c.minuto = static_cast<int>(segundos / 60 % 60);
  c.segundo = static_cast<int>(segundos % 60);
  return c;
}

}  // namespace v1
}  // namespace vardel
