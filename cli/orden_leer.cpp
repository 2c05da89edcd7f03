// vardel read: reads every cheque in the tray and shows each as it arrives.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "lectura.h"
#include "mensajes_operador.h"
#include "ordenes.h"
#include "parada.h"
#include "salida.h"
#include "vardel/comunica.h"
#include "vardel/configuracion.h"

namespace vardel::cli {

namespace {

constexpr const char* kCampos[] = {"NumDoc",  "Entidad", "Oficina", "Cuenta",
                                   "Importe", "TipoDoc", "FechaVto"};

// Shows every document as the component reports it, and counts them.
class Lector final : public OyenteLectura {
 public:
  explicit Lector(bool json) : json_(json) {}

  void LectoraDatos(const std::shared_ptr<Collection>& Dato) override { MuestraDocumento(Dato); }

  // The event carries only the number and description: the settings file
  // is where the operator looks next.
  void LectoraError(std::int32_t Error, const std::string& Descripcion) override {
    const std::string detalle = "configuración: " + RutaConfiguracion();
    if (json_) {
      EmiteLinea(JsonErrorLectora(Error, Descripcion, detalle));
    } else {
      std::fprintf(stderr, "vardel: la lectora informa del error %d: %s\n  %s\n", Error,
                   Descripcion.c_str(), detalle.c_str());
    }
  }

  void LectoraActiva(Boolean) override {}

