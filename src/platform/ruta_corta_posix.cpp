#include "platform/archivos.h"
#include "platform/ruta_corta.h"

namespace vardel::platform {

// POSIX keeps no short names: the path itself names the same folder.
std::string RutaCortaPlataforma(const std::string& ruta) {
  return ExisteRuta(ruta) ? ruta : std::string();
}

}  // namespace vardel::platform
