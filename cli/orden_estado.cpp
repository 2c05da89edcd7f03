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
    // The answer is the watched device's; a read opens "Name". A Name that
    // is not the reader's leaves no reader a read could use: 2, as the
    // read that cannot open it ends.
    const std::string aviso = AvisoNombre();
    if (opciones.json) {
      EmiteLinea(LineaEstado(conectada, aviso));
    } else if (!conectada) {
      std::printf("Lectora no conectada.\n  %s\n", DetalleSinLectora().c_str());
    } else if (!aviso.empty()) {
      std::printf("Lectora conectada, pero la lectura no la usaría.\n  %s.\n", aviso.c_str());
    } else {
      std::printf("Lectora conectada.\n");
    }
    return conectada && aviso.empty() ? kSalidaCorrecta : kSalidaSinLectora;
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
}

}  // namespace vardel::cli
