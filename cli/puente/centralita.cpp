#include "centralita.h"

#include <climits>
#include <stdexcept>
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

// The events that close a read: the outbox keeps them with its documents.
bool CierraLectura(const std::string& tipo) {
  return tipo == "resumen" || tipo == "lectora_perdida" || tipo == "detenida";
}

// What a page is told of a read the bridge's death cut short.
ordered_json LecturaInterrumpida(int ultimoEntero) {
  return {{"tipo", "lectura_interrumpida"},
          {"ultimo_documento", ultimoEntero},
          {"aviso", ultimoEntero == 0
                        ? "el puente se detuvo sin acabar la lectura y sin entregar entero ningún "
                          "documento: vuelva a pasar los talones que salieron de la bandeja"
                        : "el puente se detuvo sin acabar la lectura: vuelva a pasar los talones "
                          "que salieron de la bandeja después del documento " +
                              std::to_string(ultimoEntero)}};
}

// A recovered document says so: the bridge cannot know whether the
// application registered it before the bridge went down.
std::string ComoPendiente(const std::string& texto) {
  ordered_json evento = ordered_json::parse(texto, nullptr, false);
  if (!evento.is_object()) {
    return texto;
  }
  evento["pendiente"] = true;
  return TextoLinea(evento);
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
                       std::function<void(Peticion)> alComponente, RegistroImagenes& imagenes)
    : ajustes_(ajustes),
      conexiones_(conexiones),
      alComponente_(std::move(alComponente)),
      imagenes_(imagenes),
      sesiones_(ajustes.ventana, ajustes.maxSesiones) {}

// An outbox that cannot be written does not stop the delivery: the page
// is still sent what it would have been, and the log says what is not
// safe on disk.
template <typename Operacion>
void Centralita::EnBuzon(Operacion operacion) {
  if (buzon_ == nullptr) {
    return;
  }
  try {
    operacion(*buzon_);
  } catch (const std::runtime_error& error) {
    Registra("no se puede escribir el buzón " + buzon_->Ruta().string() + ": " + error.what() +
             "; lo que no se haya guardado se perderá si el puente se detiene");
  }
}

// What an earlier run left: per origin, one session without a connection
// holding its documents (sent again marked pending, their images served
// to it), the events that closed their reads, and the notice of a read
// the bridge's death cut short.
void Centralita::Recupera(Buzon& buzon) {
  buzon_ = &buzon;
  std::map<std::string, std::string> porOrigen;
  const auto SesionDe = [&](const std::string& origen) {
    auto [it, nueva] = porOrigen.try_emplace(origen);
    if (nueva) {
      it->second = sesiones_.Recuperada(origen, RelojPuente::now());
    }
    return it->second;
  };
  std::map<int, std::string> origenLectura;
  for (const LecturaBuzon* lectura : buzon.Lecturas()) {
    origenLectura[lectura->id] = lectura->origen;
  }
  int recuperados = 0;
  for (const DocumentoBuzon* documento : buzon.Pendientes()) {
    const std::string token = SesionDe(origenLectura[documento->lectura]);
    for (const auto& [nombre, ruta] : documento->imagenes) {
      imagenes_.Registra(ruta, token);
    }
    sesiones_.Guarda(token,
                     {documento->documento, ComoPendiente(documento->texto), documento->nombre});
    ++recuperados;
  }
  for (const LecturaBuzon* lectura : buzon.Lecturas()) {
    const std::string token = SesionDe(lectura->origen);
    for (const std::string& cierre : lectura->cierres) {
      sesiones_.Difiere(token, cierre);
    }
    if (!lectura->cerrada && !lectura->avisada) {
      sesiones_.Difiere(token, TextoLinea(LecturaInterrumpida(lectura->ultimoEntero)));
      sesiones_.AvisoPendiente(token, lectura->id);
      Registra("la lectura " + std::to_string(lectura->id) + " de " + lectura->origen +
               " quedó sin acabar al detenerse el puente; último documento entregado entero: " +
               std::to_string(lectura->ultimoEntero));
    }
  }
  if (buzon.Descartados() > 0) {
    Registra("el buzón " + buzon.Ruta().string() + " tenía " + std::to_string(buzon.Descartados()) +
             " registros incompletos (cortados al detenerse el puente); se descartan");
  }
  if (recuperados > 0) {
    Registra(std::to_string(recuperados) +
             " documentos sin acuse de recibo recuperados del buzón; se envían como pendientes a "
             "la próxima página de su origen");
  }
}

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

