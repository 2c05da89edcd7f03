#pragma once

#include <string>

namespace vardel::Configuracion {

// The short form of a path; "" when the path does not exist.
std::string RutaCorta(const std::string& ruta);

}  // namespace vardel::Configuracion
