#include <locale.h>
#include <time.h>

#include <cmath>

#include "platform/reloj.h"
#include "vardel/fecha.h"

namespace vardel::platform {

Fecha Ahora() {
  const time_t ahora = ::time(nullptr);
  struct tm local {};
  ::localtime_r(&ahora, &local);
  FechaCivil civil{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec > 59 ? 59 : local.tm_sec};
  return FechaDesdeCivil(civil).value_or(Fecha{});
}

std::string FechaHoraGeneral(Fecha momento) {
  const FechaCivil civil = CivilDesdeFecha(momento);
  struct tm partes {};
  partes.tm_year = civil.anio - 1900;
  partes.tm_mon = civil.mes - 1;
  partes.tm_mday = civil.dia;
  partes.tm_hour = civil.hora;
  partes.tm_min = civil.minuto;
  partes.tm_sec = civil.segundo;
  partes.tm_isdst = -1;
  // The user's regional forms (LC_TIME), without touching the process's
  // own locale, which belongs to the host.
  locale_t regional = ::newlocale(LC_TIME_MASK, "", nullptr);
  if (regional == nullptr) {
    regional = ::newlocale(LC_TIME_MASK, "C", nullptr);
  }
  const bool medianoche = civil.hora == 0 && civil.minuto == 0 && civil.segundo == 0;
  char texto[128] = {};
  ::strftime_l(texto, sizeof texto, medianoche ? "%x" : "%x %X", &partes, regional);
  ::freelocale(regional);
  return texto;
}

}  // namespace vardel::platform
