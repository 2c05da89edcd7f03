#pragma once

#include <cstdint>
#include <string>

#include "vardel/error.h"

namespace vardel {

// Raises the run-time error of a number, with the runtime's description or
// the one given.
[[noreturn]] void LanzaError(int32_t numero);
[[noreturn]] void LanzaError(int32_t numero, std::string descripcion);

}  // namespace vardel
