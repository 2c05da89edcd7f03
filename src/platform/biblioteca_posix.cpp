#include <dlfcn.h>

#include "platform/biblioteca_plataforma.h"

namespace vardel::platform::detalle {

void* AbreModulo(const std::string& ruta) {
  return dlopen(ruta.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* SimboloDe(void* modulo, const char* nombre) {
  return dlsym(modulo, nombre);
}

void CierraModulo(void* modulo) {
  dlclose(modulo);
}

}  // namespace vardel::platform::detalle
