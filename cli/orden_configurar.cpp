// vardel settings: the operator's settings screen.
#include <cstdio>

#include "ordenes.h"
#include "salida.h"
#include "vardel/comunica.h"

namespace vardel::cli {

int OrdenConfigurar(const Opciones& opciones) {
  if (opciones.json) {
    // A screen for a person: there is nothing to write as lines.
    std::fprintf(stderr,
                 "vardel: settings no tiene salida JSON: es la pantalla del operador (vardel "
                 "settings --help muestra el uso)\n");
    return kSalidaUso;
  }
  try {
    Comunica comunica;
    comunica.MostrarConfiguracion();
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
