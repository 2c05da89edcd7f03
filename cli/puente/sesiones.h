#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vardel::cli::puente {

using RelojPuente = std::chrono::steady_clock;

// A document sent to a page and not yet acknowledged.
struct DocumentoPendiente {
  int documento = 0;
  std::string texto;   // the "documento" message, as sent
  std::string nombre;  // what the trace calls it: the cheque, its images
};

// A document the bridge gave up on: its page's token was not presented
// again within the resend window, or the bridge stopped.
struct DocumentoSinAcuse {
  std::string token;
  DocumentoPendiente documento;
};

// The pages' sessions, by token. A session outlives its connection: a page
// that reconnects presenting its token within the resend window gets back
// every document it has not acknowledged, in order. Past the window the
// session is forgotten and its documents handed back to be traced. Used
// on the network thread only.
class Sesiones {
 public:
  Sesiones(std::chrono::seconds ventana, std::size_t maximo);

  // A new session of a page of `origen`, connected; its token (128
  // random bits in hex). Past the maximum, a session no page can want back
  // makes room; nullopt when every session has a read in flight, a
  // connection or documents to acknowledge: none is ever dropped for a
  // newcomer.
  std::optional<std::string> Nueva(const std::string& origen);
  // Whether Nueva would give a session now.
  bool HayPlaza() const;
  // A session without a connection made for what an earlier run of the
  // bridge left for the pages of `origen`; its window starts now.
  std::string Recuperada(const std::string& origen, RelojPuente::time_point ahora);
  // Takes up a session again; false when the token names none alive.
  bool Reanuda(const std::string& token);
  // The session a new page of `origen` takes up: the one of its origin
  // without a connection that was left last with a read in flight or
  // something to deliver (the tab was closed, the bridge restarted).
  std::optional<std::string> Huerfana(const std::string& origen) const;
  void Desconecta(const std::string& token, RelojPuente::time_point ahora);
  bool Existe(const std::string& token) const;
  // Whether a read runs for the session; a session in a read is never
  // forgotten, and its window starts again when the read ends.
  void EnLectura(const std::string& token, bool si, RelojPuente::time_point ahora);

  // Keeps a document for the session until acknowledged; false when the
  // session is gone (the caller traces it).
  bool Guarda(const std::string& token, DocumentoPendiente documento);
  // The page acknowledged the document: false when it was not pending.
  bool Acusa(const std::string& token, int documento);
  std::vector<const DocumentoPendiente*> Pendientes(const std::string& token) const;

  // Another message for a session without a connection (the read's
  // answer, its summary, a jam), sent after its documents when the page
  // comes back. The oldest go past kMaxDiferidos.
  void Difiere(const std::string& token, std::string texto);
  std::vector<std::string> TomaDiferidos(const std::string& token);
  static constexpr std::size_t kMaxDiferidos = 64;

  // Forgets the sessions without a connection or a read for longer than
  // the window; gives back the documents they held.
  std::vector<DocumentoSinAcuse> Caduca(RelojPuente::time_point ahora);
  // Everything still pending, for the trace at the bridge's end.
  std::vector<DocumentoSinAcuse> Todos() const;
  // Forgotten with the session past its window: a cut read's notice no
  // page had.
  std::vector<int> TomaAvisosCaducados();
  // The cut read whose notice waits for this session's page (0: none).
  void AvisoPendiente(const std::string& token, int lectura);
  int TomaAvisoPendiente(const std::string& token);

 private:
  struct Sesion {
    std::string origen;
    bool conectada = true;
    bool enLectura = false;
    int aviso = 0;                  // a cut read's notice among the deferred messages
    RelojPuente::time_point desde;  // of the disconnection
    std::map<int, DocumentoPendiente> pendientes;
    std::vector<std::string> diferidos;
  };
  std::chrono::seconds ventana_;
  std::size_t maximo_;
  bool Quieta(const Sesion& sesion) const;
  std::map<std::string, Sesion> sesiones_;
  std::vector<int> avisosCaducados_;
};

}  // namespace vardel::cli::puente
