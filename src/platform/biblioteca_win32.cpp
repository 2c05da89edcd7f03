#include <windows.h>

#include "platform/biblioteca_plataforma.h"

namespace vardel::platform::detalle {

void* AbreModulo(const std::string& ruta) {
  // No "insert the disk" box from the system while probing candidates.
  const UINT modoAnterior = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE modulo = LoadLibraryA(ruta.c_str());
  SetErrorMode(modoAnterior);
  return modulo;
}

void* SimboloDe(void* modulo, const char* nombre) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(modulo), nombre));
}

void CierraModulo(void* modulo) {
  FreeLibrary(static_cast<HMODULE>(modulo));
}

}  // namespace vardel::platform::detalle
