#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "parada.h"
#include "vardel/collection.h"
#include "vardel/comunica.h"

namespace vardel::cli {

using nlohmann::ordered_json;

// An image the component could not store for the document being read.
struct ImagenPerdida {
  std::int32_t imagen;
  std::string ruta;
  std::int32_t numero;
};

// One document of a read, as the host tells it: its number (from 1 in the
// read, or in the bridge's run), its data (null when the reader gave none), the images stored
// and those lost.
struct DocumentoLeido {
  int numero = 0;
  std::shared_ptr<Collection> dato;
  std::vector<std::string> imagenes;
  std::vector<ImagenPerdida> perdidas;
  // The cheque's fields and every image the reader gave: it need not be
  // fed again.
  bool entero = false;
};

// What a read has delivered so far. The numbers of documents (volverAPasar,
// ultimoEntero) are those of the "documento" objects.
struct CuentasLectura {
  int documentos = 0;  // of this read
  // Each document is one of these four; only the first are read, the
  // others are all in volverAPasar.
  int cheques = 0;      // delivered whole: the fields and every image
  int incompletos = 0;  // the fields came, but an image was not stored
  int noLeidos = 0;     // an unreadable code line (IDERR)
  int sinDatos = 0;     // no data (also the one a run-time error cut off)
  int imagenes = 0;
  int atascos = 0;
  int noGuardadas = 0;
  int capturasFallidas = 0;
  std::vector<int> volverAPasar;
  std::shared_ptr<Collection> ultimo;  // the last document delivered whole
  int ultimoEntero = 0;
};

// How an image's stored path is shown in a "documento" object: the path
// itself for vardel --json, a URL of the bridge for vardel serve.
using RutaPublica = std::function<std::string(const std::string& ruta)>;

// The tally of one read from the component's events, and the JSON objects
// that tell it: the one writer of "documento", "resumen", "lectora_perdida"
// and "detenida" for every host in this program.
class Lectura {
 public:
  // `anteriores`: documents numbered before this read by the same host
  // (the bridge numbers documents across its whole run).
  explicit Lectura(int anteriores = 0) : anteriores_(anteriores) {}
  void ImagenGuardada(const std::string& ruta) { imagenes_.push_back(ruta); }
  void ImagenNoGuardada(std::int32_t imagen, const std::string& ruta, std::int32_t numero) {
    perdidas_.push_back({imagen, ruta, numero});
  }
  // Images heard of for a document whose data has not come.
  bool DocumentoAMedias() const { return !imagenes_.empty() || !perdidas_.empty(); }
  // Closes the document in flight with its data (null: none) and counts it.
  DocumentoLeido Documento(const std::shared_ptr<Collection>& dato);
  // The jam's message is shown in this pass: its failed capture is the jam.
  void Atasco() {
    ++cuentas_.atascos;
    atascoEnPase_ = true;
  }
  // A failed capture call: whether to show it, counted, as one in the
  // middle of the tray that may have fed a cheque the host never hears of.
  // The jam's own pass is shown as the jam, and one without a further
  // document is the empty tray, every read's end.
  bool CapturaFallida(bool otroDocumento);
  // The open call's result (LectoraAbierta), 0 when the reader opened.
  void LectoraAbierta(std::int32_t resultado) { apertura_ = resultado; }
  std::int32_t Apertura() const { return apertura_; }
  // The reader could not be opened under "Name" and nothing was read: not
  // an empty tray.
  bool SinUsarLectora() const { return apertura_ != 0 && cuentas_.documentos == 0; }

  const CuentasLectura& Cuentas() const { return cuentas_; }

  ordered_json JsonResumen(std::time_t inicio, double segundos,
                           const std::string& directorio) const;
  ordered_json JsonLectoraPerdida() const;
  ordered_json JsonDetenida(MotivoParada motivo) const;

 private:
  int anteriores_;
  CuentasLectura cuentas_;
  std::int32_t apertura_ = 0;
  bool atascoEnPase_ = false;
  std::vector<std::string> imagenes_;
  std::vector<ImagenPerdida> perdidas_;
};

// A host's listener for reads: the images and the open call's result go to
// the read's tally; each host shows documents and failures its own way.
class OyenteLectura : public OyenteComunica {
 public:
  void ImagenGuardada(std::int32_t, const std::string& ruta) override {
    lectura_.ImagenGuardada(ruta);
  }
  void ImagenNoGuardada(std::int32_t imagen, const std::string& ruta,
                        std::int32_t numero) override {
    lectura_.ImagenNoGuardada(imagen, ruta, numero);
  }
  void LectoraAbierta(std::int32_t resultado) override { lectura_.LectoraAbierta(resultado); }

 protected:
  Lectura lectura_;
};

// What a document object says of a cheque to feed again.
inline constexpr const char* kVuelvaAPasar = "vuelva a pasar el talón";

// The "documento" object; `rutaPublica` (when given) turns each image's
// path into what the host shows.
ordered_json JsonDocumento(const DocumentoLeido& documento, const RutaPublica& rutaPublica = {});

// The reader's own error event; `detalle` says where the operator looks.
ordered_json JsonErrorLectora(std::int32_t numero, const std::string& descripcion,
                              const std::string& detalle);

// A capture that failed in the middle of the tray, with what to do.
ordered_json JsonCapturaFallida(std::int32_t resultado);
inline constexpr const char* kAvisoCapturaFallida =
    "si un talón salió de la bandeja, vuelva a pasarlo";

}  // namespace vardel::cli
