#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "ajustes.h"
#include "buzon.h"
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
  Servidor(const AjustesPuente& ajustes, RegistroImagenes& imagenes,
           std::function<void(Peticion)> alComponente);
  ~Servidor();
  Servidor(const Servidor&) = delete;
  Servidor& operator=(const Servidor&) = delete;

  // Listens on 127.0.0.1 and ::1; the port listened on. Throws
  // std::runtime_error with the reason and the way out when either is
  // taken: a page that uses "localhost" may reach ::1 first, and must
  // never find another program there. A machine without IPv6 at all is
  // served on 127.0.0.1 alone.
  std::uint16_t Escucha();
  // What is listened on, for the start line.
  std::string Direcciones() const;
  // Takes what `buzon` holds from an earlier run and starts serving on
  // the network thread.
  void Arranca(Buzon& buzon);
  // Runs `tarea` on the network thread, with the switchboard; from any
  // thread, in order.
  void EnRed(std::function<void(Centralita&)> tarea);
  // Every page gets `detenida` and a close frame (a second at most to
  // write them); the documents no page acknowledged are named in the log
  // and stay in the outbox; then the thread ends.
  void Para(const nlohmann::ordered_json& detenida);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vardel::cli::puente
