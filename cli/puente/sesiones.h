#pragma once

#include <chrono>
#include <cstddef>
#include <map>
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

  // A new session, connected; its token (128 random bits in hex).
  std::string Nueva();
  // Takes up a session again; false when the token names none alive.
  bool Reanuda(const std::string& token);
  void Desconecta(const std::string& token, RelojPuente::time_point ahora);
  bool Existe(const std::string& token) const;

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

  // Forgets the sessions without a connection for longer than the window
  // (and, past the maximum, the oldest without a connection and nothing
  // pending); gives back the documents they held.
  std::vector<DocumentoSinAcuse> Caduca(RelojPuente::time_point ahora);
  // Everything still pending, for the trace at the bridge's end.
  std::vector<DocumentoSinAcuse> Todos() const;

 private:
  struct Sesion {
    bool conectada = true;
    RelojPuente::time_point desde;  // of the disconnection
    std::map<int, DocumentoPendiente> pendientes;
    std::vector<std::string> diferidos;
  };
  std::chrono::seconds ventana_;
  std::size_t maximo_;
  std::map<std::string, Sesion> sesiones_;
};

}  // namespace vardel::cli::puente
