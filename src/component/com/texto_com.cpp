#include "component/com/texto_com.h"

#include <climits>
#include <new>

namespace vardel::com {

std::wstring AUtf16(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) {
    return {};
  }
  const int largo = static_cast<int>(utf8.size());
  const int necesarios = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), largo, nullptr, 0);
  std::wstring resultado(static_cast<std::size_t>(necesarios), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), largo, resultado.data(), necesarios);
  return resultado;
}

std::string AUtf8(std::wstring_view utf16) {
  if (utf16.empty() || utf16.size() > INT_MAX) {
    return {};
  }
  const int largo = static_cast<int>(utf16.size());
  const int necesarios =
      WideCharToMultiByte(CP_UTF8, 0, utf16.data(), largo, nullptr, 0, nullptr, nullptr);
  std::string resultado(static_cast<std::size_t>(necesarios), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), largo, resultado.data(), necesarios, nullptr,
                      nullptr);
  return resultado;
}

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
