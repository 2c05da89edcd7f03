#pragma once

#include <functional>
#include <string>

#include "vardel/interaccion.h"

namespace vardel::cli {

// The operator's messages while a command runs. At a terminal, without
// --json, they are shown and waited for as the platform shows them. With
// --json, or when standard input is not a terminal (a script, a service),
// each becomes a JSON line, "atasco" for the jam and "mensaje" for any
// other, and is answered at once, so nothing waits for a person who is not
// there: on standard output with --json, on standard error otherwise, where
// the text output stays readable.
class MensajesOperador final : public platform::Interaccion {
 public:
  // Without --json, `alAtasco` hears the jam's text before it is shown, so
  // the command can place it among the documents of its text output.
  MensajesOperador(bool json, std::function<void(const std::string&)> alAtasco);
  ~MensajesOperador() override;
  MensajesOperador(const MensajesOperador&) = delete;
  MensajesOperador& operator=(const MensajesOperador&) = delete;

  platform::RespuestaMensaje MuestraMensaje(const std::string& texto, const std::string& titulo,
                                            platform::BotonesMensaje botones,
                                            platform::IconoMensaje icono) override;
  std::string EligeCarpeta(const std::string& titulo) override;

 private:
  bool json_;
  bool interactivo_;
  std::function<void(const std::string&)> alAtasco_;
};

// True when standard input is an interactive terminal (a console on
// Windows): someone may be there to answer.
bool EntradaEsTerminal();

}  // namespace vardel::cli
