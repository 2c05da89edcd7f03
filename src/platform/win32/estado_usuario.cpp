#include <windows.h>

#include <string>
#include "platform/estado_usuario.h"

namespace vardel::platform {

std::string CarpetaEstadoUsuario() {
  wchar_t local[MAX_PATH] = {};
  const DWORD largo = GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH);
  if (largo == 0 || largo >= MAX_PATH) {
    return {};
  }
  const std::wstring carpeta = std::wstring(local, largo) + L"\\Vardel";
  if (!CreateDirectoryW(carpeta.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return {};
  }
  const int bytes = WideCharToMultiByte(
      CP_UTF8, 0, carpeta.data(), static_cast<int>(carpeta.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, carpeta.data(), static_cast<int>(carpeta.size()), utf8.data(),
                      bytes, nullptr, nullptr);
  return utf8;
}

}  // namespace vardel::platform
