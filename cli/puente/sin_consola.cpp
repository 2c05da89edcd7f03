#include "sin_consola.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "registro.h"

namespace vardel::cli::puente {

namespace {

// Standard output and error, into a pipe whose lines a thread of its own
// writes to the log; the descriptors go back to nothing when it goes.
class SalidaAlRegistro {
 public:
  SalidaAlRegistro() {
    HANDLE escritura = nullptr;
    if (CreatePipe(&lectura_, &escritura, nullptr, 0) == 0) {
      lectura_ = nullptr;
      return;
    }
    const int descriptor =
        _open_osfhandle(reinterpret_cast<std::intptr_t>(escritura), _O_WRONLY | _O_BINARY);
    if (descriptor < 0) {
      CloseHandle(escritura);
      return;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    for (std::FILE* flujo : {stdout, stderr}) {
      // Started from a shortcut, a program of the Windows subsystem may
      // have its streams tied to no descriptor at all: tied to one first.
      if (_fileno(flujo) < 0) {
        std::freopen("NUL", "w", flujo);
      }
      _dup2(descriptor, _fileno(flujo));
    }
    _close(descriptor);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    hilo_ = CreateThread(nullptr, 0, Reenvia, lectura_, 0, nullptr);
  }

  ~SalidaAlRegistro() {
    if (lectura_ == nullptr) {
      return;
    }
    // Closing both descriptors closes the pipe's last writer: the thread
    // reads to the end and stops.
    std::fflush(stdout);
    std::fflush(stderr);
    _close(_fileno(stdout));
    _close(_fileno(stderr));
    if (hilo_ != nullptr) {
      WaitForSingleObject(hilo_, INFINITE);
      CloseHandle(hilo_);
    }
    CloseHandle(lectura_);
  }

  SalidaAlRegistro(const SalidaAlRegistro&) = delete;
  SalidaAlRegistro& operator=(const SalidaAlRegistro&) = delete;

 private:
  // Each line read becomes a line of the log; a last one without its end
  // too.
  static DWORD WINAPI Reenvia(LPVOID tuberia) {
    std::string pendiente;
    char bloque[4096];
    DWORD leidos = 0;
    const auto Registrada = [](std::string linea) {
      if (!linea.empty() && linea.back() == '\r') {
        linea.pop_back();
      }
      if (!linea.empty()) {
        Registra(linea);
      }
    };
    while (ReadFile(static_cast<HANDLE>(tuberia), bloque, sizeof bloque, &leidos, nullptr) != 0 &&
           leidos > 0) {
      pendiente.append(bloque, leidos);
      for (auto fin = pendiente.find('\n'); fin != std::string::npos; fin = pendiente.find('\n')) {
        Registrada(pendiente.substr(0, fin));
        pendiente.erase(0, fin + 1);
      }
    }
    Registrada(pendiente);
    return 0;
  }

  HANDLE lectura_ = nullptr;
  HANDLE hilo_ = nullptr;
};

}  // namespace

int EjecutaSinConsola(int argc, char** argv, int (*ejecuta)(int argc, char** argv)) {
  RegistraEnArchivo();
  // The command is serve: its options follow the program's name.
  std::vector<char*> argumentos(argv, argv + argc);
  static char servir[] = "serve";
  argumentos.insert(argumentos.begin() + (argc > 0 ? 1 : 0), servir);
  const SalidaAlRegistro salida;
  return ejecuta(static_cast<int>(argumentos.size()), argumentos.data());
}

}  // namespace vardel::cli::puente
