#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>

#include "platform/biblioteca_plataforma.h"

namespace vardel::platform::detalle {

void* AbreModulo(const std::string& ruta, std::string& motivo) {
  void* modulo = dlopen(ruta.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (modulo == nullptr) {
    // The operator's words first; the loader's own (English) text after
    // them in square brackets, where it says more than "not found".
    const char* texto = dlerror();
    const std::string cargador = texto != nullptr ? texto : "";
    const bool conRuta = ruta.find('/') != std::string::npos;
    if (conRuta && ::access(ruta.c_str(), F_OK) != 0 && errno == ENOENT) {
      motivo = "no existe";
    } else if (!conRuta && cargador.find("cannot open shared object file") != std::string::npos) {
      motivo = "no está en las carpetas de bibliotecas del sistema";
    } else {
      motivo = "no se puede cargar [" + cargador + "]";
    }
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
