#pragma once

#include <string>

namespace vardel::platform {

// The automation runtime's number for a failed file operation (an errno):
// 76 path not found, 70 denied, 61 disk full, 7 out of memory, 75 any
// other. With a reason, it follows the runtime's description.
[[noreturn]] void LanzaErrorDeArchivo(int codigo);
[[noreturn]] void LanzaErrorDeArchivo(int codigo, const std::string& motivo);

}  // namespace vardel::platform
