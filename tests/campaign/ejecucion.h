#pragma once

#include <optional>
#include <string>
#include <vector>

// Running one read: the host started in its folder, killed with SIGKILL at
// the chosen moment or when it overstays its limit.
namespace campana {

struct Ejecucion {
  bool matado = false;   // killed on purpose
  bool colgado = false;  // killed because it overstayed the limit
  int codigo = -1;       // exit code when it ended by itself
  int ms = 0;            // how long it ran
  std::string salida;    // what it printed before it ended or was killed
};

// Runs the program (through the launcher when one is given, e.g. Wine)
// with its standard output in a file of the folder.
Ejecucion Ejecuta(const std::vector<std::string>& orden, const std::string& carpeta,
                  std::optional<int> matar_ms, int limite_ms);

}  // namespace campana
