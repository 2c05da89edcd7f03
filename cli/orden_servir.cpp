// vardel serve: the web bridge. Browser pages on this machine read the
// cheques over a WebSocket on the loopback (docs/web-bridge.md). The one
// Comunica lives on this, the main thread, which created it; the network
// thread (puente/servidor.cpp) hands each request over through a queue
// and gets the component's events posted back.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

#include "lectura.h"
#include "mensajes_operador.h"
#include "ordenes.h"
#include "parada.h"
#include "puente/ajustes.h"
#include "puente/archivo_duradero.h"
#include "puente/buzon.h"
#include "puente/imagenes.h"
#include "puente/peticiones.h"
#include "puente/registro.h"
#include "puente/servidor.h"
#include "salida.h"
#include "vardel/bucle.h"
#include "vardel/comunica.h"
#include "vardel/configuracion.h"

namespace vardel::cli {

namespace {

using puente::Centralita;
using puente::ColaPeticiones;
using puente::Peticion;
using puente::RegistroImagenes;
using puente::Servidor;

// How long the message loop waits for the component's timers before it
// looks at the queue again: a request waits at most this long.
constexpr auto kTurno = std::chrono::milliseconds(10);

// Unix epoch milliseconds with their fraction (--timestamps).
double MilisegundosEpoca() {
  const auto ahora = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration<double, std::milli>(ahora).count();
}

// The trace's name of a document: the cheque, or why it has none, and its
// images.
std::string NombreDocumento(const DocumentoLeido& documento) {
  std::string nombre;
  if (!documento.dato) {
    nombre = "sin datos";
  } else if (documento.dato->Contiene("IDERR")) {
    nombre = "línea no legible, IDERR " + ATexto(documento.dato->Item("IDERR"));
  } else {
    nombre = "cheque " + ATexto(documento.dato->Item("Entidad")) + " " +
             ATexto(documento.dato->Item("NumDoc"));
  }
  for (const std::string& ruta : documento.imagenes) {
    nombre += ", " + std::filesystem::path(ruta).filename().string();
  }
  return nombre;
}

// The component's listener: turns each event of a read into the same
// objects vardel --json writes and posts them to the page that asked.
class OyentePuente final : public OyenteLectura {
 public:
  OyentePuente(Servidor& servidor, RegistroImagenes& imagenes, ColaPeticiones& cola,
               bool marcasTiempo)
      : servidor_(servidor), imagenes_(imagenes), cola_(cola), marcasTiempo_(marcasTiempo) {}

  void LectoraDatos(const std::shared_ptr<Collection>& Dato) override { Documento(Dato); }

  void LectoraError(std::int32_t Error, const std::string& Descripcion) override {
    Publica(JsonErrorLectora(Error, Descripcion, "configuración: " + RutaConfiguracion()));
  }

  void LectoraActiva(Boolean OnOff) override { Presencia(EsVerdadero(OnOff)); }

  void CapturaFallida(std::int32_t resultado, bool otroDocumento) override {
    if (lectura_.CapturaFallida(otroDocumento)) {
      Publica(JsonCapturaFallida(resultado));
    }
  }

  // Between captures: status questions are answered here, without the
  // component, so no page waits for the whole tray.
  bool DetenerLectura() override {
    for (Peticion& peticion : cola_.Toma()) {
      ordered_json respuesta = puente::Respuesta(peticion.id);
      respuesta["conectada"] = true;
      respuesta["leyendo"] = true;
      Responde(peticion.token, respuesta);
    }
    detenida_ = ParadaPedida() != MotivoParada::Ninguno;
    return detenida_;
  }

  // The operator's messages (MensajesOperador, for the whole run), answered
  // at once: nobody is at this process's screen. The jam counts in the read.
  void Atasco() {
    if (leyendo_) {
      lectura_.Atasco();
    }
  }
  // During a read to its page, else to every page.
  void MensajeOperador(const ordered_json& linea) {
    if (leyendo_) {
      Publica(linea);
    } else {
      servidor_.EnRed([evento = Marca(linea)](Centralita& c) { c.Difunde(evento); });
    }
  }

  void Presencia(bool conectada) {
    ordered_json evento = Marca(LineaLectora(conectada));
    servidor_.EnRed(
        [conectada, evento = std::move(evento)](Centralita& c) { c.Presencia(conectada, evento); });
  }

  void Responde(const std::string& token, const ordered_json& respuesta) {
    servidor_.EnRed([token, respuesta](Centralita& c) { c.Responde(token, respuesta, true); });
  }

