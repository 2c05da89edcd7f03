#include <windows.h>

#include <string>

#include "platform/ansi.h"
#include "platform/componente_comun.h"
#include "platform/modulo_win32.h"

namespace vardel::platform {

// The folder of the module that holds this code (Vardel.dll, or the
// program the core is linked into).
std::string detalle::CalculaDirectorio() {
  char ruta[MAX_PATH * 4] = {};
  const DWORD largo = GetModuleFileNameA(ModuloPropio(), ruta, sizeof ruta);
  std::string completa = DesdeAnsi(std::string_view(ruta, largo));
  const auto barra = completa.find_last_of("\\/");
  return barra == std::string::npos ? std::string(".") : completa.substr(0, barra);
}

}  // namespace vardel::platform
