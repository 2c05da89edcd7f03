#include "settings/rutas.h"

#include "platform/archivos.h"

namespace vardel::Configuracion {

std::string RutaCorta(const std::string& ruta) {
  return platform::RutaCortaPlataforma(ruta);
}

}  // namespace vardel::Configuracion
