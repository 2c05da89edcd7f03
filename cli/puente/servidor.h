#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "ajustes.h"
#include "centralita.h"
#include "imagenes.h"
#include "peticiones.h"

namespace vardel::cli::puente {

// The bridge's network side: HTTP and WebSocket on the loopback only, on a
// thread of its own. Every request passes the Host, Origin and size checks
// before anything else; the protocol itself is the switchboard's
// (Centralita), which lives on that thread. The only file that sees the
// HTTP and WebSocket library, so the rest of the tree builds fast.
class Servidor {
 public:
  Servidor(const AjustesPuente& ajustes, const RegistroImagenes& imagenes,
           std::function<void(Peticion)> alComponente);
  ~Servidor();
  Servidor(const Servidor&) = delete;
  Servidor& operator=(const Servidor&) = delete;

  // Listens on 127.0.0.1 and ::1 (when the machine has it) and starts the
  // network thread; the port listened on. Throws std::runtime_error with
  // the reason when 127.0.0.1 cannot be had.
  std::uint16_t Arranca();
  // Runs `tarea` on the network thread, with the switchboard; from any
  // thread, in order.
  void EnRed(std::function<void(Centralita&)> tarea);
  // Names the documents no page acknowledged, closes every connection and
  // ends the thread.
  void Para();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vardel::cli::puente
