#include <windows.h>

#include "platform/biblioteca_plataforma.h"

namespace vardel::platform::detalle {

void* AbreModulo(const std::string& ruta, std::string& motivo) {
  // No "insert the disk" box from the system while probing candidates.
  const UINT modoAnterior = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE modulo = LoadLibraryA(ruta.c_str());
  const DWORD codigo = GetLastError();
  SetErrorMode(modoAnterior);
  if (modulo == nullptr) {
    // The operator's words; the system's own, in the system's language,
    // after them in square brackets.
    motivo = codigo == ERROR_MOD_NOT_FOUND
                 ? "no existe, o le falta una biblioteca de la que depende"
             : codigo == ERROR_BAD_EXE_FORMAT
                 ? "no es una biblioteca de esta arquitectura (32 o 64 bits)"
                 : "no se puede cargar";
    motivo += " [error " + std::to_string(codigo);
    // The system's words, in UTF-8 like every text inside the component.
    wchar_t texto[512] = L"";
    const DWORD largo = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, codigo, 0, texto, 512, nullptr);
    char utf8[1024] = "";
    if (largo > 0 &&
        WideCharToMultiByte(CP_UTF8, 0, texto, -1, utf8, sizeof utf8, nullptr, nullptr) > 0) {
      std::string mensaje = utf8;
      while (!mensaje.empty() && (mensaje.back() == '\n' || mensaje.back() == '\r' ||
                                  mensaje.back() == ' ' || mensaje.back() == '.')) {
        mensaje.pop_back();
      }
      motivo += ": " + mensaje;
    }
    motivo += "]";
  }
  return modulo;
}

void* SimboloDe(void* modulo, const char* nombre) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(modulo), nombre));
}

void CierraModulo(void* modulo) {
  FreeLibrary(static_cast<HMODULE>(modulo));
}

}  // namespace vardel::platform::detalle
