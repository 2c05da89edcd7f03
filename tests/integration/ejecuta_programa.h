#pragma once

#include <string>
#include <vector>

namespace vardel::prueba {

// What a program that ran to its end left behind.
struct ResultadoPrograma {
  int codigo = -1;     // exit code; -1 when it could not be started or was killed
  std::string salida;  // standard output, bytes as written
  std::string errores;
};

// Runs a program in a folder with standard input empty, and waits for it.
// Its output goes through files in that folder, so nothing can block on a
// full pipe.
ResultadoPrograma EjecutaPrograma(const std::string& programa,
                                  const std::vector<std::string>& argumentos,
                                  const std::string& carpeta);

}  // namespace vardel::prueba