  // Document numbers go on from an earlier run's, which the outbox keeps:
  // a number names one cheque.
  void NumeraDesde(int anteriores) { anteriores_ = anteriores; }

  // One read for the page of `token`; the answer follows its end.
  void Lee(Comunica& comunica, const Peticion& peticion) {
    lectura_ = Lectura(anteriores_);
    token_ = peticion.token;
    detenida_ = false;
    const ordered_json respuesta = Resultado(comunica, peticion.id);
    anteriores_ += lectura_.Cuentas().documentos;
    // In one step: a page that reconnects either gets the answer or learns
    // from its welcome ("leyendo": false) that the read has ended.
    servidor_.EnRed([token = token_, respuesta](Centralita& c) {
      c.FinLectura();
      c.Responde(token, respuesta);
    });
  }

 private:
  ordered_json Resultado(Comunica& comunica, const ordered_json& id) {
    try {
      const std::string directorio = LeeAjuste("DirectorioImg");
      if (!std::filesystem::is_directory(directorio)) {
        const ErrorEjecucion error(errores::kRutaNoEncontrada);
        return puente::RespuestaError(
            id, error.Numero(), error.Descripcion(),
            ConAvisoConfiguracion("no existe la carpeta de imágenes \"" + directorio +
                                  "\" (DirectorioImg en " + RutaConfiguracion() + ")"));
      }
      if (!EsVerdadero(comunica.LectoraONOFF())) {
        return puente::RespuestaError(id, puente::kSinLectora, "sin lectora", DetalleSinLectora());
      }
      const std::time_t momentoInicio = std::time(nullptr);
      const auto inicio = std::chrono::steady_clock::now();
      leyendo_ = true;
      try {
        comunica.Terminate();
      } catch (const ErrorEjecucion&) {
        leyendo_ = false;
        if (lectura_.DocumentoAMedias()) {
          Documento(nullptr);
        }
        // The page still gets the read's summary (what to feed again),
        // then the error.
        const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
        Publica(lectura_.JsonResumen(momentoInicio, duracion.count(), directorio));
        throw;
      }
      leyendo_ = false;
      if (lectura_.SinUsarLectora()) {
        return puente::RespuestaError(id, puente::kSinLectora, "sin lectora",
                                      "no se ha podido abrir la lectora \"" + LeeAjuste("Name") +
                                          "\" (Name en " + RutaConfiguracion() + "; resultado " +
                                          std::to_string(lectura_.Apertura()) + ")");
      }
      const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
      Publica(lectura_.JsonResumen(momentoInicio, duracion.count(), directorio));
      ordered_json respuesta = puente::Respuesta(id);
      if (!EsVerdadero(comunica.LectoraONOFF())) {
        Publica(lectura_.JsonLectoraPerdida());
        respuesta["final"] = "lectora_perdida";
      } else if (detenida_) {
        Publica(lectura_.JsonDetenida(ParadaPedida()));
        respuesta["final"] = "detenida";
      } else {
        respuesta["final"] = "completa";
      }
      return respuesta;
    } catch (const ErrorEjecucion& error) {
      return puente::RespuestaError(id, error.Numero(), error.Descripcion(), error.Detalle());
    }
  }

  void Documento(const std::shared_ptr<Collection>& dato) {
    const DocumentoLeido documento = lectura_.Documento(dato);
    puente::DetallesDocumento detalles{NombreDocumento(documento), documento.entero, {}};
    ordered_json evento = JsonDocumento(documento, [this, &detalles](const std::string& ruta) {
      detalles.imagenes.emplace_back(RegistroImagenes::Nombre(ruta), ruta);
      return imagenes_.Registra(ruta, token_);
    });
    servidor_.EnRed([token = token_, evento = Marca(evento), detalles = std::move(detalles)](
                        Centralita& c) { c.Documento(token, evento, detalles); });
  }

  ordered_json Marca(ordered_json evento) const {
    if (marcasTiempo_) {
      evento["emitido_ms"] = MilisegundosEpoca();
    }
    return evento;
  }

  void Publica(const ordered_json& evento) {
    servidor_.EnRed(
        [token = token_, evento = Marca(evento)](Centralita& c) { c.Evento(token, evento); });
  }

  Servidor& servidor_;
  RegistroImagenes& imagenes_;
  ColaPeticiones& cola_;
  bool marcasTiempo_;
  std::string token_;
  int anteriores_ = 0;  // documents of the run's earlier reads

