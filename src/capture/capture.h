#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "vardel/boolean.h"
#include "vardel/collection.h"

namespace vardel {

class frmConfigLectorUSB;
namespace device {
class Lectora;
}

// The reader initialisation and the capture cycle: private routines of a
// Comunica, kept apart so each can be tested on its own.
namespace capture {

// What the cycle uses of the Comunica that runs it.
struct Contexto {
  explicit Contexto(device::Lectora& lectora) : lectora(lectora) {}

  // The reader library the cycle drives.
  device::Lectora& lectora;
  // Reads the object's logging switch: at every log line, so a host that
  // changes it from an event handler is heard from that line on.
  std::function<Boolean()> blnLogActivo = [] { return Boolean::False; };
  frmConfigLectorUSB* PantallaConfig = nullptr;
  // Raises the Comunica's LectoraDatos.
  std::function<void(const std::shared_ptr<Collection>&)> LectoraDatos;
  // Told of each image file once it is stored whole (may be empty).
  std::function<void(int, const std::string&)> ImagenGuardada;
  // The host's hooks (each may be empty): an image not stored (its path
  // or "", and the number its trace line carries); the open call's result;
  // a failed capture call and whether "DOCPRESENT" came back; and whether
  // to stop before the next capture call.
  std::function<void(int, const std::string&, std::int32_t)> ImagenNoGuardada;
  std::function<void(std::int32_t)> LectoraAbierta;
  std::function<void(std::int32_t, bool)> CapturaFallida;
  std::function<bool()> Detener;
};

// Asks the reader for its status and tests the endorser's ink, builds the
// processing options into strOpciones, and sets the log directory. Leaves
// the reader closed.
void InicializaLectora(device::Lectora& lectora, std::string& strOpciones, Boolean blnLogActivo);

// Feeds the documents in the tray one per pass until the reader reports no
// further document, raising LectoraDatos for each processed one.
void ProcesaCheques(const Contexto& contexto);

}  // namespace capture
}  // namespace vardel
