#pragma once

#include <string>

#include "vardel/variant.h"

namespace vardel::platform {

// The local date and time as an automation date.
Fecha Ahora();

// The regional general-date text of a moment: the short date, one blank,
// the long time; the date alone at exactly midnight. Windows formats it as
// the automation runtime does for the user's locale; POSIX with the user's
// LC_TIME.
std::string FechaHoraGeneral(Fecha momento);

}  // namespace vardel::platform
