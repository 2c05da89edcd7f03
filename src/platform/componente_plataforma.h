#pragma once

#include <optional>
#include <string>

namespace vardel::platform::detalle {

// The folder the component was loaded from, worked out anew (each
// platform's own way).
std::string CalculaDirectorio();

// The folder a test put in place of the component's, if any.
std::optional<std::string> DirectorioSustituto();

}  // namespace vardel::platform::detalle
