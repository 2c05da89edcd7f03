#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "ajustes.h"
#include "peticiones.h"
#include "sesiones.h"

namespace vardel::cli::puente {

using nlohmann::ordered_json;

// The protocol's version, in the welcome and the health answer.
inline constexpr const char* kVersionProtocolo = "1";

// The bridge's own error numbers in a failed answer; a run-time error of
// the component keeps its own number (below 1000).
inline constexpr int kPeticionNoValida = 1000;
inline constexpr int kOcupada = 1001;
inline constexpr int kSinLectora = 1002;
inline constexpr int kDocumentoDesconocido = 1003;

ordered_json Respuesta(const ordered_json& id);
ordered_json RespuestaError(const ordered_json& id, int numero, const std::string& descripcion,
                            const std::string& detalle);

// What the switchboard needs of the network side.
class Conexiones {
 public:
  virtual ~Conexiones() = default;
  virtual void Envia(std::uint64_t conexion, std::string texto) = 0;
  // Ends a connection another has taken the place of.
  virtual void Cierra(std::uint64_t conexion) = 0;
};

// The protocol on the network thread: which page holds which session,
// what each message asks, where each event of the component goes. Never
// touches the component: reads and status questions go to its thread
// through `alComponente`, and its events come back through the methods
// below, posted to this thread.
class Centralita {
 public:
  Centralita(const AjustesPuente& ajustes, Conexiones& conexiones,
             std::function<void(Peticion)> alComponente);

  // A page's WebSocket is open; `tokenPedido` is the token it presented
  // to take up its session again ("" for none).
  void Abre(std::uint64_t conexion, const std::string& tokenPedido);
  void Mensaje(std::uint64_t conexion, const std::string& texto);
  void Cierra(std::uint64_t conexion);

  // From the component's thread.
  void Responde(const std::string& token, const ordered_json& respuesta);
  // An event of the read the session asked for; a "documento" is kept
  // until acknowledged. `nombre` says which cheque it is in the trace.
  void Evento(const std::string& token, const ordered_json& evento, const std::string& nombre);
  // The reader's presence changed: a "lectora" event to every watcher.
  void Presencia(bool conectada, const ordered_json& evento);
  void FinLectura() { leyendo_ = false; }
  // To every open page (an operator message outside a read).
  void Difunde(const ordered_json& evento);

  // Every second: sessions past the resend window are forgotten, and
  // their documents named in the log.
  void Caduca(RelojPuente::time_point ahora);
  // At the bridge's end: names every document still unacknowledged.
  void Termina();

  bool TokenVivo(const std::string& token) const { return sesiones_.Existe(token); }
  // GET /v1/estado.
  ordered_json Estado() const;

 private:
  struct Conexion {
    std::string token;
    bool vigila = false;
  };
  void Envia(std::uint64_t conexion, const ordered_json& mensaje);
  void EnviaASesion(const std::string& token, const std::string& texto);
  void Atiende(std::uint64_t conexion, Conexion& datos, const ordered_json& peticion);

  const AjustesPuente& ajustes_;
  Conexiones& conexiones_;
  std::function<void(Peticion)> alComponente_;
  Sesiones sesiones_;
  std::map<std::uint64_t, Conexion> abiertas_;
  std::map<std::string, std::uint64_t> porToken_;  // a session's connection
  bool leyendo_ = false;
  std::optional<bool> lectora_;
};

}  // namespace vardel::cli::puente
