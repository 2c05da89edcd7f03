#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "vardel/boolean.h"
#include "vardel/collection.h"
#include "vardel/error.h"

namespace vardel::device {
class Lectora;
}

namespace vardel::capture {

// The state one run of the capture cycle shares with its image step.
struct EstadoCiclo {
  explicit EstadoCiclo(device::Lectora& lectora) : lectora(lectora) {}

  device::Lectora& lectora;                    // the reader library the cycle drives
  std::string strRespuesta;                    // the result document of the capture call
  std::int16_t intIndiceError = 1;             // numbers the files of unparsed documents
  std::shared_ptr<Collection> colDatos;        // what LectoraDatos carries
  std::shared_ptr<Collection> datosLinea;      // the parse result of this document's line
  std::string lineaCodigo;                     // this document's code line as read, trimmed
  bool trazado = false;                        // a trace line already names this pass
  std::optional<ErrorEjecucion> trazaPerdida;  // a trace no log file took: stop feeding
  std::exception_ptr excepcionAnfitrion;       // thrown by the host's ImagenGuardada
  std::function<Boolean()> blnLogActivo;       // the object's switch, read at each log line
  std::function<void(int, const std::string&)> ImagenGuardada;  // told of each stored file
  std::function<void(int, const std::string&, std::int32_t)> ImagenNoGuardada;  // and each lost
};

// Stores image k (1 front, 2 back, 3 second front) of the current document.
void GuardaImagen(int k, EstadoCiclo& estado);

// The leading number of a text, as the runtime's Val reads it: leading
// spaces skipped (no other blank), then as far as the characters continue a
// number; 0 when none.
double NumeroInicial(const std::string& texto);

}  // namespace vardel::capture
