#include <windows.h>

#include <climits>

#include "platform/ansi.h"
#include "platform/win32/utf16.h"

namespace vardel::platform {

namespace {

std::string Convierte(std::string_view texto, UINT desde, UINT hacia) {
  if (texto.empty()) {
    return {};
  }
  const int largo = static_cast<int>(texto.size());
  const int anchos = MultiByteToWideChar(desde, 0, texto.data(), largo, nullptr, 0);
  std::wstring ancho(static_cast<std::size_t>(anchos), L'\0');
  MultiByteToWideChar(desde, 0, texto.data(), largo, ancho.data(), anchos);
  const int bytes =
      WideCharToMultiByte(hacia, 0, ancho.data(), anchos, nullptr, 0, nullptr, nullptr);
  std::string salida(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(hacia, 0, ancho.data(), anchos, salida.data(), bytes, nullptr, nullptr);
  return salida;
}

}  // namespace

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

std::string AAnsi(std::string_view utf8) {
  return Convierte(utf8, CP_UTF8, CP_ACP);
}

std::string DesdeAnsi(std::string_view ansi) {
  return Convierte(ansi, CP_ACP, CP_UTF8);
}

std::size_t LargoEnCaracteresAnsi(std::string_view utf8) {
  return AAnsi(utf8).size();
}

std::string_view PrimerosCaracteresAnsi(std::string_view ansi, std::size_t caracteres) {
  return ansi.substr(0, caracteres);
}

// The reader library speaks the files' code page.
std::string APaginaLectora(std::string_view utf8) {
  return AAnsi(utf8);
}

std::string DesdePaginaLectora(std::string_view ansi) {
  return DesdeAnsi(ansi);
}

}  // namespace vardel::platform
