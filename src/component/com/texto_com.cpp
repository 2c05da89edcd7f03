#include "component/com/texto_com.h"

#include <climits>
#include <new>

namespace vardel::com {

BSTR ABstr(std::string_view utf8) {
  const std::wstring texto = AUtf16(utf8);
  BSTR resultado = SysAllocStringLen(texto.data(), static_cast<UINT>(texto.size()));
  if (resultado == nullptr) {
    throw std::bad_alloc();
  }
  return resultado;
}

std::string DeBstr(BSTR texto) {
  if (texto == nullptr) {
    return {};
  }
  return AUtf8(std::wstring_view(texto, SysStringLen(texto)));
}

}  // namespace vardel::com
