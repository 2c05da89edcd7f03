#include "capture/directorio_imagenes.h"

#include "core/lanza_error.h"
#include "core/text.h"
#include "platform/archivos.h"
#include "settings/configuracion.h"
#include "settings/registro.h"

namespace vardel::captura {

namespace {

[[noreturn]] void DirectorioNoValido(const std::string& motivo) {
  LanzaError(errores::kRutaNoEncontrada, DescripcionError(errores::kRutaNoEncontrada) +
                                             ": DirectorioImg de Config.ini " + motivo);
}

}  // namespace

std::string DirectorioImagenes() {
  const std::string directorio = Configuracion::LeeAjuste("DirectorioImg");
  if (Recorta(directorio).empty()) {
    DirectorioNoValido("está vacío o no se puede leer");
  }
  if (Configuracion::AjusteCortado("DirectorioImg", directorio)) {
    DirectorioNoValido("tiene más de " + std::to_string(Configuracion::kLargoMaximoValor) +
                       " caracteres");
  }
  return directorio;
}

void CompruebaAntesDeCapturar(Boolean blnLogActivo) {
  try {
    platform::CompruebaEscritura(DirectorioImagenes(), kEspacioPorCheque);
  } catch (const ErrorEjecucion& error) {
    if (EsVerdadero(blnLogActivo)) {
      Configuracion::EscribeLog(Configuracion::LineaLog(
          error.Numero(), " - No se pueden guardar las imágenes: " + error.Descripcion() + " "));
    }
    throw;
  }
}

}  // namespace vardel::captura
