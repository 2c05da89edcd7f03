#include "centralita.h"

#include <utility>

#include "../salida.h"
#include "registro.h"

namespace vardel::cli::puente {

namespace {

// What the log shows of a token: enough to tell sessions apart, too little
// to take one up.
std::string Abreviado(const std::string& token) {
  return token.substr(0, 6) + "…";
}

void TrazaSinAcuse(const DocumentoSinAcuse& perdido, const std::string& motivo) {
  Registra("documento " + std::to_string(perdido.documento.documento) + " sin acuse de recibo (" +
           perdido.documento.nombre + "), sesión " + Abreviado(perdido.token) + ": " + motivo +
           "; compruebe si la aplicación lo registró o vuelva a pasar el talón");
}

}  // namespace

ordered_json Respuesta(const ordered_json& id) {
  return {{"tipo", "respuesta"}, {"id", id}, {"ok", true}};
}

ordered_json RespuestaError(const ordered_json& id, int numero, const std::string& descripcion,
                            const std::string& detalle) {
  return {{"tipo", "respuesta"},
          {"id", id},
          {"ok", false},
          {"numero", numero},
          {"descripcion", descripcion},
          {"detalle", detalle.empty() ? ordered_json(nullptr) : ordered_json(detalle)}};
}

Centralita::Centralita(const AjustesPuente& ajustes, Conexiones& conexiones,
                       std::function<void(Peticion)> alComponente)
    : ajustes_(ajustes),
      conexiones_(conexiones),
      alComponente_(std::move(alComponente)),
      sesiones_(ajustes.ventana, ajustes.maxSesiones) {}

void Centralita::Envia(std::uint64_t conexion, const ordered_json& mensaje) {
  conexiones_.Envia(conexion, TextoLinea(mensaje));
}

void Centralita::EnviaASesion(const std::string& token, const std::string& texto) {
  if (const auto it = porToken_.find(token); it != porToken_.end()) {
    conexiones_.Envia(it->second, texto);
  } else {
    sesiones_.Difiere(token, texto);
  }
}

void Centralita::Abre(std::uint64_t conexion, const std::string& tokenPedido) {
  std::string token;
  const bool reanudada = !tokenPedido.empty() && sesiones_.Reanuda(tokenPedido);
  if (reanudada) {
    token = tokenPedido;
    // The page's earlier connection, if still open, gives way.
    if (const auto it = porToken_.find(token); it != porToken_.end()) {
      abiertas_[it->second].token.clear();
      conexiones_.Cierra(it->second);
    }
  } else {
    token = sesiones_.Nueva();
    if (!tokenPedido.empty()) {
      Registra(
          "una página volvió con un token que no es de ninguna sesión (¿pasada la ventana "
          "de reenvío?); recibe la sesión " +
          Abreviado(token));
    }
  }
  abiertas_[conexion] = Conexion{token, false};
  porToken_[token] = conexion;
  Envia(conexion, {{"tipo", "bienvenida"},
                   {"version", kVersionProtocolo},
                   {"token", token},
                   {"reanudada", reanudada},
                   {"leyendo", leyendo_},
                   {"max_mensaje", ajustes_.maxMensaje},
                   {"reenvio_segundos", ajustes_.ventana.count()}});
  for (const DocumentoPendiente* pendiente : sesiones_.Pendientes(token)) {
    conexiones_.Envia(conexion, pendiente->texto);
  }
  for (std::string& texto : sesiones_.TomaDiferidos(token)) {
    conexiones_.Envia(conexion, std::move(texto));
  }
}

void Centralita::Cierra(std::uint64_t conexion) {
  const auto it = abiertas_.find(conexion);
  if (it == abiertas_.end()) {
    return;
  }
  const std::string token = it->second.token;
  abiertas_.erase(it);
  if (!token.empty()) {
    porToken_.erase(token);
    sesiones_.Desconecta(token, RelojPuente::now());
  }
}

void Centralita::Mensaje(std::uint64_t conexion, const std::string& texto) {
  const auto it = abiertas_.find(conexion);
  // A connection whose session another has taken up is closing: it asks
  // nothing more.
  if (it == abiertas_.end() || it->second.token.empty()) {
    return;
  }
  const ordered_json peticion = ordered_json::parse(texto, nullptr, false);
  if (!peticion.is_object()) {
    Envia(conexion, RespuestaError(nullptr, kPeticionNoValida, "petición no válida",
                                   "cada mensaje es un objeto JSON con \"orden\""));
    return;
  }
  Atiende(conexion, it->second, peticion);
}

void Centralita::Atiende(std::uint64_t conexion, Conexion& datos, const ordered_json& peticion) {
  const ordered_json id = peticion.contains("id") ? peticion["id"] : ordered_json(nullptr);
  const auto orden = peticion.find("orden");
  const std::string nombre =
      orden != peticion.end() && orden->is_string() ? orden->get<std::string>() : "";
  if (nombre == "leer") {
    if (leyendo_) {
      Envia(conexion, RespuestaError(id, kOcupada, "ocupada",
                                     "hay una lectura en curso; pídala de nuevo cuando acabe"));
      return;
    }
    leyendo_ = true;
    alComponente_(Peticion{Peticion::Orden::Leer, id, datos.token});
  } else if (nombre == "estado") {
    alComponente_(Peticion{Peticion::Orden::Estado, id, datos.token});
  } else if (nombre == "vigilar") {
    const auto activo = peticion.find("activo");
    if (activo == peticion.end() || !activo->is_boolean()) {
      Envia(conexion, RespuestaError(id, kPeticionNoValida, "petición no válida",
                                     "vigilar lleva \"activo\": true o false"));
      return;
    }
    datos.vigila = activo->get<bool>();
    Envia(conexion, Respuesta(id));
    // As vardel watch: the state now, then each change.
    if (datos.vigila && lectora_) {
      Envia(conexion, LineaLectora(*lectora_));
    }
  } else if (nombre == "recibido") {
    const auto documento = peticion.find("documento");
    if (documento == peticion.end() || !documento->is_number_integer()) {
      Envia(conexion, RespuestaError(id, kPeticionNoValida, "petición no válida",
                                     "recibido lleva \"documento\": el número del documento"));
      return;
    }
    const int numero = documento->get<int>();
    if (sesiones_.Acusa(datos.token, numero)) {
      Envia(conexion, Respuesta(id));
    } else {
      Envia(conexion, RespuestaError(
                          id, kDocumentoDesconocido, "documento desconocido",
                          "esta sesión no tiene pendiente el documento " + std::to_string(numero)));
    }
  } else {
    Envia(conexion,
          RespuestaError(id, kPeticionNoValida, "petición no válida",
                         nombre.empty() ? "falta \"orden\"" : "orden desconocida: " + nombre));
  }
}

void Centralita::Responde(const std::string& token, const ordered_json& respuesta) {
  EnviaASesion(token, TextoLinea(respuesta));
}

void Centralita::Evento(const std::string& token, const ordered_json& evento,
                        const std::string& nombre) {
  const std::string texto = TextoLinea(evento);
  if (evento.value("tipo", "") == "documento") {
    DocumentoPendiente pendiente{evento.value("documento", 0), texto, nombre};
    if (!sesiones_.Guarda(token, pendiente)) {
      TrazaSinAcuse({token, std::move(pendiente)},
                    "la página que pidió la lectura no volvió a tiempo");
      return;
    }
    if (const auto it = porToken_.find(token); it != porToken_.end()) {
      conexiones_.Envia(it->second, texto);
    }
    return;
  }
  EnviaASesion(token, texto);
}

void Centralita::Presencia(bool conectada, const ordered_json& evento) {
  const bool cambio = lectora_ != conectada;
  lectora_ = conectada;
  if (!cambio) {
    return;
  }
  const std::string texto = TextoLinea(evento);
  for (const auto& [conexion, datos] : abiertas_) {
    if (datos.vigila) {
      conexiones_.Envia(conexion, texto);
    }
  }
}

void Centralita::Difunde(const ordered_json& evento) {
  const std::string texto = TextoLinea(evento);
  for (const auto& [conexion, datos] : abiertas_) {
    conexiones_.Envia(conexion, texto);
  }
}

void Centralita::Caduca(RelojPuente::time_point ahora) {
  for (const DocumentoSinAcuse& perdido : sesiones_.Caduca(ahora)) {
    TrazaSinAcuse(perdido, "la página no volvió con su token en " +
                               std::to_string(ajustes_.ventana.count()) + " s");
  }
}

void Centralita::Termina() {
  for (const DocumentoSinAcuse& perdido : sesiones_.Todos()) {
    TrazaSinAcuse(perdido, "el puente se detuvo");
  }
}

ordered_json Centralita::Estado() const {
  return {{"servicio", "vardel"},
          {"version", kVersionProtocolo},
          {"lectora", lectora_ ? ordered_json(*lectora_) : ordered_json(nullptr)},
          {"leyendo", leyendo_},
          {"paginas", abiertas_.size()}};
}

}  // namespace vardel::cli::puente
