#include "sesiones.h"

#include <algorithm>
#include <random>
#include <utility>

#include "seguridad.h"

namespace vardel::cli::puente {

namespace {

std::string TokenNuevo() {
  // The platform's entropy source (getrandom, or rand_s on Windows).
  static std::random_device fuente;
  constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 4; ++i) {
    std::uint32_t valor = fuente();
    for (int j = 0; j < 8; ++j) {
      token += kHex[valor & 15];
      valor >>= 4;
    }
  }
  return token;
}

}  // namespace

Sesiones::Sesiones(std::chrono::seconds ventana, std::size_t maximo)
    : ventana_(ventana), maximo_(maximo) {}

std::string Sesiones::Nueva() {
  std::string token = TokenNuevo();
  while (sesiones_.count(token) != 0) {
    token = TokenNuevo();
  }
  sesiones_[token] = Sesion{};
  return token;
}

bool Sesiones::Reanuda(const std::string& token) {
  for (auto& [clave, sesion] : sesiones_) {
    if (MismoToken(clave, token)) {
      sesion.conectada = true;
      return true;
    }
  }
  return false;
}

void Sesiones::Desconecta(const std::string& token, RelojPuente::time_point ahora) {
  if (const auto it = sesiones_.find(token); it != sesiones_.end()) {
    it->second.conectada = false;
    it->second.desde = ahora;
  }
}

bool Sesiones::Existe(const std::string& token) const {
  return std::any_of(sesiones_.begin(), sesiones_.end(),
                     [&](const auto& par) { return MismoToken(par.first, token); });
}

bool Sesiones::Guarda(const std::string& token, DocumentoPendiente documento) {
  const auto it = sesiones_.find(token);
  if (it == sesiones_.end()) {
    return false;
  }
  const int numero = documento.documento;
  it->second.pendientes[numero] = std::move(documento);
  return true;
}

bool Sesiones::Acusa(const std::string& token, int documento) {
  const auto it = sesiones_.find(token);
  return it != sesiones_.end() && it->second.pendientes.erase(documento) == 1;
}

std::vector<const DocumentoPendiente*> Sesiones::Pendientes(const std::string& token) const {
  std::vector<const DocumentoPendiente*> lista;
  if (const auto it = sesiones_.find(token); it != sesiones_.end()) {
    for (const auto& [numero, documento] : it->second.pendientes) {
      lista.push_back(&documento);
    }
  }
  return lista;
}

void Sesiones::Difiere(const std::string& token, std::string texto) {
  if (const auto it = sesiones_.find(token); it != sesiones_.end()) {
    auto& diferidos = it->second.diferidos;
    if (diferidos.size() == kMaxDiferidos) {
      diferidos.erase(diferidos.begin());
    }
    diferidos.push_back(std::move(texto));
  }
}

std::vector<std::string> Sesiones::TomaDiferidos(const std::string& token) {
  const auto it = sesiones_.find(token);
  return it == sesiones_.end() ? std::vector<std::string>{}
                               : std::exchange(it->second.diferidos, {});
}

std::vector<DocumentoSinAcuse> Sesiones::Caduca(RelojPuente::time_point ahora) {
  std::vector<DocumentoSinAcuse> perdidos;
  for (auto it = sesiones_.begin(); it != sesiones_.end();) {
    if (!it->second.conectada && ahora - it->second.desde >= ventana_) {
      for (auto& [numero, documento] : it->second.pendientes) {
        perdidos.push_back({it->first, std::move(documento)});
      }
      it = sesiones_.erase(it);
    } else {
      ++it;
    }
  }
  // Too many sessions: the oldest ones no page can want back go first.
  while (sesiones_.size() > maximo_) {
    auto viejo = sesiones_.end();
    for (auto it = sesiones_.begin(); it != sesiones_.end(); ++it) {
      if (!it->second.conectada && it->second.pendientes.empty() &&
          (viejo == sesiones_.end() || it->second.desde < viejo->second.desde)) {
        viejo = it;
      }
    }
    if (viejo == sesiones_.end()) {
      break;
    }
    sesiones_.erase(viejo);
  }
  return perdidos;
}

std::vector<DocumentoSinAcuse> Sesiones::Todos() const {
  std::vector<DocumentoSinAcuse> todos;
  for (const auto& [token, sesion] : sesiones_) {
    for (const auto& [numero, documento] : sesion.pendientes) {
      todos.push_back({token, documento});
    }
  }
  return todos;
}

}  // namespace vardel::cli::puente
