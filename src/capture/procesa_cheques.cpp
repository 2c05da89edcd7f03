#include "capture/capture.h"
#include "capture/directorio_imagenes.h"
#include "capture/estado_ciclo.h"
#include "capture/nombres_imagen.h"
#include "capture/reserva_numero.h"
#include "capture/traza.h"
#include "core/lanza_error.h"
#include "core/text.h"
#include "device/lectora.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/configuracion.h"
#include "settings/registro.h"

namespace vardel::capture {

namespace {

constexpr std::size_t kLargoRespuesta = 4096;
constexpr std::int32_t kLargoValor = 1024;

// Reads the current document's values and images. Returns the data object
// the event carries.
std::shared_ptr<Collection> LeeDocumento(EstadoCiclo& estado, const Contexto& contexto) {
  device::Lectora& lectora = estado.lectora;
  std::string strValor(static_cast<std::size_t>(kLargoValor), '\0');
  std::int32_t longitud = kLargoValor;
  lectora.MTMICRGetValue(estado.strRespuesta, "CommandStatus", "res", strValor, longitud);
  if (NumeroInicial(HastaNul(strValor)) != 0) {
    // A document the reader did not read well carries no data: never an
    // earlier document's, which the host would take for a second cheque.
    TrazaSinDatos(HastaNul(strValor), estado);
    return nullptr;
  }

  // The code line's buffer follows the length the status read handed back,
  // but only a sane one: the line must fit and the library must not be told
  // a capacity the buffer lacks.
  if (longitud < 1 || longitud > kLargoValor) {
    longitud = kLargoValor;
  }
  strValor.assign(static_cast<std::size_t>(longitud), '\0');
  lectora.MTMICRGetValue(estado.strRespuesta, "DocInfo", "MICRRaw", strValor, longitud);

  estado.lineaCodigo = Recorta(HastaNul(strValor));
  estado.datosLinea = contexto.PantallaConfig->RecogeDatos(estado.lineaCodigo);
  estado.colDatos = estado.datosLinea;
  for (int k = 1; k <= 3; ++k) {
    GuardaImagen(k, estado);
  }
  if (!estado.colDatos && !estado.trazado) {
    // Unparsed, and no third image to build the no-data collection on.
    TrazaSinDatos("0", estado);
  }
  return estado.colDatos;
}

}  // namespace

void ProcesaCheques(const Contexto& contexto) {
  device::Lectora& lectora = contexto.lectora;
  frmConfigLectorUSB& pantalla = *contexto.PantallaConfig;

  // A missing function or library ends the read here, before any document
  // is fed, not after a cheque has left the tray.
  lectora.CompruebaFunciones();

  std::string strOpciones(kLargoRespuesta, '\0');
  InicializaLectora(lectora, strOpciones, contexto.blnLogActivo());

  EstadoCiclo estado(lectora);
  estado.blnLogActivo = contexto.blnLogActivo;
  estado.ImagenGuardada = contexto.ImagenGuardada;
  estado.ImagenNoGuardada = contexto.ImagenNoGuardada;
  estado.strRespuesta.assign(kLargoRespuesta, '\0');
  std::int32_t longitudRespuesta = static_cast<std::int32_t>(kLargoRespuesta);
  const std::int32_t apertura = lectora.MTMICROpenDevice(Configuracion::LeeAjuste("Name"));
  if (contexto.LectoraAbierta) {
    contexto.LectoraAbierta(apertura);
  }

  estado.intIndiceError = 1;
  SaltaIndicesOcupados(estado.intIndiceError);
  // The folder the read starts with is the one swept when it ends, even if
  // Config.ini names another by then; an unusable one is reported by the
  // check before feeding.
  std::string carpetaInicial;
  try {
    carpetaInicial = DirectorioImagenes();
  } catch (const ErrorEjecucion&) {
  }

  bool otroDocumento = true;
  bool primeraPasada = true;
  while (otroDocumento) {
    // The host's stop, before a document is fed: the one before has had
    // its images and its event.
    if (contexto.Detener && contexto.Detener()) {
      break;
    }
    if (pantalla.TmrOnOff().Enabled()) {
      pantalla.TmrOnOff().Enabled(false);
    }
    // A cheque named by no file would be lost to the operator: no further
    // one is fed once a trace could not be written anywhere.
    if (estado.trazaPerdida) {
      throw *estado.trazaPerdida;
    }
    // The pass's number is claimed in the folder just checked, so no other
    // reader of the folder (or files put there by hand since the last
    // probe) shares it: IDERR always names this pass's files alone.
    const ReservaNumero reserva(CompruebaAntesDeCapturar(contexto.blnLogActivo()),
                                estado.intIndiceError);

    // A fresh results buffer for every call: a failing call that writes
    // nothing must not replay the previous document's "DOCPRESENT".
    estado.strRespuesta.assign(kLargoRespuesta, '\0');
    longitudRespuesta = static_cast<std::int32_t>(kLargoRespuesta);
    const std::int32_t resultado = lectora.MTMICRProcessCheck(
        Configuracion::LeeAjuste("Name"), strOpciones, estado.strRespuesta, longitudRespuesta);

    const std::string textoRespuesta = HastaNul(estado.strRespuesta);
    otroDocumento = textoRespuesta.find("DOCPRESENT") != std::string::npos;

    if (textoRespuesta.find(">204<") != std::string::npos) {
      pantalla.VaciarBandeja(lectora);
      if (EsVerdadero(contexto.blnLogActivo())) {
        Configuracion::EscribeLog(Configuracion::LineaLog(
            resultado, " - Atasco de cheques en bandeja de entrada/salida "));
      }
    }

    if (resultado != 0) {
      // Traced only where a document may have left the tray unnamed: the
      // reader announced one for this pass, or says more wait. A read
      // started on an empty tray is an ordinary outcome, and a jam is
      // named by its own handling.
      const bool jam = textoRespuesta.find(">204<") != std::string::npos;
      if (!jam && (otroDocumento || !primeraPasada)) {
        TrazaCapturaFallida(resultado, estado);
      }
      if (contexto.CapturaFallida) {
        contexto.CapturaFallida(resultado, otroDocumento);
      }
    } else {
      estado.datosLinea.reset();
      estado.colDatos.reset();
      estado.lineaCodigo.clear();
      estado.trazado = false;
      const std::shared_ptr<Collection> dato = LeeDocumento(estado, contexto);
      contexto.LectoraDatos(dato);
      if (estado.excepcionAnfitrion) {
        std::rethrow_exception(estado.excepcionAnfitrion);
      }
    }

    Incrementa(estado.intIndiceError);
    primeraPasada = false;
  }
  if (estado.trazaPerdida) {
    throw *estado.trazaPerdida;
  }
  // Once the tray is empty, not before the first cheque: listing a folder
  // of a year's images must not delay the counter.
  BorraTemporalesHuerfanos(carpetaInicial);

  pantalla.TmrOnOff().Enabled(true);
}

}  // namespace vardel::capture
