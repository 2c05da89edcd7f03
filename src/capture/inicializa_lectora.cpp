#include "capture/capture.h"
#include "core/lanza_error.h"
#include "core/text.h"
#include "device/lectora.h"
#include "platform/componente.h"
#include "settings/configuracion.h"
#include "settings/registro.h"

namespace vardel::capture {

namespace {

constexpr std::size_t kLargoOpciones = 4096;

// The text between the ink tags of the status reply: the tags are found in
// any letter case, the text kept as the reply has it. "<INK>" without a
// "</INK>" after it is an invalid argument, as the extraction's negative
// length is.
std::string EstadoTinta(const std::string& respuesta) {
  const std::string mayusculas = MayusculasAscii(respuesta);
  const auto apertura = mayusculas.find("<INK>");
  if (apertura == std::string::npos) {
    return {};
  }
  const auto cierre = mayusculas.find("</INK>");
  const auto inicio = apertura + 5;
  if (cierre == std::string::npos || cierre < inicio) {
    LanzaError(errores::kArgumentoNoValido);
  }
  std::string tinta = respuesta.substr(inicio, cierre - inicio);
  const std::string tintaMayusculas = MayusculasAscii(tinta);
  if (tintaMayusculas == "NOTSUP" || tintaMayusculas == "EMPTY") {
    tinta = "NO";
  }
  return tinta;
}

// One item of the options document; the value read just before the call.
struct Opcion {
  const char* seccion;
  const char* elemento;
  int indice;  // 0: not an image item
  const char* clave;
};

// The 27 items, in the order the reader receives them. "Endorse" is
// handled apart: the ink test can force it off.
constexpr Opcion kOpciones[] = {
    {"Application", "Transfer", 0, "Transfer"},
    {"Application", "DocUnits", 0, "DocUnits"},
    {"ProcessOptions", "ReadMICR", 0, "ReadMICR"},
    {"ProcessOptions", "Endorse", 0, "Endorse"},
    {"ProcessOptions", "MICRFmtCode", 0, "MICRFmtCode"},
    {"ProcessOptions", "DocFeed", 0, "DocFeed"},
    {"Endorser", "PrintSide", 0, "PrintSide"},
    {"Endorser", "PrintData", 0, "PrintData"},
    {"Endorser", "PrintFont", 0, "PrinFont"},
    {"ImageOptions", "Number", 0, "Number"},
    {"ImageOptions", "ImageColor", 1, "ImageColor1"},
    {"ImageOptions", "Resolution", 1, "Resolution1"},
    {"ImageOptions", "Compression", 1, "Compression1"},
    {"ImageOptions", "FileType", 1, "FileType1"},
    {"ImageOptions", "ImageSide", 1, "ImageSide1"},
    {"ImageOptions", "FilterB", 0, "FilterB"},
    {"ImageOptions", "ImageColor", 2, "ImageColor2"},
    {"ImageOptions", "Resolution", 2, "Resolution2"},
    {"ImageOptions", "Compression", 2, "Compression2"},
    {"ImageOptions", "FileType", 2, "FileType2"},
    {"ImageOptions", "ImageSide", 2, "ImageSide2"},
    {"ImageOptions", "FilterB", 0, "FilterB"},
    {"ImageOptions", "ImageColor", 3, "ImageColor3"},
    {"ImageOptions", "Resolution", 3, "Resolution3"},
    {"ImageOptions", "Compression", 3, "Compression3"},
    {"ImageOptions", "FileType", 3, "FileType3"},
    {"ImageOptions", "ImageSide", 3, "ImageSide3"},
};

}  // namespace

void InicializaLectora(device::Lectora& lectora, std::string& strOpciones, Boolean blnLogActivo) {
  strOpciones.assign(kLargoOpciones, '\0');
  std::int32_t longitud = static_cast<std::int32_t>(kLargoOpciones);

  lectora.MTMICROpenDevice(Configuracion::LeeAjuste("Name"));
  lectora.MTMICRQueryInfo(Configuracion::LeeAjuste("Name"), "DeviceStatus", strOpciones, longitud);
  const std::string tinta = EstadoTinta(strOpciones);

  strOpciones.assign(kLargoOpciones, '\0');
  longitud = static_cast<std::int32_t>(kLargoOpciones);
  lectora.MTMICRCloseDevice(Configuracion::LeeAjuste("Name"));

  // The length is not reset between calls: each gets what the last left.
  std::int32_t resultado = 0;
  for (const Opcion& opcion : kOpciones) {
    const bool sinTinta = std::string(opcion.clave) == "Endorse" && Recorta(tinta) == "NO";
    const std::string valor = sinTinta ? std::string("NO") : Configuracion::LeeAjuste(opcion.clave);
    resultado =
        opcion.indice == 0
            ? lectora.MTMICRSetValue(strOpciones, opcion.seccion, opcion.elemento, valor, longitud)
            : lectora.MTMICRSetIndexValue(strOpciones, opcion.seccion, opcion.elemento,
                                          opcion.indice, valor, longitud);
  }

  std::string& directorioLog = Configuracion::strDirectorioLog();
  directorioLog =
      Configuracion::LeeIni(Configuracion::kSeccion, "DirectorioLog ", Configuracion::RutaConfig());
  // A cut value names another folder: the default log folder is used instead,
  // as for a blank one.
  if (Recorta(directorioLog).empty() ||
      Configuracion::AjusteCortado("DirectorioLog", directorioLog)) {
    directorioLog = Configuracion::CarpetaLogPredeterminada();
  }

  if (resultado != 0 && EsVerdadero(blnLogActivo)) {
    Configuracion::EscribeLog(
        Configuracion::LineaLog(resultado, " - Error inicialización lectora "));
  }
}

}  // namespace vardel::capture
