#pragma once

#include <string>

#include "vardel/export.h"

namespace vardel {
inline namespace v1 {

// The component's settings file: Config.ini in the folder the component was
// loaded from.
VARDEL_API std::string RutaConfiguracion();

// One setting of the component's section of Config.ini, as the component
// reads it; "" when the key is absent.
VARDEL_API std::string LeeAjuste(const std::string& clave);

// What keeps the component from reading Config.ini, for the operator, with
// how to mend it: today a file that starts with the UTF-8 byte-order mark,
// which Windows does not recognise and which hides the section on the first
// line. "" when nothing is wrong.
VARDEL_API std::string AvisoConfiguracion();

}  // namespace v1
}  // namespace vardel