  void CapturaFallida(std::int32_t resultado, bool otroDocumento) override {
    if (!lectura_.CapturaFallida(otroDocumento)) {
      return;
    }
    if (json_) {
      EmiteLinea(JsonCapturaFallida(resultado));
    } else {
      std::printf("\nCaptura fallida (resultado %d): %s.\n", resultado, kAvisoCapturaFallida);
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
    lectura_.Atasco();
    if (json_) {
      return;  // the operator's messages give its line
    }
    std::printf("\nAtasco: %s %s\n", texto.c_str(), kAvisoAtascoTexto);
    VuelcaSalida();
  }

  // A run-time error ended the read in the middle of a document: it was
  // fed, and is shown as not delivered before the error.
  void DocumentoInterrumpido() {
    if (lectura_.DocumentoAMedias()) {
      const DocumentoLeido documento = MuestraDocumento(nullptr, true);
      if (!documento.perdidas.empty()) {
        rutaNoGuardada_ = documento.perdidas.back().ruta;
      }
    }
  }

  // A run-time error ended the read, after its summary: the error with
  // the file and folder concerned, and the last document delivered whole.
  int InformaFallo(const ErrorEjecucion& error) const {
    const std::string detalle = DetalleFallo(error);
    if (json_) {
      ordered_json linea = LineaError(error, detalle);
      linea["ultimo_documento"] = lectura_.Cuentas().ultimoEntero;
      const std::shared_ptr<Collection>& ultimo = lectura_.Cuentas().ultimo;
      linea["datos"] = ultimo ? JsonDe(*ultimo) : ordered_json(nullptr);
      EmiteLinea(linea);
      return kSalidaError;
    }
    InformaError(error, false, detalle);
    std::fprintf(stderr, "  %s\n", UltimoEntero().c_str());
    return kSalidaError;
  }

  bool Detenida() const { return detenida_; }

  bool SinUsarLectora() const { return lectura_.SinUsarLectora(); }

  int LectoraSinAbrir() const {
    const std::string detalle =
        "no se ha podido abrir la lectora \"" + LeeAjuste("Name") + "\" (Name en " +
        RutaConfiguracion() + "; resultado " + std::to_string(lectura_.Apertura()) +
        "): compruebe Name, y que la lectora está enchufada, encendida y libre";
    const std::string aviso = AvisoNombre();
    if (json_) {
      EmiteLinea({{"tipo", "estado"},
                  {"conectada", false},
                  {"detalle", detalle},
                  {"aviso", aviso.empty() ? ordered_json(nullptr) : ordered_json(aviso)}});
    } else {
      // The warning about Name came before the read, once.
      std::fprintf(stderr, "vardel: no se ha podido usar la lectora; no se ha leído nada.\n  %s\n",
                   detalle.c_str());
    }
    return kSalidaSinLectora;
  }

  // The reader went away during the read: the cheques after the last one
  // delivered whole must be fed again.
  int LectoraPerdida() const {
    if (json_) {
      EmiteLinea(lectura_.JsonLectoraPerdida());
    } else {
      std::fprintf(stderr, "vardel: la lectora se ha desconectado durante la lectura; %s\n",
                   UltimoEntero().c_str());
    }
    return kSalidaLectoraPerdida;
  }

  // The read stopped on request with cheques left in the tray.
  int InformaDetenida(MotivoParada motivo) const {
    if (json_) {
      EmiteLinea(lectura_.JsonDetenida(motivo));
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
      EmiteLinea(lectura_.JsonResumen(inicio, segundos, directorio));
      return;
    }
    const CuentasLectura& c = lectura_.Cuentas();
    if (c.documentos == 0 && c.atascos == 0 && c.capturasFallidas == 0) {
      std::printf("\nResumen: la bandeja estaba vacía; no se ha leído ningún documento (%.2f s).\n",
                  segundos);
      VuelcaSalida();
      return;
    }
    // Read means delivered whole: every other document is in the list to
    // feed again below, so the counts add up to it.
    std::printf(
        "\nResumen: %d documentos: %d %s, %d sin todas sus imágenes, %d sin línea legible, %d sin "
        "datos; %d %s.\n"
        "%d imágenes en %s, %d no guardadas (%.2f s)\n",
        c.documentos, c.cheques, c.cheques == 1 ? "cheque leído" : "cheques leídos", c.incompletos,
        c.noLeidos, c.sinDatos, c.atascos, c.atascos == 1 ? "cheque atascado" : "cheques atascados",
        c.imagenes, directorio.c_str(), c.noGuardadas, segundos);
    std::string repetir;
    for (const int documento : c.volverAPasar) {
      repetir += (repetir.empty() ? " " : ", ") + std::to_string(documento);
    }
    if (!repetir.empty() || c.atascos > 0 || c.capturasFallidas > 0) {
      const char* documentos = c.volverAPasar.size() == 1 ? " el documento" : " los documentos";
      std::printf(
          "Vuelva a pasar:%s%s%s%s.\n", repetir.empty() ? "" : documentos, repetir.c_str(),
          c.atascos == 0 ? "" : (repetir.empty() ? " el cheque atascado" : "; el cheque atascado"),
          c.capturasFallidas == 0 ? "" : "; el que salió en una captura fallida, si alguno");
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

  // What the component's own detail of a file error leaves out: the image
  // not stored (its path names the file and the folder) or, without one,
  // the image folder, its key and whether it still exists.
  std::string DetalleFallo(const ErrorEjecucion& error) const {
    switch (error.Numero()) {
      case errores::kArchivoNoEncontrado:
      case errores::kDiscoLleno:
      case errores::kPermisoDenegado:
      case errores::kErrorAccesoRuta:
      case errores::kRutaNoEncontrada:
        break;
      default:
        return "";
    }
    std::string detalle;
    if (!rutaNoGuardada_.empty() && error.Detalle().find(rutaNoGuardada_) == std::string::npos) {
      detalle = "no se ha podido guardar la imagen \"" + rutaNoGuardada_ + "\"";
    }
    const std::string directorio = LeeAjuste("DirectorioImg");
    if (directorio.empty() || error.Detalle().find(directorio) == std::string::npos) {
      detalle += (detalle.empty() ? "" : "; ") + std::string("carpeta de imágenes \"") +
                 directorio + "\" (DirectorioImg en " + RutaConfiguracion() + ")" +
                 (std::filesystem::is_directory(directorio) ? "" : ", que ya no existe");
    }
    return detalle;
  }

  std::string UltimoEntero() const {
    const CuentasLectura& c = lectura_.Cuentas();
    if (!c.ultimo) {
      return "no se ha entregado entero ningún documento. Vuelva a pasar toda la bandeja.";
    }
    return "el último documento entregado entero es el " + std::to_string(c.ultimoEntero) + " (" +
           Nombre(*c.ultimo) + "). Vuelva a pasar los que lo siguen.";
  }

  DocumentoLeido MuestraDocumento(const std::shared_ptr<Collection>& Dato,
                                  bool interrumpido = false) {
    DocumentoLeido documento = lectura_.Documento(Dato);
    if (json_) {
      EmiteLinea(JsonDocumento(documento));
    } else {
      MuestraTexto(documento, interrumpido);
      VuelcaSalida();
    }
    return documento;
  }

  static void MuestraTexto(const DocumentoLeido& documento, bool interrumpido) {
    const int numero = documento.numero;
    const std::shared_ptr<Collection>& dato = documento.dato;
    if (interrumpido) {
      std::printf(
          "\nDocumento %d: la lectura se ha interrumpido con este documento a medias; no se "
          "ha entregado. Vuelva a pasar el talón.\n",
          numero);
    } else if (!dato) {
      std::printf(
          "\nDocumento %d: la lectora no dio datos del documento. Vuelva a pasar el talón.\n",
          numero);
    } else if (dato->Contiene("IDERR")) {
      std::printf("\nDocumento %d: línea no legible (IDERR %s)\n  %s\n", numero,
                  ATexto(dato->Item("IDERR")).c_str(), ATexto(dato->Item("Error")).c_str());
    } else {
      std::printf("\nDocumento %d: cheque\n", numero);
      for (const char* campo : kCampos) {
        const Variant& valor = dato->Item(campo);
        const std::string texto =
            std::string(campo) == "Importe" && valor.tipo() == Variant::Tipo::Double
                ? ImporteEnTexto(valor.AsDouble())
                : ATexto(valor);
        std::printf("  %-9s %s\n", campo, texto.c_str());
      }
    }
    for (const auto& ruta : documento.imagenes) {
      std::error_code error;
      const auto bytes = std::filesystem::file_size(ruta, error);
      std::printf("  imagen    %s (%llu bytes)\n", ruta.c_str(),
                  static_cast<unsigned long long>(error ? 0 : bytes));
    }
    for (const ImagenPerdida& perdida : documento.perdidas) {
      std::printf("  imagen %d  NO GUARDADA %s (número %d): vuelva a pasar el talón.\n",
                  perdida.imagen, perdida.ruta.empty() ? "(sin ruta)" : perdida.ruta.c_str(),
                  perdida.numero);
    }
  }

  bool json_;
  bool detenida_ = false;
  std::string rutaNoGuardada_;  // of the document a run-time error cut off
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
    // A run-time error ends the read where it happens; what was delivered
    // before it is summed up all the same.
    std::optional<ErrorEjecucion> fallo;
    {
      MensajesOperador mensajes(opciones.json,
                                [&lector](const std::string& texto) { lector.Atasco(texto); });
      try {
        comunica.Terminate();
      } catch (const ErrorEjecucion& error) {
        lector.DocumentoInterrumpido();
        fallo = error;
      }
    }
    if (!fallo && lector.SinUsarLectora()) {
      return lector.LectoraSinAbrir();
    }
    const std::chrono::duration<double> duracion = std::chrono::steady_clock::now() - inicio;
    lector.Resumen(momentoInicio, duracion.count());
    if (fallo) {
      return lector.InformaFallo(*fallo);
    }
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
