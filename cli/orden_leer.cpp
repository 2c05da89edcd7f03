// vardel read: reads every cheque in the tray and shows each as it arrives.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "capture/nombres_imagen.h"
#include "component/comunica.h"
#include "ordenes.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "salida.h"
#include "settings/configuracion.h"

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
    const std::vector<std::string> imagenes = ImagenesEscritas(Dato);
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

  void Resumen(double segundos) const {
    const std::string directorio = Configuracion::LeeAjuste("DirectorioImg");
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
  // The files this document's images went to, as far as they exist now.
  static std::vector<std::string> ImagenesEscritas(const std::shared_ptr<Collection>& dato) {
    std::vector<std::string> rutas;
    const std::string directorio = Configuracion::LeeAjuste("DirectorioImg");
    for (int k = 1; k <= 3; ++k) {
      const std::string nombre = captura::NombreArchivoImagen(k, dato);
      if (nombre.empty()) {
        continue;
      }
      const std::string ruta = directorio + platform::kSeparador + nombre;
      std::error_code error;
      if (std::filesystem::exists(ruta, error)) {
        rutas.push_back(ruta);
      }
    }
    return rutas;
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
    // A missing image directory would stop the read at the first image,
    // after its cheque has already left the tray: refuse before feeding any.
    const std::string directorio = Configuracion::LeeAjuste("DirectorioImg");
    if (!platform::ExisteRuta(directorio)) {
      return InformaError(
          ErrorEjecucion(errores::kRutaNoEncontrada,
                         DescripcionError(errores::kRutaNoEncontrada) +
                             ": no existe el directorio de imágenes \"" + directorio +
                             "\" (DirectorioImg en " + Configuracion::RutaConfig() + ")"),
          opciones.json);
    }
    Comunica comunica(&lector);
    if (!opciones.json) {
      std::printf("Leyendo los cheques de la bandeja (configuración: %s)\n",
                  Configuracion::RutaConfig().c_str());
      std::fflush(stdout);
    }
    const auto inicio = std::chrono::steady_clock::now();
    comunica.Terminate();
    const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
    lector.Resumen(duracion.count());
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
