#include "support/interaccion_guionizada.h"

namespace vardel::prueba {

InteraccionGuionizada::InteraccionGuionizada() {
  platform::SustituyeInteraccion(this);
}

InteraccionGuionizada::~InteraccionGuionizada() {
  platform::SustituyeInteraccion(nullptr);
}

platform::RespuestaMensaje InteraccionGuionizada::MuestraMensaje(const std::string& texto,
                                                                 const std::string& titulo,
                                                                 platform::BotonesMensaje botones,
                                                                 platform::IconoMensaje icono) {
  mensajes_.push_back({texto, titulo, botones, icono});
  if (mientrasSeMuestra) {
    mientrasSeMuestra();
  }
  if (botones == platform::BotonesMensaje::Aceptar) {
    return platform::RespuestaMensaje::Aceptar;
  }
  if (respuestas.empty()) {
    return platform::RespuestaMensaje::No;
  }
  const auto respuesta = respuestas.front();
  respuestas.pop_front();
  return respuesta;
}

std::string InteraccionGuionizada::EligeCarpeta(const std::string& titulo) {
  titulosCarpeta_.push_back(titulo);
  if (carpetas.empty()) {
    return {};
  }
  std::string carpeta = carpetas.front();
  carpetas.pop_front();
  return carpeta;
}

}  // namespace vardel::prueba
