// The settings file as the public interface shows it to hosts.
#include "platform/perfil.h"
#include "settings/configuracion.h"
#include "vardel/configuracion.h"

namespace vardel {
inline namespace v1 {

namespace {
constexpr int kCapacidadAjusteDe = 4096;
}  // namespace

std::string RutaConfiguracion() {
  return Configuracion::RutaConfig();
}

std::string LeeAjuste(const std::string& clave) {
  return Configuracion::LeeAjuste(clave);
}

std::string LeeAjusteDe(const std::string& seccion, const std::string& clave) {
  return platform::LeePerfilPrivado(seccion, clave, "", kCapacidadAjusteDe,
                                    Configuracion::RutaConfig());
}

std::string AvisoConfiguracion() {
  return Configuracion::AvisoMarcaUtf8();
}

}  // namespace v1
}  // namespace vardel
