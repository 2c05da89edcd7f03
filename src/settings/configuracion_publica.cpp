// The settings file as the public interface shows it to hosts.
#include "settings/configuracion.h"
#include "vardel/configuracion.h"

namespace vardel {

std::string RutaConfiguracion() {
  return Configuracion::RutaConfig();
}

std::string LeeAjuste(const std::string& clave) {
  return Configuracion::LeeAjuste(clave);
}

std::string AvisoConfiguracion() {
  return Configuracion::AvisoMarcaUtf8();
}

}  // namespace vardel
