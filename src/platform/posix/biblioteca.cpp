#include <dlfcn.h>

#include "platform/biblioteca_plataforma.h"

namespace vardel::platform::detalle {

void* AbreModulo(const std::string& ruta, std::string& motivo) {
  void* modulo = dlopen(ruta.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (modulo == nullptr) {
    const char* error = dlerror();
    motivo = error != nullptr ? error : "";
  }
  return modulo;
}

void* SimboloDe(void* modulo, const char* nombre) {
  return dlsym(modulo, nombre);
}

void CierraModulo(void* modulo) {
  dlclose(modulo);
}

}  // namespace vardel::platform::detalle
