#pragma once

#include <string>

#include "vardel/export.h"

namespace vardel {

// The component's settings file: Config.ini in the folder the component was
// loaded from.
VARDEL_API std::string RutaConfiguracion();

// One setting of the component's section of Config.ini, as the component
// reads it; "" when the key is absent.
VARDEL_API std::string LeeAjuste(const std::string& clave);

}  // namespace vardel
