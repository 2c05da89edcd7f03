// vardel read: reads every cheque in the tray and shows each as it arrives.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ordenes.h"
#include "salida.h"
#include "vardel/comunica.h"
#include "vardel/configuracion.h"
#include "vardel/interaccion.h"

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
    json_ ? MuestraJson(Dato, imagenes) : MuestraTexto(Dato, imagenes);
    std::fflush(stdout);
  }

  void LectoraError(std::int32_t Error, const std::string& Descripcion) override {
    std::fprintf(stderr, "vardel: la lectora informa del error %d: %s\n", Error,
                 Descripcion.c_str());
  }

  void LectoraActiva(Boolean) override {}

  void ImagenGuardada(std::int32_t, const std::string& ruta) override {
    imagenesDocumento_.push_back(ruta);
  }

  // A jam, when the component shows it: a line of its own, in the order of
  // the passes.
  void Atasco(const std::string& texto) const {
    if (json_) {
      std::printf("{\"atasco\": %s}\n", Json(texto).c_str());
    } else {
      std::printf(
          "\nAtasco: %s La lectora ha vaciado el recorrido; vuelva a pasar los cheques "
          "que no hayan salido.\n",
          texto.c_str());
    }
    std::fflush(stdout);
  }

  // The reader went away during the read: the cheques after the last one
  // delivered were not read.
  int LectoraPerdida() const {
    const std::string datos = ultimo_ ? JsonDe(*ultimo_) : "null";
    if (json_) {
      std::printf("{\"lectora_perdida\": {\"ultimo_documento\": %d, \"datos\": %s}}\n",
                  ultimoDocumento_, datos.c_str());
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

  void Resumen(double segundos) const {
    const std::string directorio = LeeAjuste("DirectorioImg");
    if (json_) {
      std::printf(
          "{\"resumen\": {\"documentos\": %d, \"cheques\": %d, \"no_leidos\": %d, "
          "\"sin_datos\": %d, \"imagenes\": %d, \"directorio_imagenes\": %s, \"segundos\": "
          "%.3f}}\n",
          documentos_, cheques_, noLeidos_, sinDatos_, imagenes_, Json(directorio).c_str(),
          segundos);
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

  void MuestraJson(const std::shared_ptr<Collection>& dato,
                   const std::vector<std::string>& imagenes) const {
    std::string lista = "[";
    for (std::size_t i = 0; i < imagenes.size(); ++i) {
      lista += (i > 0 ? ", " : "") + Json(imagenes[i]);
    }
    lista += "]";
    std::printf("{\"documento\": %d, \"datos\": %s, \"imagenes\": %s}\n", documentos_,
                dato ? JsonDe(*dato).c_str() : "null", lista.c_str());
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

// The operator's messages go on as before; a jam is also shown in the
// read's output, where it happened.
class AvisoDeAtasco final : public platform::Interaccion {
 public:
  explicit AvisoDeAtasco(const Lector& lector) : lector_(lector) {
    platform::SustituyeInteraccion(this);
  }
  ~AvisoDeAtasco() override { platform::SustituyeInteraccion(nullptr); }
  AvisoDeAtasco(const AvisoDeAtasco&) = delete;
  AvisoDeAtasco& operator=(const AvisoDeAtasco&) = delete;

  platform::RespuestaMensaje MuestraMensaje(const std::string& texto, const std::string& titulo,
                                            platform::BotonesMensaje botones,
                                            platform::IconoMensaje icono) override {
    if (texto.find("204") != std::string::npos) {
      lector_.Atasco(texto);
    }
    return platform::InteraccionPlataforma().MuestraMensaje(texto, titulo, botones, icono);
  }
  std::string EligeCarpeta(const std::string& titulo) override {
    return platform::InteraccionPlataforma().EligeCarpeta(titulo);
  }

 private:
  const Lector& lector_;
};

}  // namespace

int OrdenLeer(const Opciones& opciones) {
  Lector lector(opciones.json);
  try {
    // A missing image directory would stop the read at the first image,
    // after its cheque has already left the tray: refuse before feeding any.
    const std::string directorio = LeeAjuste("DirectorioImg");
    if (!std::filesystem::is_directory(directorio)) {
      return InformaError(
          ErrorEjecucion(errores::kRutaNoEncontrada,
                         DescripcionError(errores::kRutaNoEncontrada) +
                             ": no existe el directorio de imágenes \"" + directorio +
                             "\" (DirectorioImg en " + RutaConfiguracion() + ")"),
          opciones.json);
    }
    Comunica comunica(&lector);
    if (!EsVerdadero(comunica.LectoraONOFF())) {
      if (opciones.json) {
        std::printf("{\"lectora\": false}\n");
      } else {
        std::fprintf(stderr, "vardel: no hay ninguna lectora conectada; no se ha leído nada.\n");
      }
      return kSalidaSinLectora;
    }
    if (!opciones.json) {
      std::printf("Leyendo los cheques de la bandeja (configuración: %s)\n",
                  RutaConfiguracion().c_str());
      std::fflush(stdout);
    }
    const auto inicio = std::chrono::steady_clock::now();
    {
      AvisoDeAtasco aviso(lector);
      comunica.Terminate();
    }
    const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
    lector.Resumen(duracion.count());
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
