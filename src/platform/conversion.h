#pragma once

#include <optional>
#include <string_view>

#include "vardel/variant.h"

namespace vardel::platform {

// Locale-aware text-to-number conversion as the automation runtime's; nullopt
// when the text is not a number.
std::optional<double> TextoANumero(std::string_view texto);

// Locale-aware text-to-date conversion; nullopt when the text is not a real
// calendar date.
std::optional<Fecha> TextoAFecha(std::string_view texto);

}  // namespace vardel::platform
