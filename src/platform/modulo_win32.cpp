#include "platform/modulo_win32.h"

namespace vardel::platform {

HMODULE ModuloPropio() {
  HMODULE modulo = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ModuloPropio), &modulo);
  return modulo;
}

}  // namespace vardel::platform
