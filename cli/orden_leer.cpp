// vardel read: reads every cheque in the tray and shows each as it arrives.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "mensajes_operador.h"
#include "momento.h"
#include "ordenes.h"
#include "parada.h"
#include "salida.h"
#include "vardel/comunica.h"
#include "vardel/configuracion.h"

namespace vardel::cli {

namespace {

constexpr const char* kCampos[] = {"NumDoc",  "Entidad", "Oficina", "Cuenta",
                                   "Importe", "TipoDoc", "FechaVto"};

constexpr const char* kVuelvaAPasar = "vuelva a pasar el talón";

// An image the component could not store for the document being read.
struct ImagenPerdida {
  std::int32_t imagen;
  std::string ruta;
  std::int32_t numero;
};

// Shows every document as the component reports it, and counts them.
class Lector final : public OyenteComunica {
 public:
  explicit Lector(bool json) : json_(json) {}

  void LectoraDatos(const std::shared_ptr<Collection>& Dato) override {
    atascoEnPase_ = false;
    MuestraDocumento(Dato);
  }

  // The event carries only the number and description: the settings file
  // is where the operator looks next.
  void LectoraError(std::int32_t Error, const std::string& Descripcion) override {
    const std::string detalle = "configuración: " + RutaConfiguracion();
    if (json_) {
      EmiteLinea({{"tipo", "error_lectora"},
                  {"numero", Error},
                  {"descripcion", Descripcion},
                  {"detalle", detalle}});
    } else {
      std::fprintf(stderr, "vardel: la lectora informa del error %d: %s\n  %s\n", Error,
                   Descripcion.c_str(), detalle.c_str());
    }
  }

  void LectoraActiva(Boolean) override {}

  void ImagenGuardada(std::int32_t, const std::string& ruta) override {
    imagenesDocumento_.push_back(ruta);
  }

  void ImagenNoGuardada(std::int32_t imagen, const std::string& ruta,
                        std::int32_t numero) override {
    perdidasDocumento_.push_back({imagen, ruta, numero});
  }

  void LectoraAbierta(std::int32_t resultado) override { apertura_ = resultado; }

  // A failed capture in the middle of the tray may have fed a cheque the
  // host never hears of; the jam's own pass is shown as the jam.
  void CapturaFallida(std::int32_t resultado, bool otroDocumento) override {
    const bool atasco = atascoEnPase_;
    atascoEnPase_ = false;
    if (atasco || !otroDocumento) {
      return;  // without a further document: the empty tray, every read's end
    }
    ++capturasFallidas_;
    const char* aviso = "si un talón salió de la bandeja, vuelva a pasarlo";
    if (json_) {
      EmiteLinea({{"tipo", "captura_fallida"}, {"resultado", resultado}, {"aviso", aviso}});
    } else {
      std::printf("\nCaptura fallida (resultado %d): %s.\n", resultado, aviso);
      VuelcaSalida();
    }
  }

  bool DetenerLectura() override {
    detenida_ = ParadaPedida() != MotivoParada::Ninguno;
    return detenida_;
  }

  // The jam's message is about to be shown: the reader clears its path
  // once it is acknowledged.
  void Atasco(const std::string& texto) {
    ++atascos_;
    atascoEnPase_ = true;
    if (json_) {
      return;  // the operator's messages give its line
    }
    std::printf("\nAtasco: %s %s\n", texto.c_str(), kAvisoAtascoTexto);
    VuelcaSalida();
  }

  // A run-time error ended the read in the middle of a document: it was
  // fed, and is shown as not delivered before the error.
  void DocumentoInterrumpido() {
    if (!imagenesDocumento_.empty() || !perdidasDocumento_.empty()) {
      MuestraDocumento(nullptr, true);
    }
  }

  bool Detenida() const { return detenida_; }

  // The reader could not be opened under "Name" and nothing was read: not
  // an empty tray.
  bool SinUsarLectora() const { return apertura_ != 0 && documentos_ == 0; }

