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
    // The answer is the watched device's; a read opens "Name".
    const std::string aviso = AvisoNombre();
    if (opciones.json) {
      EmiteLinea(LineaEstado(conectada, aviso));
    } else {
      if (conectada) {
        std::printf("Lectora conectada.\n");
      } else {
        std::printf("Lectora no conectada.\n  %s\n", DetalleSinLectora().c_str());
      }
      if (!aviso.empty()) {
        std::printf("  Aviso: %s.\n", aviso.c_str());
      }
    }
    return conectada ? kSalidaCorrecta : kSalidaSinLectora;
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
}

}  // namespace vardel::cli
