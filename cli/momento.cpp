#include "momento.h"

#include <cstdio>
#include <cstdlib>

namespace vardel::cli {

namespace {

// Seconds from 1970-01-01 of a broken-down time read as if it were UTC.
long long SegundosCiviles(const std::tm& t) {
  // Days from the civil date (proleptic Gregorian), by eras of 400 years.
  const int anio = t.tm_year + 1900 - (t.tm_mon < 2 ? 1 : 0);
  const int era = (anio >= 0 ? anio : anio - 399) / 400;
  const int anioEra = anio - era * 400;
  const int mes = t.tm_mon + 1;
  const int diaAnio = (153 * (mes > 2 ? mes - 3 : mes + 9) + 2) / 5 + t.tm_mday - 1;
  const int diaEra = anioEra * 365 + anioEra / 4 - anioEra / 100 + diaAnio;
  const long long dias = static_cast<long long>(era) * 146097 + diaEra - 719468;
  return dias * 86400 + t.tm_hour * 3600LL + t.tm_min * 60LL + t.tm_sec;
}

}  // namespace

std::string MomentoIso(std::time_t momento) {
  // The offset is worked out from the two broken-down times: strftime's %z
  // gives a zone name, not an offset, on Windows.
  const std::tm local = *std::localtime(&momento);
  const std::tm utc = *std::gmtime(&momento);
  const long long desfase = SegundosCiviles(local) - SegundosCiviles(utc);
  const int minutos = static_cast<int>(std::llabs(desfase) / 60);
  char texto[96];
  std::snprintf(texto, sizeof texto, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, desfase < 0 ? '-' : '+', minutos / 60, minutos % 60);
  return texto;
}

}  // namespace vardel::cli
