#include <limits>

#include "capture/captura.h"
#include "capture/directorio_imagenes.h"
#include "capture/estado_ciclo.h"
#include "capture/nombres_imagen.h"
#include "capture/traza.h"
#include "core/lanza_error.h"
#include "core/text.h"
#include "device/lectora.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/configuracion.h"
#include "settings/registro.h"

namespace vardel::captura {

namespace {

constexpr std::size_t kLargoRespuesta = 4096;
constexpr std::int32_t kLargoValor = 1024;

// One more for the error counter; past 32767 it is an overflow.
void Incrementa(std::int16_t& contador) {
  if (contador == std::numeric_limits<std::int16_t>::max()) {
    LanzaError(errores::kDesbordamiento);
  }
  ++contador;
}

// True when any of the three error names of number n (ERRANVn.tif,
// ERRREVn.tif, ERRANVn.jpg) exists as a file or a directory in the image
// directory, read afresh for every probe: a number is free only when a pass
// can write all its images without replacing an earlier pass's.
bool IndiceOcupado(std::int16_t indice) {
  for (int k = 1; k <= 3; ++k) {
    if (platform::ExisteRuta(Configuracion::LeeAjuste("DirectorioImg") + platform::kSeparador +
                             NombreImagenError(k, indice))) {
      return true;
    }
  }
  return false;
}

// Moves the counter on past every number in use; past 32767 an overflow.
void SaltaIndicesOcupados(std::int16_t& indice) {
  while (IndiceOcupado(indice)) {
    Incrementa(indice);
  }
}

// Reads the current document's values and images. Returns the data object
// the event carries.
std::shared_ptr<Collection> LeeDocumento(EstadoCiclo& estado, const Contexto& contexto) {
  device::Lectora& lectora = device::LectoraActual();
  std::string strValor(static_cast<std::size_t>(kLargoValor), '\0');
  std::int32_t longitud = kLargoValor;
  lectora.MTMICRGetValue(estado.strRespuesta, "CommandStatus", "res", strValor, longitud);
  if (NumeroInicial(HastaNul(strValor)) != 0) {
    // A document the reader did not read well carries no data: never an
    // earlier document's, which the host would take for a second cheque.
    TrazaSinDatos(HastaNul(strValor), estado.intIndiceError, "");
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
    TrazaSinDatos("0", estado.intIndiceError, estado.lineaCodigo);
  }
  return estado.colDatos;
}

}  // namespace

void ProcesaCheques(const Contexto& contexto) {
  device::Lectora& lectora = device::LectoraActual();
  frmConfigLectorUSB& pantalla = *contexto.PantallaConfig;

  // A missing function or library ends the read here, before any document
  // is fed, not after a cheque has left the tray.
  lectora.CompruebaFunciones();

  std::string strOpciones(kLargoRespuesta, '\0');
  InicializaLectora(strOpciones, contexto.blnLogActivo());

  EstadoCiclo estado;
  estado.blnLogActivo = contexto.blnLogActivo;
  estado.imagenGuardada = contexto.ImagenGuardada;
  estado.imagenNoGuardada = contexto.ImagenNoGuardada;
  estado.strRespuesta.assign(kLargoRespuesta, '\0');
  std::int32_t longitudRespuesta = static_cast<std::int32_t>(kLargoRespuesta);
  const std::int32_t apertura = lectora.MTMICROpenDevice(Configuracion::LeeAjuste("Name"));
  if (contexto.LectoraAbierta) {
    contexto.LectoraAbierta(apertura);
  }

  estado.intIndiceError = 1;
  SaltaIndicesOcupados(estado.intIndiceError);
  BorraTemporalesHuerfanos();

  bool otroDocumento = true;
  while (otroDocumento) {
    // The host's stop, before a document is fed: the one before has had
    // its images and its event.
    if (contexto.Detener && contexto.Detener()) {
      break;
    }
    if (pantalla.TmrOnOff().Enabled()) {
      pantalla.TmrOnOff().Enabled(false);
    }
    // A number taken since the last probe (another process, or files put
    // there by hand) is skipped too, so IDERR always names this pass's files.
    SaltaIndicesOcupados(estado.intIndiceError);
    CompruebaAntesDeCapturar(contexto.blnLogActivo());

    // A fresh results buffer for every call: a failing call that writes
    // nothing must not replay the previous document's "DOCPRESENT".
    estado.strRespuesta.assign(kLargoRespuesta, '\0');
    longitudRespuesta = static_cast<std::int32_t>(kLargoRespuesta);
    const std::int32_t resultado = lectora.MTMICRProcessCheck(
        Configuracion::LeeAjuste("Name"), strOpciones, estado.strRespuesta, longitudRespuesta);

    const std::string textoRespuesta = HastaNul(estado.strRespuesta);
    otroDocumento = textoRespuesta.find("DOCPRESENT") != std::string::npos;

    if (textoRespuesta.find(">204<") != std::string::npos) {
      pantalla.VaciarBandeja();
      if (EsVerdadero(contexto.blnLogActivo())) {
        Configuracion::EscribeLog(Configuracion::LineaLog(
            resultado, " - Atasco de cheques en bandeja de entrada/salida "));
      }
    }

    if (resultado != 0) {
      TrazaCapturaFallida(resultado, estado.intIndiceError);
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
    }

    Incrementa(estado.intIndiceError);
  }

  pantalla.TmrOnOff().Enabled(true);
}

}  // namespace vardel::captura
