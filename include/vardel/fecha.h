#pragma once

#include <optional>

#include "vardel/export.h"
#include "vardel/variant.h"

namespace vardel {
inline namespace v1 {

// A calendar date and time of day, as the automation date encodes it.
struct FechaCivil {
  int anio = 1899;
  int mes = 12;
  int dia = 30;
  int hora = 0;
  int minuto = 0;
  int segundo = 0;
};

// The automation date of a calendar date; nullopt when the date is not a
// real one (31 April, month 13) or lies outside years 100 to 9999.
VARDEL_API std::optional<Fecha> FechaDesdeCivil(const FechaCivil& civil);

// The calendar date of an automation date (times rounded to the second).
VARDEL_API FechaCivil CivilDesdeFecha(Fecha fecha);

}  // namespace v1
}  // namespace vardel
