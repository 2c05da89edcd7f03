#pragma once

#include <functional>
#include <nlohmann/json.hpp>
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
// What the operator does about a jam, in the text output and the "atasco"
// line: the jammed cheque is never read.
inline constexpr const char* kAvisoAtasco =
    "el cheque atascado no se ha leído: vuelva a pasarlo cuando la lectora haya vaciado el "
    "recorrido";
// The same for the text output, shown before the message that waits for
// OK: the path is cleared after it.
inline constexpr const char* kAvisoAtascoTexto =
    "Al aceptar el aviso, la lectora vacía el recorrido; el cheque atascado no se ha leído: "
    "vuelva a pasarlo.";

class MensajesOperador final : public platform::Interaccion {
 public:
  // `alAtasco` hears the jam's text before it is shown, so the command can
  // count it and place it among the documents of its text output. A
  // `destino` takes the JSON lines instead of the standard streams (the
  // bridge sends them to its pages).
  using DestinoLinea = std::function<void(const nlohmann::ordered_json&)>;
  MensajesOperador(bool json, std::function<void(const std::string&)> alAtasco,
                   DestinoLinea destino = {});
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
  DestinoLinea destino_;
};

// True when standard input is an interactive terminal (a console on
// Windows): someone may be there to answer.
bool EntradaEsTerminal();

}  // namespace vardel::cli
