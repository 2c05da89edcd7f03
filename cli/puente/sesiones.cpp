#include "sesiones.h"

#include <algorithm>
#include <utility>

#include "seguridad.h"

namespace vardel::cli::puente {

namespace {

std::string TokenNuevo() {
  constexpr char kHex[] = "0123456789abcdef";
  std::string token;
  for (const unsigned char byte : BytesAleatorios(16)) {
    token += kHex[byte >> 4];
    token += kHex[byte & 15];
  }
  return token;
}

}  // namespace

Sesiones::Sesiones(std::chrono::seconds ventana, std::size_t maximo)
    : ventana_(ventana), maximo_(maximo) {}

// Nothing a page could want back: no connection, no read, nothing to
// deliver.
bool Sesiones::Quieta(const Sesion& sesion) const {
  return !sesion.conectada && !sesion.enLectura && sesion.pendientes.empty() && sesion.aviso == 0;
}

bool Sesiones::HayPlaza() const {
  return sesiones_.size() < maximo_ ||
         std::any_of(sesiones_.begin(), sesiones_.end(),
                     [this](const auto& par) { return Quieta(par.second); });
}

std::optional<std::string> Sesiones::Nueva(const std::string& origen) {
  while (sesiones_.size() >= maximo_) {
    auto viejo = sesiones_.end();
    for (auto it = sesiones_.begin(); it != sesiones_.end(); ++it) {
      if (Quieta(it->second) &&
          (viejo == sesiones_.end() || it->second.desde < viejo->second.desde)) {
        viejo = it;
      }
    }
    if (viejo == sesiones_.end()) {
      return std::nullopt;
    }
    sesiones_.erase(viejo);
  }
  std::string token = TokenNuevo();
  while (sesiones_.count(token) != 0) {
    token = TokenNuevo();
  }
  Sesion sesion;
  sesion.origen = origen;
  sesiones_[token] = std::move(sesion);
  return token;
}

std::string Sesiones::Recuperada(const std::string& origen, RelojPuente::time_point ahora) {
  std::string token = TokenNuevo();
  while (sesiones_.count(token) != 0) {
    token = TokenNuevo();
  }
  Sesion sesion;
  sesion.origen = origen;
  sesion.conectada = false;
  sesion.desde = ahora;
  sesiones_[token] = std::move(sesion);
  return token;
}

std::optional<std::string> Sesiones::Huerfana(const std::string& origen) const {
  const std::pair<const std::string, Sesion>* elegida = nullptr;
  for (const auto& par : sesiones_) {
    const Sesion& sesion = par.second;
    if (sesion.origen == origen && !sesion.conectada &&
        (sesion.enLectura || !sesion.pendientes.empty() || sesion.aviso != 0) &&
        (elegida == nullptr || sesion.desde > elegida->second.desde)) {
      elegida = &par;
    }
  }
  return elegida == nullptr ? std::nullopt : std::optional<std::string>(elegida->first);
}

void Sesiones::EnLectura(const std::string& token, bool si, RelojPuente::time_point ahora) {
  if (const auto it = sesiones_.find(token); it != sesiones_.end()) {
    it->second.enLectura = si;
    if (!si && !it->second.conectada) {
      it->second.desde = ahora;
    }
  }
}

void Sesiones::AvisoPendiente(const std::string& token, int lectura) {
  if (const auto it = sesiones_.find(token); it != sesiones_.end()) {
    it->second.aviso = lectura;
  }
}

int Sesiones::TomaAvisoPendiente(const std::string& token) {
  const auto it = sesiones_.find(token);
  return it == sesiones_.end() ? 0 : std::exchange(it->second.aviso, 0);
}

std::vector<int> Sesiones::TomaAvisosCaducados() {
  return std::exchange(avisosCaducados_, {});
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
    if (!it->second.conectada && !it->second.enLectura && ahora - it->second.desde >= ventana_) {
      for (auto& [numero, documento] : it->second.pendientes) {
        perdidos.push_back({it->first, std::move(documento)});
      }
      if (it->second.aviso != 0) {
        avisosCaducados_.push_back(it->second.aviso);
      }
      it = sesiones_.erase(it);
    } else {
      ++it;
    }
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
