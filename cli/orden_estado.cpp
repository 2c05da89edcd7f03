// vardel status: whether a reader is connected and answers.
#include <cstdio>

#include "ordenes.h"
#include "salida.h"
#include "vardel/comunica.h"

namespace vardel::cli {

int OrdenEstado(const Opciones& opciones) {
  try {
    Comunica comunica;
    const bool conectada = EsVerdadero(comunica.LectoraONOFF());
    if (opciones.json) {
      std::printf("{\"conectada\": %s}\n", conectada ? "true" : "false");
    } else {
      std::printf(conectada ? "Lectora conectada.\n" : "Lectora no conectada.\n");
    }
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