bool Centralita::AdmiteSesion(const std::string& tokenPedido, const std::string& origen) const {
  if ((!tokenPedido.empty() && sesiones_.Existe(tokenPedido)) || sesiones_.Huerfana(origen)) {
    return true;
  }
  return sesiones_.HayPlaza();
}

void Centralita::Abre(std::uint64_t conexion, const std::string& tokenPedido,
                      const std::string& origen) {
  std::string token;
  bool reanudada = !tokenPedido.empty() && sesiones_.Reanuda(tokenPedido);
  if (reanudada) {
    token = tokenPedido;
  } else if (const auto huerfana = sesiones_.Huerfana(origen)) {
    // A closed tab's read, or what an earlier run left, goes to the next
    // page of the same origin.
    token = *huerfana;
    reanudada = sesiones_.Reanuda(token);
    Registra("una página de " + origen + " toma la sesión " + Abreviado(token) +
             ", que había quedado sin página");
  }
  if (reanudada) {
    // The page's earlier connection, if still open, gives way.
    if (const auto it = porToken_.find(token); it != porToken_.end()) {
      abiertas_[it->second].token.clear();
      conexiones_.Cierra(it->second);
    }
  } else {
    const std::optional<std::string> nueva = sesiones_.Nueva(origen);
    if (!nueva) {
      Registra("conexión rechazada: las " + std::to_string(ajustes_.maxSesiones) +
               " sesiones tienen una lectura, una página o documentos por entregar");
      conexiones_.CierraConMotivo(conexion, 1013, "demasiadas sesiones");
      return;
    }
    token = *nueva;
    if (!tokenPedido.empty()) {
      Registra(
          "una página volvió con un token que no es de ninguna sesión (¿pasada la ventana "
          "de reenvío?); recibe la sesión " +
          Abreviado(token));
    }
  }
  abiertas_[conexion] = Conexion{token, false, origen};
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
  if (const int lectura = sesiones_.TomaAvisoPendiente(token); lectura != 0) {
    EnBuzon([&](Buzon& b) { b.Avisada(lectura); });
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
    tokenLectura_ = datos.token;
    lecturaDetenida_ = false;
    sesiones_.EnLectura(datos.token, true, RelojPuente::now());
    EnBuzon([&](Buzon& b) { lectura_ = b.Lectura(datos.origen); });
    alComponente_(Peticion{Peticion::Orden::Leer, id, datos.token});
  } else if (nombre == "estado") {
    // The component answers one at a time: a page that asks faster than
    // it reads its answers is told to wait instead of growing the queue.
    int& enCurso = enCurso_[datos.token];
    if (enCurso >= kMaxEnCurso) {
      Envia(conexion, RespuestaError(id, kOcupada, "ocupada",
                                     "esta página tiene " + std::to_string(enCurso) +
                                         " peticiones sin responder; espere sus respuestas"));
      return;
    }
    ++enCurso;
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
    Recibido(conexion, datos.token, id,
             peticion.contains("documento") ? peticion["documento"] : ordered_json());
  } else {
    Envia(conexion,
          RespuestaError(id, kPeticionNoValida, "petición no válida",
                         nombre.empty() ? "falta \"orden\"" : "orden desconocida: " + nombre));
  }
}

