#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <string>

#include "platform/componente_plataforma.h"

namespace vardel::platform {

// The folder of the file that holds this very code (libvardel.so, or the
// program the core is linked into), links resolved.
std::string detalle::CalculaDirectorio() {
  Dl_info info{};
  std::string ruta;
  if (::dladdr(reinterpret_cast<void*>(&detalle::CalculaDirectorio), &info) != 0 &&
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

}  // namespace vardel::platform