  int LectoraSinAbrir() const {
    const std::string detalle =
        "no se ha podido abrir la lectora \"" + LeeAjuste("Name") + "\" (Name en " +
        RutaConfiguracion() + "; resultado " + std::to_string(apertura_) +
        "): compruebe Name, y que la lectora está enchufada, encendida y libre";
    const std::string aviso = AvisoNombre();
    if (json_) {
      EmiteLinea({{"tipo", "estado"},
                  {"conectada", false},
                  {"detalle", detalle},
                  {"aviso", aviso.empty() ? ordered_json(nullptr) : ordered_json(aviso)}});
    } else {
      std::fprintf(stderr, "vardel: no se ha podido usar la lectora; no se ha leído nada.\n  %s\n",
                   detalle.c_str());
      if (!aviso.empty()) {
        std::fprintf(stderr, "  %s.\n", aviso.c_str());
      }
    }
    return kSalidaSinLectora;
  }

  // The reader went away during the read: the cheques after the last one
  // delivered whole must be fed again.
  int LectoraPerdida() const {
    if (json_) {
      EmiteLinea({{"tipo", "lectora_perdida"},
                  {"ultimo_documento", ultimoEntero_},
                  {"datos", ultimo_ ? JsonDe(*ultimo_) : ordered_json(nullptr)}});
    } else {
      std::fprintf(stderr, "vardel: la lectora se ha desconectado durante la lectura; %s\n",
                   UltimoEntero().c_str());
    }
    return kSalidaLectoraPerdida;
  }

  // The read stopped on request with cheques left in the tray.
  int InformaDetenida(MotivoParada motivo) const {
    if (json_) {
      EmiteLinea({{"tipo", "detenida"},
                  {"motivo", ClaveParada(motivo)},
                  {"ultimo_documento", ultimoEntero_},
                  {"datos", ultimo_ ? JsonDe(*ultimo_) : ordered_json(nullptr)}});
    }
    // Also on standard error: with a closed output it is the only word.
    std::fprintf(stderr,
                 "vardel: lectura detenida (%s) tras acabar el documento en curso; los cheques que "
                 "quedan en la bandeja no se han leído; %s\n",
                 TextoParada(motivo), UltimoEntero().c_str());
    return kSalidaDetenida;
  }

  void Resumen(std::time_t inicio, double segundos) const {
    const std::string directorio = LeeAjuste("DirectorioImg");
    if (json_) {
      EmiteLinea({{"tipo", "resumen"},
                  {"inicio", MomentoIso(inicio)},
                  {"documentos", documentos_},
                  {"cheques", cheques_},
                  {"no_leidos", noLeidos_},
                  {"sin_datos", sinDatos_},
                  {"imagenes", imagenes_},
                  {"directorio_imagenes", directorio},
                  {"segundos", std::round(segundos * 1000.0) / 1000.0},
                  {"atascos", atascos_},
                  {"imagenes_no_guardadas", noGuardadas_},
                  {"volver_a_pasar", volverAPasar_}});
      return;
    }
    std::printf(
        "\nResumen: %d documentos: %d cheques leídos, %d sin línea legible, %d sin datos; %d %s.\n"
        "%d imágenes en %s, %d no guardadas (%.2f s)\n",
        documentos_, cheques_, noLeidos_, sinDatos_, atascos_,
        atascos_ == 1 ? "cheque atascado" : "cheques atascados", imagenes_, directorio.c_str(),
        noGuardadas_, segundos);
    std::string repetir;
    for (const int documento : volverAPasar_) {
      repetir += (repetir.empty() ? " " : ", ") + std::to_string(documento);
    }
    if (!repetir.empty() || atascos_ > 0 || capturasFallidas_ > 0) {
      const char* documentos = volverAPasar_.size() == 1 ? " el documento" : " los documentos";
      std::printf(
          "Vuelva a pasar:%s%s%s%s.\n", repetir.empty() ? "" : documentos, repetir.c_str(),
          atascos_ == 0 ? "" : (repetir.empty() ? " el cheque atascado" : "; el cheque atascado"),
          capturasFallidas_ == 0 ? "" : "; el que salió en una captura fallida, si alguno");
    }
    VuelcaSalida();
  }

