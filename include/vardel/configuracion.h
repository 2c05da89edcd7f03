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

// One key of any section of Config.ini, read the way the component reads
// its own (the system's profile functions on Windows, the project's engine
// elsewhere, Unicode files included), up to 4,095 characters; "" when
// absent. For hosts that keep their settings beside the component's, such
// as the web bridge's section "Puente".
VARDEL_API std::string LeeAjusteDe(const std::string& seccion, const std::string& clave);

// What keeps the component from reading Config.ini, for the operator, with
// how to mend it: today a file that starts with the UTF-8 byte-order mark,
// which Windows does not recognise and which hides the section on the first
// line. "" when nothing is wrong.
VARDEL_API std::string AvisoConfiguracion();

}  // namespace v1
}  // namespace vardel
