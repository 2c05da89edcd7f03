#include <dlfcn.h>

#include <cstdlib>

#include "plataforma.h"

namespace mtxsim {

std::string DirectorioModulo() {
  Dl_info informacion{};
  if (dladdr(reinterpret_cast<void*>(&DirectorioModulo), &informacion) == 0 ||
      informacion.dli_fname == nullptr) {
    return "";
  }
  return DirectorioDe(informacion.dli_fname);
}

std::string VariableEntorno(const char* nombre) {
  const char* valor = std::getenv(nombre);
  return valor == nullptr ? std::string() : std::string(valor);
}

bool EsRutaAbsoluta(const std::string& ruta) {
  return !ruta.empty() && ruta[0] == '/';
}

}  // namespace mtxsim
