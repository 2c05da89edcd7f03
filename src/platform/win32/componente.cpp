#include <windows.h>

#include <string>

#include "platform/ansi.h"
#include "platform/componente_plataforma.h"
#include "platform/win32/componente.h"

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

HMODULE ModuloPropio() {
  HMODULE modulo = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ModuloPropio), &modulo);
  return modulo;
}

}  // namespace vardel::platform
