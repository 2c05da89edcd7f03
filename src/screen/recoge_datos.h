#pragma once

#include <memory>
#include <string>

#include "vardel/collection.h"

namespace vardel {

// Parses one cheque's magnetic code line into the seven cheque fields, keyed
// "NumDoc", "Entidad", "Oficina", "Cuenta", "Importe", "TipoDoc", "FechaVto"
// in that order. Returns null when the line cannot be parsed; it never
// throws.
std::shared_ptr<Collection> RecogeDatos(const std::string& Dato);

}  // namespace vardel
