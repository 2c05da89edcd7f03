#include <windows.h>

#include <string>

#include "platform/ansi.h"
#include "platform/componente.h"
#include "platform/componente_comun.h"

namespace vardel::platform {

std::string DirectorioComponente() {
  if (auto sustituto = detalle::DirectorioSustituto()) {
    return *sustituto;
  }
  // The module that holds this very function: Vardel.dll, or the program
  // the core is linked into.
  HMODULE modulo = nullptr;
  GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&DirectorioComponente), &modulo);
  char ruta[MAX_PATH * 4] = {};
  const DWORD largo = GetModuleFileNameA(modulo, ruta, sizeof ruta);
  std::string completa = DesdeAnsi(std::string_view(ruta, largo));
  const auto barra = completa.find_last_of("\\/");
  return barra == std::string::npos ? std::string(".") : completa.substr(0, barra);
}

}  // namespace vardel::platform