 private:
  static std::string Nombre(const Collection& dato) {
    if (dato.Contiene("IDERR")) {
      return "línea no legible, IDERR " + ATexto(dato.Item("IDERR"));
    }
    return "cheque " + ATexto(dato.Item("Entidad")) + " " + ATexto(dato.Item("NumDoc"));
  }

  std::string UltimoEntero() const {
    if (!ultimo_) {
      return "no se ha entregado entero ningún documento. Vuelva a pasar toda la bandeja.";
    }
    return "el último documento entregado entero es el " + std::to_string(ultimoEntero_) + " (" +
           Nombre(*ultimo_) + "). Vuelva a pasar los que lo siguen.";
  }

  void MuestraDocumento(const std::shared_ptr<Collection>& Dato, bool interrumpido = false) {
    ++documentos_;
    const std::vector<std::string> imagenes = std::move(imagenesDocumento_);
    const std::vector<ImagenPerdida> perdidas = std::move(perdidasDocumento_);
    imagenesDocumento_.clear();
    perdidasDocumento_.clear();
    imagenes_ += static_cast<int>(imagenes.size());
    noGuardadas_ += static_cast<int>(perdidas.size());
    if (!Dato) {
      ++sinDatos_;
    } else if (Dato->Contiene("IDERR")) {
      ++noLeidos_;
    } else {
      ++cheques_;
    }
    // Whole: the cheque's fields and every image the reader gave.
    const bool entero = Dato && !Dato->Contiene("IDERR") && perdidas.empty();
    if (entero) {
      ultimo_ = Dato;
      ultimoEntero_ = documentos_;
    } else {
      volverAPasar_.push_back(documentos_);
    }
    if (json_) {
      ordered_json noGuardadas = ordered_json::array();
      for (const ImagenPerdida& perdida : perdidas) {
        noGuardadas.push_back(
            {{"imagen", perdida.imagen},
             {"ruta", perdida.ruta.empty() ? ordered_json(nullptr) : ordered_json(perdida.ruta)},
             {"numero", perdida.numero}});
      }
      EmiteLinea({{"tipo", "documento"},
                  {"documento", documentos_},
                  {"datos", Dato ? JsonDe(*Dato) : ordered_json(nullptr)},
                  {"imagenes", imagenes},
                  {"no_guardadas", noGuardadas},
                  {"aviso", entero ? ordered_json(nullptr) : ordered_json(kVuelvaAPasar)}});
    } else {
      MuestraTexto(Dato, imagenes, perdidas, interrumpido);
      VuelcaSalida();
    }
  }

  void MuestraTexto(const std::shared_ptr<Collection>& dato,
                    const std::vector<std::string>& imagenes,
                    const std::vector<ImagenPerdida>& perdidas, bool interrumpido) const {
    if (interrumpido) {
      std::printf(
          "\nDocumento %d: la lectura se ha interrumpido con este documento a medias; no se "
          "ha entregado. Vuelva a pasar el talón.\n",
          documentos_);
    } else if (!dato) {
      std::printf(
          "\nDocumento %d: la lectora no dio datos del documento. Vuelva a pasar el talón.\n",
          documentos_);
    } else if (dato->Contiene("IDERR")) {
      std::printf("\nDocumento %d: línea no legible (IDERR %s)\n  %s\n", documentos_,
                  ATexto(dato->Item("IDERR")).c_str(), ATexto(dato->Item("Error")).c_str());
    } else {
      std::printf("\nDocumento %d: cheque\n", documentos_);
      for (const char* campo : kCampos) {
        std::printf("  %-9s %s\n", campo, ATexto(dato->Item(campo)).c_str());
      }
    }
    for (const auto& ruta : imagenes) {
      std::error_code error;
      const auto bytes = std::filesystem::file_size(ruta, error);
      std::printf("  imagen    %s (%llu bytes)\n", ruta.c_str(),
                  static_cast<unsigned long long>(error ? 0 : bytes));
    }
    for (const ImagenPerdida& perdida : perdidas) {
      std::printf("  imagen %d  NO GUARDADA %s (número %d): vuelva a pasar el talón.\n",
                  perdida.imagen, perdida.ruta.empty() ? "(sin ruta)" : perdida.ruta.c_str(),
                  perdida.numero);
    }
  }

