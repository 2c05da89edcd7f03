#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "vardel/interaccion.h"

namespace vardel::prueba {

// The operator of the tests: records every message box and folder request
// and answers from a script. Without a script a yes/no question answers No
// and the folder browser is cancelled. While installed it is the thread's
// interaction.
class InteraccionGuionizada : public platform::Interaccion {
 public:
  struct Mensaje {
    std::string texto;
    std::string titulo;
    platform::BotonesMensaje botones;
    platform::IconoMensaje icono;
  };

  InteraccionGuionizada();
  ~InteraccionGuionizada() override;
  InteraccionGuionizada(const InteraccionGuionizada&) = delete;
  InteraccionGuionizada& operator=(const InteraccionGuionizada&) = delete;

  // Answers for the next yes/no questions, in order.
  std::deque<platform::RespuestaMensaje> respuestas;
  // Answers for the next folder requests, in order ("" cancels).
  std::deque<std::string> carpetas;
  // Runs while a message box is "shown" (for example to pump the loop).
  std::function<void()> mientrasSeMuestra;

  const std::vector<Mensaje>& Mensajes() const { return mensajes_; }
  const std::vector<std::string>& TitulosCarpeta() const { return titulosCarpeta_; }

  platform::RespuestaMensaje MuestraMensaje(const std::string& texto, const std::string& titulo,
                                            platform::BotonesMensaje botones,
                                            platform::IconoMensaje icono) override;
  std::string EligeCarpeta(const std::string& titulo) override;

 private:
  std::vector<Mensaje> mensajes_;
  std::vector<std::string> titulosCarpeta_;
};

}  // namespace vardel::prueba
