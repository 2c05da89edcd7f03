#include "settings/global.h"

#include "vardel/interaccion.h"

namespace vardel::Global {

std::string SeleccionaDirectorio() {
  return platform::InteraccionActual().EligeCarpeta(
      "Seleccione el directorio donde guardar las imágenes.");
}

}  // namespace vardel::Global
