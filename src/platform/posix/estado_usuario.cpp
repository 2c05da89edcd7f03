#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/estado_usuario.h"

namespace vardel::platform {

namespace {

// The account's home: $HOME, or the password database's entry.
std::string Hogar() {
  if (const char* hogar = std::getenv("HOME"); hogar != nullptr && hogar[0] == '/') {
    return hogar;
  }
  const passwd* cuenta = ::getpwuid(::geteuid());
  return cuenta != nullptr && cuenta->pw_dir != nullptr ? cuenta->pw_dir : "";
}

// Every missing level of the path, private to the account as the XDG
// folders are.
bool CreaCarpetas(const std::string& ruta) {
  for (std::size_t barra = ruta.find('/', 1);; barra = ruta.find('/', barra + 1)) {
    const std::string nivel = ruta.substr(0, barra);
    if (::mkdir(nivel.c_str(), 0700) != 0 && errno != EEXIST) {
      return false;
    }
    if (barra == std::string::npos) {
      return true;
    }
  }
}

}  // namespace

std::string CarpetaEstadoUsuario() {
  std::string base;
  if (const char* estado = std::getenv("XDG_STATE_HOME"); estado != nullptr && estado[0] == '/') {
    base = estado;
  } else if (const std::string hogar = Hogar(); !hogar.empty()) {
    base = hogar + "/.local/state";
  } else {
    return {};
  }
  const std::string carpeta = base + "/vardel";
  return CreaCarpetas(carpeta) ? carpeta : std::string();
}

}  // namespace vardel::platform