// A document number is a positive int: anything else (a fraction, a
// number past int, a text) is a malformed request, never truncated into
// another document's number.
void Centralita::Recibido(std::uint64_t conexion, const std::string& token, const ordered_json& id,
                          const ordered_json& documento) {
  const bool entero = documento.is_number_integer();
  const bool enRango =
      entero && (documento.is_number_unsigned() ? documento.get<std::uint64_t>() <= INT_MAX
                                                : documento.get<std::int64_t>() >= 1 &&
                                                      documento.get<std::int64_t>() <= INT_MAX);
  if (!enRango) {
    Envia(conexion,
          RespuestaError(id, kPeticionNoValida, "petición no válida",
                         "recibido lleva \"documento\": el número del documento, de 1 a " +
                             std::to_string(INT_MAX)));
    return;
  }
  const int numero = documento.get<int>();
  if (sesiones_.Acusa(token, numero)) {
    EnBuzon([&](Buzon& b) { b.Quita(numero); });
    Envia(conexion, Respuesta(id));
  } else {
    Envia(conexion,
          RespuestaError(id, kDocumentoDesconocido, "documento desconocido",
                         "esta sesión no tiene pendiente el documento " + std::to_string(numero)));
  }
}

void Centralita::Responde(const std::string& token, const ordered_json& respuesta, bool estado) {
  if (const auto it = enCurso_.find(token); estado && it != enCurso_.end() && --it->second <= 0) {
    enCurso_.erase(it);
  }
  EnviaASesion(token, TextoLinea(respuesta));
}

void Centralita::Documento(const std::string& token, const ordered_json& evento,
                           const DetallesDocumento& detalles) {
  const std::string texto = TextoLinea(evento);
  DocumentoPendiente pendiente{evento.value("documento", 0), texto, detalles.nombre};
  EnBuzon([&](Buzon& b) {
    b.Documento({pendiente.documento, lectura_, texto, detalles.nombre, detalles.entero,
                 detalles.imagenes});
  });
  if (!sesiones_.Guarda(token, pendiente)) {
    TrazaSinAcuse({token, std::move(pendiente)},
                  "la página que pidió la lectura no volvió a tiempo");
    return;
  }
  if (const auto it = porToken_.find(token); it != porToken_.end()) {
    conexiones_.Envia(it->second, texto);
  }
}

void Centralita::Evento(const std::string& token, const ordered_json& evento) {
  const std::string texto = TextoLinea(evento);
  const std::string tipo = evento.value("tipo", "");
  if (CierraLectura(tipo)) {
    EnBuzon([&](Buzon& b) { b.Cierre(lectura_, texto); });
  }
  if (tipo == "detenida") {
    lecturaDetenida_ = true;
  }
  EnviaASesion(token, texto);
}

void Centralita::FinLectura() {
  leyendo_ = false;
  sesiones_.EnLectura(tokenLectura_, false, RelojPuente::now());
  EnBuzon([&](Buzon& b) { b.Fin(lectura_); });
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
    EnBuzon([&](Buzon& b) { b.Quita(perdido.documento.documento); });
  }
  for (const int lectura : sesiones_.TomaAvisosCaducados()) {
    Registra("ninguna página volvió en " + std::to_string(ajustes_.ventana.count()) +
             " s a por el aviso de la lectura " + std::to_string(lectura) +
             ", cortada al detenerse el puente: vuelva a pasar los talones que no consten");
    EnBuzon([&](Buzon& b) { b.Avisada(lectura); });
  }
}

void Centralita::Termina(const ordered_json& detenida) {
  const std::string texto = detenida.is_null() ? "" : TextoLinea(detenida);
  for (const auto& [conexion, datos] : abiertas_) {
    if (datos.token.empty()) {
      continue;  // given way to another connection, already closing
    }
    if (!texto.empty() && !(lecturaDetenida_ && datos.token == tokenLectura_)) {
      conexiones_.Envia(conexion, texto);
    }
    conexiones_.CierraConMotivo(conexion, kCierreDetenido, "el puente se detiene");
  }
  for (const DocumentoSinAcuse& perdido : sesiones_.Todos()) {
    TrazaSinAcuse(perdido, buzon_ == nullptr ? std::string("el puente se detuvo")
                                             : "el puente se detuvo; queda en el buzón " +
                                                   buzon_->Ruta().string() +
                                                   " para la próxima página de su origen");
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
