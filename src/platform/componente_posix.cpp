#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

#include "platform/componente.h"
#include "platform/componente_comun.h"

namespace vardel::platform {

namespace {

// The folder of the file that holds this very code (libvardel.so, or the
// program the core is linked into), links resolved.
std::string CalculaDirectorio() {
  Dl_info info{};
  std::string ruta;
  if (::dladdr(reinterpret_cast<void*>(&CalculaDirectorio), &info) != 0 &&
      info.dli_fname != nullptr) {
    ruta = info.dli_fname;
  }
  char absoluta[PATH_MAX];
  if (ruta.empty() || ::realpath(ruta.c_str(), absoluta) == nullptr) {
    if (::realpath("/proc/self/exe", absoluta) == nullptr) {
      return ".";
    }
  }
  ruta = absoluta;
  const auto barra = ruta.rfind('/');
  return barra == 0 ? std::string("/") : ruta.substr(0, barra);
}

}  // namespace

std::string DirectorioComponente() {
  if (auto sustituto = detalle::DirectorioSustituto()) {
    return *sustituto;
  }
  // A loaded library does not move: worked out once per process, not at
  // every settings read (each costs several readlink and stat calls).
  static const std::string directorio = CalculaDirectorio();
  return directorio;
}

}  // namespace vardel::platform
