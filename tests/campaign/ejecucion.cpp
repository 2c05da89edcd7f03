#include "ejecucion.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace campana {

namespace {

std::string Lee(const std::string& ruta) {
  std::ifstream entrada(ruta, std::ios::binary);
  std::ostringstream texto;
  texto << entrada.rdbuf();
  return texto.str();
}

}  // namespace

Ejecucion Ejecuta(const std::vector<std::string>& orden, const std::string& carpeta,
                  std::optional<int> matar_ms, int limite_ms) {
  Ejecucion ejecucion;
  const std::string salida = carpeta + "/salida.txt";
  const pid_t hijo = ::fork();
  if (hijo == 0) {
    // Its own process group, so a launcher and what it starts die together.
    ::setpgid(0, 0);
    const int archivo = ::open(salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int nada = ::open("/dev/null", O_RDWR);
    if (archivo < 0 || nada < 0 || ::chdir(carpeta.c_str()) != 0) {
      ::_exit(127);
    }
    ::dup2(nada, 0);
    ::dup2(archivo, 1);
    ::dup2(nada, 2);
    // The simulator reads the scenario beside it; no display, so a jam's
    // message box under Wine cannot wait for an operator.
    ::unsetenv("MTXSIM_SCENARIO");
    ::unsetenv("DISPLAY");
    std::vector<char*> argumentos;
    for (const std::string& parte : orden) {
      argumentos.push_back(const_cast<char*>(parte.c_str()));
    }
    argumentos.push_back(nullptr);
    ::execv(argumentos[0], argumentos.data());
    ::_exit(127);
  }
  ::setpgid(hijo, hijo);
  const auto inicio = std::chrono::steady_clock::now();
  int estado = 0;
  for (;;) {
    const pid_t acabado = ::waitpid(hijo, &estado, WNOHANG);
    if (acabado == hijo) {
      break;
    }
    const auto transcurrido = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - inicio)
                                  .count();
    const bool toca = matar_ms && transcurrido >= *matar_ms;
    if (toca || transcurrido >= limite_ms) {
      ::kill(-hijo, SIGKILL);
      ::waitpid(hijo, &estado, 0);
      ejecucion.matado = toca;
      ejecucion.colgado = !toca;
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  ejecucion.ms = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::steady_clock::now() - inicio)
                                      .count());
  if (!ejecucion.matado && !ejecucion.colgado && WIFEXITED(estado)) {
    ejecucion.codigo = WEXITSTATUS(estado);
  }
  ejecucion.salida = Lee(salida);
  return ejecucion;
}

}  // namespace campana
