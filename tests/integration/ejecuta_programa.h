#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace vardel::prueba {

// What a program that ran to its end left behind.
struct ResultadoPrograma {
  int codigo = -1;     // exit code; -1 when it could not be started or was killed
  std::string salida;  // standard output, bytes as written
  std::string errores;
};

// How a program is run. By default its standard input is empty (at its
// end) and it is waited for however long it takes. `entradaAbierta` gives
// it instead a pipe that stays open and silent, as a script's input that
// never answers: a program that waits for a reader there blocks. With a
// `limite` it is killed when it runs longer (its code is then -1).
struct ModoEjecucion {
  bool entradaAbierta = false;
  std::chrono::milliseconds limite{0};
};

// Runs a program in a folder and waits for it. Its output goes through
// files in that folder, so nothing can block on a full pipe.
ResultadoPrograma EjecutaPrograma(const std::string& programa,
                                  const std::vector<std::string>& argumentos,
                                  const std::string& carpeta, const ModoEjecucion& modo = {});

}  // namespace vardel::prueba
