#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ajustes.h"
#include "buzon.h"
#include "imagenes.h"
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

// WebSocket close codes the bridge gives: it stops (going away), and a
// page that does not read what it is sent (policy).
inline constexpr std::uint16_t kCierreDetenido = 1001;
inline constexpr std::uint16_t kCierreNoLee = 1008;

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
  // Closes a connection with a close frame, once what is queued for it
  // is written.
  virtual void CierraConMotivo(std::uint64_t conexion, std::uint16_t codigo,
                               const std::string& motivo) = 0;
};

// What the outbox needs of a document beyond its message.
struct DetallesDocumento {
  std::string nombre;  // what the trace calls it
  bool entero = false;
  std::vector<std::pair<std::string, std::string>> imagenes;  // file name, path
};

// The protocol on the network thread: which page holds which session,
// what each message asks, where each event of the component goes. Never
// touches the component: reads and status questions go to its thread
// through `alComponente`, and its events come back through the methods
// below, posted to this thread.
class Centralita {
 public:
  Centralita(const AjustesPuente& ajustes, Conexiones& conexiones,
             std::function<void(Peticion)> alComponente, RegistroImagenes& imagenes);

  // From now on every document goes to `buzon` before it is sent. What it
  // holds from an earlier run goes, as pending, to the next page of the
  // origin that asked for its read. Before any page connects.
  void Recupera(Buzon& buzon);

  // Whether a page of `origen` presenting `tokenPedido` would get a
  // session: false when every place is held by a session a page may still
  // want (the handshake is refused then).
  bool AdmiteSesion(const std::string& tokenPedido, const std::string& origen) const;
  // A page's WebSocket is open; `tokenPedido` is the token it presented
  // to take up its session again ("" for none). A page whose token names
  // no live session takes up its origin's orphan, if any.
  void Abre(std::uint64_t conexion, const std::string& tokenPedido, const std::string& origen);
  void Mensaje(std::uint64_t conexion, const std::string& texto);
  void Cierra(std::uint64_t conexion);

  // From the component's thread: the answer to a request of the session
  // (`estado`: to a status question).
  void Responde(const std::string& token, const ordered_json& respuesta, bool estado = false);
  // Status questions a session may have waiting for the component.
  static constexpr int kMaxEnCurso = 8;
  // A document of the read the session asked for: written to the outbox,
  // then sent, and kept until acknowledged.
  void Documento(const std::string& token, const ordered_json& evento,
                 const DetallesDocumento& detalles);
  // Any other event of that read; one that closes it goes to the outbox
  // first.
  void Evento(const std::string& token, const ordered_json& evento);
  // The reader's presence changed: a "lectora" event to every watcher.
  void Presencia(bool conectada, const ordered_json& evento);
  // The read's answer is about to go.
  void FinLectura();
  // To every open page (an operator message outside a read).
  void Difunde(const ordered_json& evento);

  // Every second: sessions past the resend window are forgotten, and
  // their documents named in the log.
  void Caduca(RelojPuente::time_point ahora);
  // At the bridge's end: every page gets a "detenida" (unless its read
  // already said so) and a close frame; every document still
  // unacknowledged is named in the log, and stays in the outbox.
  void Termina(const ordered_json& detenida);

  bool TokenVivo(const std::string& token) const { return sesiones_.Existe(token); }
  // GET /v1/estado.
  ordered_json Estado() const;

 private:
  struct Conexion {
    std::string token;
    bool vigila = false;
    std::string origen;
  };
  void Envia(std::uint64_t conexion, const ordered_json& mensaje);
  void EnviaASesion(const std::string& token, const std::string& texto);
  void Atiende(std::uint64_t conexion, Conexion& datos, const ordered_json& peticion);
  // Runs an operation on the outbox; one that fails is logged, and the
  // page is still sent what it would have been.
  template <typename Operacion>
  void EnBuzon(Operacion operacion);
  void Recibido(std::uint64_t conexion, const std::string& token, const ordered_json& id,
                const ordered_json& documento);

  const AjustesPuente& ajustes_;
  Conexiones& conexiones_;
  std::function<void(Peticion)> alComponente_;
  Buzon* buzon_ = nullptr;
  RegistroImagenes& imagenes_;
  Sesiones sesiones_;
  std::map<std::uint64_t, Conexion> abiertas_;
  std::map<std::string, std::uint64_t> porToken_;  // a session's connection
  bool leyendo_ = false;
  int lectura_ = 0;                     // the read in flight, or the last one, in the outbox
  std::string tokenLectura_;            // its page's session
  bool lecturaDetenida_ = false;        // its page was told the bridge stops
  std::map<std::string, int> enCurso_;  // status questions waiting, by session
  std::optional<bool> lectora_;
};

}  // namespace vardel::cli::puente
