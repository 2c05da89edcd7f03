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
#include "salida.h"
#include "vardel/comunica.h"
#include "vardel/configuracion.h"

namespace vardel::cli {

namespace {

constexpr const char* kCampos[] = {"NumDoc",  "Entidad", "Oficina", "Cuenta",
                                   "Importe", "TipoDoc", "FechaVto"};

// Shows every document as the component reports it, and counts them.
class Lector final : public OyenteComunica {
 public:
  explicit Lector(bool json) : json_(json) {}

  void LectoraDatos(const std::shared_ptr<Collection>& Dato) override {
    ++documentos_;
    if (Dato) {
      ultimo_ = Dato;
      ultimoDocumento_ = documentos_;
    }
    const std::vector<std::string> imagenes = std::move(imagenesDocumento_);
    imagenesDocumento_.clear();
    imagenes_ += static_cast<int>(imagenes.size());
    if (!Dato) {
      ++sinDatos_;
    } else if (Dato->Contiene("IDERR")) {
      ++noLeidos_;
    } else {
      ++cheques_;
    }
    if (json_) {
      EmiteLinea({{"tipo", "documento"},
                  {"documento", documentos_},
                  {"datos", Dato ? JsonDe(*Dato) : ordered_json(nullptr)},
                  {"imagenes", imagenes}});
    } else {
      MuestraTexto(Dato, imagenes);
      std::fflush(stdout);
    }
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

  // A jam in the text output, in the order of the passes (with --json the
  // operator's messages give its line).
  static void Atasco(const std::string& texto) {
    std::printf(
        "\nAtasco: %s La lectora ha vaciado el recorrido; vuelva a pasar los cheques "
        "que no hayan salido.\n",
        texto.c_str());
    std::fflush(stdout);
  }

  // The reader went away during the read: the cheques after the last one
  // delivered were not read.
  int LectoraPerdida() const {
    if (json_) {
      EmiteLinea({{"tipo", "lectora_perdida"},
                  {"ultimo_documento", ultimoDocumento_},
                  {"datos", ultimo_ ? JsonDe(*ultimo_) : ordered_json(nullptr)}});
    } else if (!ultimo_) {
      std::fprintf(stderr,
                   "vardel: la lectora se ha desconectado durante la lectura; no se ha entregado "
                   "ningún documento. Vuelva a pasar toda la bandeja.\n");
    } else {
      std::fprintf(stderr,
                   "vardel: la lectora se ha desconectado durante la lectura; el último documento "
                   "entregado es el %d (%s). Vuelva a pasar los que lo siguen.\n",
                   ultimoDocumento_, Nombre(*ultimo_).c_str());
    }
    return kSalidaLectoraPerdida;
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
                  {"segundos", std::round(segundos * 1000.0) / 1000.0}});
      return;
    }
    std::printf(
        "\nResumen: %d documentos: %d cheques leídos, %d sin línea legible, %d sin datos.\n"
        "%d imágenes en %s (%.2f s)\n",
        documentos_, cheques_, noLeidos_, sinDatos_, imagenes_, directorio.c_str(), segundos);
  }

 private:
  static std::string Nombre(const Collection& dato) {
    if (dato.Contiene("IDERR")) {
      return "línea no legible, IDERR " + ATexto(dato.Item("IDERR"));
    }
    return "cheque " + ATexto(dato.Item("Entidad")) + " " + ATexto(dato.Item("NumDoc"));
  }

  void MuestraTexto(const std::shared_ptr<Collection>& dato,
                    const std::vector<std::string>& imagenes) const {
    if (!dato) {
      std::printf("\nDocumento %d: la lectora no dio datos del documento.\n", documentos_);
      return;
    }
    if (dato->Contiene("IDERR")) {
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
  }

  bool json_;
  std::vector<std::string> imagenesDocumento_;
  std::shared_ptr<Collection> ultimo_;
  int ultimoDocumento_ = 0;
  int documentos_ = 0;
  int cheques_ = 0;
  int noLeidos_ = 0;
  int sinDatos_ = 0;
  int imagenes_ = 0;
};

}  // namespace

int OrdenLeer(const Opciones& opciones) {
  Lector lector(opciones.json);
  try {
    // The component checks the image folder itself before every capture
    // call; asked here first, a missing folder is told the same way whether
    // or not a reader is connected, before the reader is opened.
    const std::string directorio = LeeAjuste("DirectorioImg");
    if (!std::filesystem::is_directory(directorio)) {
      return InformaError(ErrorEjecucion(errores::kRutaNoEncontrada), opciones.json,
                          "no existe la carpeta de imágenes \"" + directorio +
                              "\" (DirectorioImg en " + RutaConfiguracion() + ")");
    }
    Comunica comunica(&lector);
    if (!EsVerdadero(comunica.LectoraONOFF())) {
      if (opciones.json) {
        EmiteLinea(LineaEstado(false));
      } else {
        std::fprintf(stderr,
                     "vardel: no hay ninguna lectora conectada; no se ha leído nada.\n  %s\n",
                     DetalleSinLectora().c_str());
      }
      return kSalidaSinLectora;
    }
    if (!opciones.json) {
      std::printf("Leyendo los cheques de la bandeja (configuración: %s)\n",
                  RutaConfiguracion().c_str());
      std::fflush(stdout);
    }
    const std::time_t momentoInicio = std::time(nullptr);
    const auto inicio = std::chrono::steady_clock::now();
    {
      MensajesOperador mensajes(opciones.json, &Lector::Atasco);
      comunica.Terminate();
    }
    const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
    lector.Resumen(momentoInicio, duracion.count());
    // A read ends when no further document is reported; a reader that went
    // away ends it too, with cheques possibly left unread.
    if (!EsVerdadero(comunica.LectoraONOFF())) {
      return lector.LectoraPerdida();
    }
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
