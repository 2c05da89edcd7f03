// The settings file as the public interface shows it to hosts.
#include "settings/configuracion.h"
#include "vardel/configuracion.h"

namespace vardel {
inline namespace v1 {

std::string RutaConfiguracion() {
  return Configuracion::RutaConfig();
}

std::string LeeAjuste(const std::string& clave) {
  return Configuracion::LeeAjuste(clave);
}

std::string AvisoConfiguracion() {
  return Configuracion::AvisoMarcaUtf8();
}

}  // namespace v1
}  // namespace vardel