  bool json_;
  std::vector<std::string> imagenesDocumento_;
  std::vector<ImagenPerdida> perdidasDocumento_;
  std::shared_ptr<Collection> ultimo_;
  int ultimoEntero_ = 0;
  std::vector<int> volverAPasar_;
  std::int32_t apertura_ = 0;
  bool atascoEnPase_ = false;
  bool detenida_ = false;
  int documentos_ = 0;
  int cheques_ = 0;
  int noLeidos_ = 0;
  int sinDatos_ = 0;
  int imagenes_ = 0;
  int atascos_ = 0;
  int noGuardadas_ = 0;
  int capturasFallidas_ = 0;
};

}  // namespace

int OrdenLeer(const Opciones& opciones) {
  InstalaParada();
  Lector lector(opciones.json);
  try {
    // The component checks the image folder itself before every capture
    // call; asked here first, a missing folder is told the same way whether
    // or not a reader is connected, before the reader is opened.
    const std::string directorio = LeeAjuste("DirectorioImg");
    if (!std::filesystem::is_directory(directorio)) {
      return InformaError(
          ErrorEjecucion(errores::kRutaNoEncontrada), opciones.json,
          ConAvisoConfiguracion("no existe la carpeta de imágenes \"" + directorio +
                                "\" (DirectorioImg en " + RutaConfiguracion() + ")"));
    }
    Comunica comunica(&lector);
    const std::string aviso = AvisoNombre();
    if (!EsVerdadero(comunica.LectoraONOFF())) {
      if (opciones.json) {
        EmiteLinea(LineaEstado(false, aviso));
      } else {
        std::fprintf(stderr,
                     "vardel: no hay ninguna lectora conectada; no se ha leído nada.\n  %s\n",
                     DetalleSinLectora().c_str());
      }
      return kSalidaSinLectora;
    }
    if (!aviso.empty()) {
      if (opciones.json) {
        EmiteLinea({{"tipo", "aviso"}, {"texto", aviso}});
      } else {
        std::fprintf(stderr, "vardel: aviso: %s.\n", aviso.c_str());
      }
    }
    if (!opciones.json) {
      std::printf("Leyendo los cheques de la bandeja (configuración: %s)\n",
                  RutaConfiguracion().c_str());
      VuelcaSalida();
    }
    const std::time_t momentoInicio = std::time(nullptr);
    const auto inicio = std::chrono::steady_clock::now();
    {
      MensajesOperador mensajes(opciones.json,
                                [&lector](const std::string& texto) { lector.Atasco(texto); });
      try {
        comunica.Terminate();
      } catch (const ErrorEjecucion&) {
        lector.DocumentoInterrumpido();
        throw;
      }
    }
    if (lector.SinUsarLectora()) {
      return lector.LectoraSinAbrir();
    }
    const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
    lector.Resumen(momentoInicio, duracion.count());
    // A read ends when no further document is reported; a reader that went
    // away ends it too, with cheques possibly left unread.
    if (!EsVerdadero(comunica.LectoraONOFF())) {
      return lector.LectoraPerdida();
    }
    if (lector.Detenida()) {
      return lector.InformaDetenida(ParadaPedida());
    }
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
