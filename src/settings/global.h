#pragma once

#include <string>

namespace vardel::Global {

// The folder browser: the folder chosen, or "" when the operator cancels.
std::string SeleccionaDirectorio();

}  // namespace vardel::Global
