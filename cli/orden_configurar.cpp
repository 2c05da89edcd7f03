// vardel settings: the operator's settings screen.
#include "ordenes.h"
#include "salida.h"
#include "vardel/comunica.h"

namespace vardel::cli {

int OrdenConfigurar(const Opciones& opciones) {
  try {
    Comunica comunica;
    comunica.MostrarConfiguracion();
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
