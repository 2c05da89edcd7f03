#pragma once

#include <chrono>
#include <cstdint>
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

// Puts the vardel command beside this test program into `carpeta`, which
// becomes the component's folder: the command, the library under the name
// it was linked against (found through its run path $ORIGIN) and the
// reader simulator.
void CopiaOrdenVardel(const std::string& carpeta);

// A program left running (a server) while the test talks to it; its
// standard output and error go to files in its folder. Killed, if still
// running, when the object goes.
class ProgramaEnMarcha {
 public:
  ProgramaEnMarcha(const std::string& programa, const std::vector<std::string>& argumentos,
                   const std::string& carpeta);
  ~ProgramaEnMarcha();
  ProgramaEnMarcha(const ProgramaEnMarcha&) = delete;
  ProgramaEnMarcha& operator=(const ProgramaEnMarcha&) = delete;

  bool EnMarcha() const;
  // Its standard error so far.
  std::string Errores() const;
  // Ends it and waits: `forzado` kills it outright (SIGKILL, or
  // TerminateProcess on Windows), otherwise SIGTERM asks it to stop (POSIX
  // only). Its exit code, -1 when a signal ended it.
  int Detiene(bool forzado);
  // Its resident memory in KiB (POSIX, from /proc; 0 elsewhere).
  long MemoriaKib() const;
  // Waits up to `limite` for it to end: its exit code, or -1 when it is
  // still running (or was killed).
  int Espera(std::chrono::milliseconds limite);
#ifdef _WIN32
  // Sends `mensaje` to its top-level window of class `clase`, as the system
  // sends it (and waits for the answer, 60 s at most); false when it has
  // no such window.
  bool EnviaAVentana(const wchar_t* clase, unsigned mensaje, std::uintptr_t w) const;
#endif

 private:
  std::string errores_;
#ifdef _WIN32
  void* proceso_ = nullptr;
#else
  mutable int hijo_ = -1;
#endif
};

}  // namespace vardel::prueba
