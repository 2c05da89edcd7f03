// The log's folder when Config.ini names none, fixed when the library is
// built (VARDEL_CARPETA_LOG): a packaged component's folder is under /usr,
// the package's own files, where a log would grow unseen and outlive a
// purge.
#include <string_view>

#include "platform/componente.h"
#include "settings/registro.h"

namespace vardel::Configuracion {

std::string CarpetaLogPredeterminada() {
  constexpr std::string_view kCarpeta = VARDEL_CARPETA_LOG;
  return kCarpeta.empty() ? platform::DirectorioComponente() : std::string(kCarpeta);
}

}  // namespace vardel::Configuracion
