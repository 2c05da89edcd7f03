// The vardel command: its whole run is in ejecuta.cpp, built once for both
// programs that carry it.
#include "ordenes.h"

#ifdef VARDEL_SIN_CONSOLA
#include "puente/sin_consola.h"
#endif

// vardel-puente.exe (Windows, no console) is this program run as `vardel
// serve`, its output in the bridge's log file.
int main(int argc, char** argv) {
#ifdef VARDEL_SIN_CONSOLA
  return vardel::cli::puente::EjecutaSinConsola(argc, argv, vardel::cli::EjecutaSinExcepciones);
#else
  return vardel::cli::EjecutaSinExcepciones(argc, argv);
#endif
}