  bool detenida_ = false;
  bool leyendo_ = false;
};

// Config.ini's "Puente" section, read as the component reads its own.
std::map<std::string, std::string> SeccionPuente() {
  return {{"puerto", LeeAjusteDe("Puente", "Puerto")},
          {"origenes", LeeAjusteDe("Puente", "Origenes")}};
}

std::string ListaOrigenes(const std::vector<std::string>& origenes) {
  std::string lista;
  for (const std::string& origen : origenes) {
    lista += (lista.empty() ? "" : " ") + origen;
  }
  return lista;
}

}  // namespace

int OrdenServir(const Opciones& opciones) {
  InstalaParada();
  puente::AjustesPuente ajustes;
  if (opciones.puerto >= 0) {
    ajustes.puerto = static_cast<std::uint16_t>(opciones.puerto);
  }
  ajustes.origenes = opciones.origenes;
  ajustes.marcasTiempo = opciones.marcasTiempo;
  if (opciones.reenvioSegundos > 0) {
    ajustes.ventana = std::chrono::seconds(opciones.reenvioSegundos);
  }
  if (const std::string fallo = CompletaAjustes(ajustes, opciones.puerto >= 0, SeccionPuente());
      !fallo.empty()) {
    std::fprintf(stderr, "vardel: %s (vardel serve --help muestra el uso)\n", fallo.c_str());
    return kSalidaUso;
  }

  ColaPeticiones cola;
  RegistroImagenes imagenes;
  Servidor servidor(ajustes, imagenes,
                    [&cola](Peticion peticion) { cola.Pon(std::move(peticion)); });
  std::optional<puente::Buzon> buzon;
  OyentePuente oyente(servidor, imagenes, cola, ajustes.marcasTiempo);
  MensajesOperador mensajes(
      true, [&oyente](const std::string&) { oyente.Atasco(); },
      [&oyente](const ordered_json& linea) { oyente.MensajeOperador(linea); });
  try {
    Comunica comunica(&oyente);
    const std::uint16_t puerto = servidor.Escucha();
    // One outbox per port: a bridge holds its port alone, so no two share
    // a file.
    buzon.emplace(puente::CarpetaEstado() / ("puente-" + std::to_string(puerto) + ".buzon"));
    oyente.NumeraDesde(buzon->SiguienteDocumento() - 1);
    servidor.Arranca(*buzon);
    puente::Registra("escuchando en " + servidor.Direcciones() + "; buzón " +
                     buzon->Ruta().string() + "; orígenes permitidos: " +
                     (ajustes.origenes.empty()
                          ? "ninguno, así que se rechaza toda página (--allow-origin u Origenes "
                            "en la sección Puente de " +
                                RutaConfiguracion() + ")"
                          : ListaOrigenes(ajustes.origenes)));
    oyente.Presencia(EsVerdadero(comunica.LectoraONOFF()));
    while (ParadaPedida() == MotivoParada::Ninguno) {
      platform::BombeaMensajes(kTurno);
      for (const Peticion& peticion : cola.Toma()) {
        if (peticion.orden == Peticion::Orden::Leer) {
          oyente.Lee(comunica, peticion);
          continue;
        }
        try {
          const bool conectada = EsVerdadero(comunica.LectoraONOFF());
          ordered_json respuesta = puente::Respuesta(peticion.id);
          const ordered_json estado = LineaEstado(conectada, AvisoNombre());
          for (auto it = estado.begin(); it != estado.end(); ++it) {
            if (it.key() != "tipo") {
              respuesta[it.key()] = it.value();
            }
          }
          respuesta["leyendo"] = false;
          oyente.Responde(peticion.token, respuesta);
        } catch (const ErrorEjecucion& error) {
          oyente.Responde(peticion.token,
                          puente::RespuestaError(peticion.id, error.Numero(), error.Descripcion(),
                                                 error.Detalle()));
        }
      }
    }
    puente::Registra(std::string("detenido (") + TextoParada(ParadaPedida()) + ")");
  } catch (const ErrorEjecucion& error) {
    servidor.Para(nullptr);
    return InformaError(error, false);
  } catch (const std::runtime_error& error) {
    servidor.Para(nullptr);
    std::fprintf(stderr, "vardel: %s\n", error.what());
    return kSalidaError;
  }
  // Every page hears that the bridge stops; the reading page heard it
  // from its read, with the last document delivered whole.
  servidor.Para({{"tipo", "detenida"},
                 {"motivo", ClaveParada(ParadaPedida())},
                 {"ultimo_documento", nullptr},
                 {"datos", nullptr}});
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
