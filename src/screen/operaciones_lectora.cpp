// The reader operations of the settings screen object: the presence check
// and jam clearing.
#include "core/text.h"
#include "device/lectora.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/configuracion.h"
#include "vardel/interaccion.h"

namespace vardel {

Boolean frmConfigLectorUSB::GetDevice() {
  bool encontrado = false;
  std::int32_t indice = 0;
  std::int32_t estado = 0;
  while (estado == 0) {
    ++indice;
    std::string nombre(200, ' ');
    estado = lectora_.MTMICRGetDevice(indice, nombre);
    if (estado != 0) {
      break;
    }
    // The name is the buffer's text up to the NUL the library ends it with:
    // the trimmed length counts that NUL. A blank buffer lists nothing.
    // Lengths are in characters, never bytes of one.
    const std::size_t largo = CuentaCaracteres(Recorta(nombre));
    if (largo > 0 && PrimerosCaracteres(nombre, largo - 1) == kDispositivo) {
      encontrado = true;
    }
  }
  return ABoolean(encontrado);
}

Boolean frmConfigLectorUSB::EstadoLectora() {
  if (GetDevice() == Boolean::True) {
    const std::int32_t apertura = lectora_.MTMICROpenDevice(kDispositivo);
    lectora_.MTMICRCloseDevice(kDispositivo);
    return ABoolean(apertura == 0);
  }
  lectora_.MTMICRCloseDevice(kDispositivo);
  return Boolean::False;
}

Variant frmConfigLectorUSB::VaciarBandeja() {
  return VaciarBandeja(lectora_);
}

Variant frmConfigLectorUSB::VaciarBandeja(device::Lectora& lectora) {
  platform::InteraccionActual().MuestraMensaje("Error 204 - Cheque atascado en bandeja.",
                                               "Error lectora", platform::BotonesMensaje::Aceptar,
                                               platform::IconoMensaje::Critico);
  std::string respuesta(1024, '\0');
  std::int32_t longitud = 1024;
  lectora.MTMICRSendCommand(Configuracion::LeeAjuste("Name"), "ClearPathExit", respuesta, longitud);
  // The entry path gets the buffer and size as the first command left them.
  lectora.MTMICRSendCommand(Configuracion::LeeAjuste("Name"), "ClearPathEntry", respuesta,
                            longitud);
  return Variant();
}

}  // namespace vardel
