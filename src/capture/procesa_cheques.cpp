#include <limits>

#include "capture/captura.h"
#include "capture/estado_ciclo.h"
#include "core/error.h"
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

// The first number n for which no ERRANV<n>.tif (file or directory) exists
// in the image directory, read afresh for every probe.
std::int16_t PrimerIndiceLibre() {
  std::int16_t indice = 1;
  while (platform::ExisteRuta(Configuracion::LeeAjuste("DirectorioImg") + platform::kSeparador +
                              "ERRANV" + std::to_string(indice) + ".tif")) {
    Incrementa(indice);
  }
  return indice;
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

  estado.datosLinea = contexto.PantallaConfig->RecogeDatos(Recorta(HastaNul(strValor)));
  estado.colDatos = estado.datosLinea;
  for (int k = 1; k <= 3; ++k) {
    GuardaImagen(k, estado);
  }
  return estado.colDatos;
}

}  // namespace

void ProcesaCheques(const Contexto& contexto) {
  device::Lectora& lectora = device::LectoraActual();
  frmConfigLectorUSB& pantalla = *contexto.PantallaConfig;

  std::string strOpciones(kLargoRespuesta, '\0');
  InicializaLectora(strOpciones, contexto.blnLogActivo());

  EstadoCiclo estado;
  estado.blnLogActivo = contexto.blnLogActivo;
  estado.strRespuesta.assign(kLargoRespuesta, '\0');
  std::int32_t longitudRespuesta = static_cast<std::int32_t>(kLargoRespuesta);
  lectora.MTMICROpenDevice(Configuracion::LeeAjuste("Name"));

  estado.intIndiceError = PrimerIndiceLibre();

  bool otroDocumento = true;
  while (otroDocumento) {
    if (pantalla.TmrOnOff().Enabled()) {
      pantalla.TmrOnOff().Enabled(false);
    }

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

    if (resultado == 0) {
      estado.datosLinea.reset();
      estado.colDatos.reset();
      const std::shared_ptr<Collection> dato = LeeDocumento(estado, contexto);
      contexto.LectoraDatos(dato);
    }

    Incrementa(estado.intIndiceError);
  }

  pantalla.TmrOnOff().Enabled(true);
}

}  // namespace vardel::captura
