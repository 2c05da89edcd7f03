#include "capture/traza.h"

#include <cmath>
#include <limits>

#include "capture/estado_ciclo.h"
#include "core/text.h"
#include "settings/registro.h"

namespace vardel::captura {

namespace {

std::string Pase(std::int16_t indiceError, const std::string& linea) {
  return ", número de error " + std::to_string(indiceError) + ", línea \"" + linea + "\"";
}

// The status as a number when it is a whole 32-bit one, else as read.
std::string NumeroDeEstado(const std::string& estado) {
  const double numero = NumeroInicial(estado);
  if (std::trunc(numero) == numero && numero >= std::numeric_limits<std::int32_t>::min() &&
      numero <= std::numeric_limits<std::int32_t>::max()) {
    return std::to_string(static_cast<std::int32_t>(numero));
  }
  return Recorta(estado);
}

}  // namespace

void TrazaCapturaFallida(std::int32_t resultado, std::int16_t indiceError) {
  Configuracion::EscribeLog(Configuracion::LineaLog(
      resultado, " - Captura fallida" + Pase(indiceError, "") +
                     " Si un talón salió de la bandeja, vuelva a pasarlo "));
}

void TrazaSinDatos(const std::string& estado, std::int16_t indiceError, const std::string& linea) {
  Configuracion::EscribeLog(Configuracion::LineaLog(
      NumeroDeEstado(estado),
      " - Documento sin datos" + Pase(indiceError, linea) + " Vuelva a pasar el talón "));
}

void TrazaImagenNoGuardada(std::int32_t numero, int k, const std::string& ruta,
                           std::int16_t indiceError, const std::string& linea) {
  Configuracion::EscribeLog(Configuracion::LineaLog(
      numero, " - Imagen " + std::to_string(k) + " no guardada (" + ruta + ")" +
                  Pase(indiceError, linea) + " Vuelva a pasar el talón "));
}

}  // namespace vardel::captura
