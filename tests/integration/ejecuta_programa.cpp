#include "ejecuta_programa.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "device/lectora_biblioteca.h"
#include "support/simulador_prueba.h"

#ifdef _WIN32
#include <windows.h>

#include <string_view>
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>
#endif

namespace vardel::prueba {

namespace {

constexpr const char* kSalida = "salida-programa.txt";
constexpr const char* kErrores = "errores-programa.txt";

std::string LeeYBorra(const std::string& ruta) {
  std::string bytes;
  {
    std::ifstream entrada(ruta, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
  }
  std::remove(ruta.c_str());
  return bytes;
}

#ifdef _WIN32

std::string Entrecomillado(const std::string& argumento) {
  if (!argumento.empty() && argumento.find_first_of(" \t\"") == std::string::npos) {
    return argumento;
  }
  return "\"" + argumento + "\"";
}

HANDLE AbreHeredable(const std::string& ruta, DWORD acceso, DWORD creacion) {
  SECURITY_ATTRIBUTES heredable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileA(ruta.c_str(), acceso, FILE_SHARE_READ | FILE_SHARE_WRITE, &heredable, creacion,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts the program in `carpeta`, reading `entrada` (an inheritable
// handle) and writing to the two files; its process handle, or nullptr.
HANDLE Arranca(const std::string& programa, const std::vector<std::string>& argumentos,
               const std::string& carpeta, const std::string& salida, const std::string& errores,
               HANDLE entrada) {
  HANDLE out = AbreHeredable(salida, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = AbreHeredable(errores, GENERIC_WRITE, CREATE_ALWAYS);
  std::string linea = Entrecomillado(programa);
  for (const std::string& argumento : argumentos) {
    linea += " " + Entrecomillado(argumento);
  }
  STARTUPINFOA inicio{};
  inicio.cb = sizeof inicio;
  inicio.dwFlags = STARTF_USESTDHANDLES;
  inicio.hStdInput = entrada;
  inicio.hStdOutput = out;
  inicio.hStdError = err;
  PROCESS_INFORMATION proceso{};
  const bool arrancado = CreateProcessA(programa.c_str(), linea.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, carpeta.c_str(), &inicio, &proceso) != 0;
  CloseHandle(out);
  CloseHandle(err);
  if (!arrancado) {
    return nullptr;
  }
  CloseHandle(proceso.hThread);
  return proceso.hProcess;
}

int Ejecuta(const std::string& programa, const std::vector<std::string>& argumentos,
            const std::string& carpeta, const std::string& salida, const std::string& errores,
            const ModoEjecucion& modo) {
  SECURITY_ATTRIBUTES heredable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE entrada = INVALID_HANDLE_VALUE;
  HANDLE escritura = INVALID_HANDLE_VALUE;  // held open, never written
  if (modo.entradaAbierta && CreatePipe(&entrada, &escritura, &heredable, 0)) {
    SetHandleInformation(escritura, HANDLE_FLAG_INHERIT, 0);
  } else {
    entrada = AbreHeredable("NUL", GENERIC_READ, OPEN_EXISTING);
  }
  HANDLE proceso = Arranca(programa, argumentos, carpeta, salida, errores, entrada);
  int codigo = -1;
  if (proceso != nullptr) {
    const DWORD espera =
        modo.limite.count() > 0 ? static_cast<DWORD>(modo.limite.count()) : INFINITE;
    if (WaitForSingleObject(proceso, espera) == WAIT_TIMEOUT) {
      TerminateProcess(proceso, 1);
      WaitForSingleObject(proceso, INFINITE);
    } else {
      DWORD fin = 0;
      if (GetExitCodeProcess(proceso, &fin)) {
        codigo = static_cast<int>(fin);
      }
    }
    CloseHandle(proceso);
  }
  CloseHandle(entrada);
  if (escritura != INVALID_HANDLE_VALUE) {
    CloseHandle(escritura);
  }
  return codigo;
}

#else

// Waits for the child, killing it once past the limit (if there is one).
int Espera(pid_t hijo, std::chrono::milliseconds limite) {
  const auto fin = std::chrono::steady_clock::now() + limite;
  int estado = 0;
  for (;;) {
    const pid_t terminado = waitpid(hijo, &estado, limite.count() > 0 ? WNOHANG : 0);
    if (terminado == hijo) {
      return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    }
    if (terminado < 0 && errno != EINTR) {
      return -1;
    }
    if (terminado == 0) {
      if (std::chrono::steady_clock::now() >= fin) {
        kill(hijo, SIGKILL);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
}

// Starts the program in `carpeta`, reading `entrada` (-1: /dev/null) and
// writing to the two files; `cierra` (-1: none) is closed in the child.
// The child's pid, or -1.
pid_t Arranca(const std::string& programa, const std::vector<std::string>& argumentos,
              const std::string& carpeta, const std::string& salida, const std::string& errores,
              int entrada, int cierra) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(programa.c_str()));
  for (const std::string& argumento : argumentos) {
    argv.push_back(const_cast<char*>(argumento.c_str()));
  }
  argv.push_back(nullptr);
  const pid_t hijo = fork();
  if (hijo == 0) {
    const int lee = entrada >= 0 ? entrada : open("/dev/null", O_RDONLY);
    const int out = open(salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errores.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (lee < 0 || out < 0 || err < 0 || dup2(lee, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(carpeta.c_str()) != 0) {
      _exit(127);
    }
    if (cierra >= 0) {
      close(cierra);
    }
    execv(programa.c_str(), argv.data());
    _exit(127);
  }
  return hijo;
}

int Ejecuta(const std::string& programa, const std::vector<std::string>& argumentos,
            const std::string& carpeta, const std::string& salida, const std::string& errores,
            const ModoEjecucion& modo) {
  int tuberia[2] = {-1, -1};
  if (modo.entradaAbierta && pipe(tuberia) != 0) {
    return -1;
  }
  const pid_t hijo =
      Arranca(programa, argumentos, carpeta, salida, errores, tuberia[0], tuberia[1]);
  // The pipe's write end stays open, and silent, until the program ends.
  const int codigo = hijo < 0 ? -1 : Espera(hijo, modo.limite);
  if (modo.entradaAbierta) {
    close(tuberia[0]);
    close(tuberia[1]);
  }
  return codigo;
}

#endif

}  // namespace

ProgramaEnMarcha::ProgramaEnMarcha(const std::string& programa,
                                   const std::vector<std::string>& argumentos,
                                   const std::string& carpeta)
    : errores_(carpeta + "/servidor-errores.txt") {
  const std::string salida = carpeta + "/servidor-salida.txt";
#ifdef _WIN32
  HANDLE entrada = AbreHeredable("NUL", GENERIC_READ, OPEN_EXISTING);
  proceso_ = Arranca(programa, argumentos, carpeta, salida, errores_, entrada);
  CloseHandle(entrada);
#else
  hijo_ = Arranca(programa, argumentos, carpeta, salida, errores_, -1, -1);
#endif
}

ProgramaEnMarcha::~ProgramaEnMarcha() {
#ifdef _WIN32
  if (proceso_ != nullptr) {
    TerminateProcess(proceso_, 1);
    WaitForSingleObject(proceso_, INFINITE);
    CloseHandle(proceso_);
  }
#else
  if (hijo_ > 0) {
    kill(hijo_, SIGKILL);
    int estado = 0;
    waitpid(hijo_, &estado, 0);
  }
#endif
}

bool ProgramaEnMarcha::EnMarcha() const {
#ifdef _WIN32
  return proceso_ != nullptr && WaitForSingleObject(proceso_, 0) == WAIT_TIMEOUT;
#else
  int estado = 0;
  if (hijo_ > 0 && waitpid(hijo_, &estado, WNOHANG) == hijo_) {
    hijo_ = -1;  // reaped: never signalled again
  }
  return hijo_ > 0;
#endif
}

int ProgramaEnMarcha::Detiene(bool forzado) {
#ifdef _WIN32
  (void)forzado;
  if (proceso_ == nullptr) {
    return -1;
  }
  TerminateProcess(proceso_, 1);
  WaitForSingleObject(proceso_, INFINITE);
  CloseHandle(proceso_);
  proceso_ = nullptr;
  return -1;
#else
  if (hijo_ <= 0) {
    return -1;
  }
  kill(hijo_, forzado ? SIGKILL : SIGTERM);
  int estado = 0;
  waitpid(hijo_, &estado, 0);
  hijo_ = -1;
  return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
#endif
}

long ProgramaEnMarcha::MemoriaKib() const {
#ifdef _WIN32
  return 0;
#else
  std::ifstream estado("/proc/" + std::to_string(hijo_) + "/status");
  for (std::string linea; std::getline(estado, linea);) {
    if (linea.rfind("VmRSS:", 0) == 0) {
      return std::stol(linea.substr(6));
    }
  }
  return 0;
#endif
}

int ProgramaEnMarcha::Espera(std::chrono::milliseconds limite) {
#ifdef _WIN32
  DWORD fin = 0;
  if (proceso_ == nullptr ||
      WaitForSingleObject(proceso_, static_cast<DWORD>(limite.count())) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(proceso_, &fin)) {
    return -1;
  }
  CloseHandle(proceso_);
  proceso_ = nullptr;
  return static_cast<int>(fin);
#else
  const auto fin = std::chrono::steady_clock::now() + limite;
  while (hijo_ > 0) {
    int estado = 0;
    if (waitpid(hijo_, &estado, WNOHANG) == hijo_) {
      hijo_ = -1;
      return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
    }
    if (std::chrono::steady_clock::now() >= fin) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return -1;
#endif
}

#ifdef _WIN32
namespace {

struct BusquedaVentana {
  DWORD proceso;
  const wchar_t* clase;
  HWND ventana;
};

// EnumWindows' callback: the window of that process and class, if any.
// A function of the system's calling convention (a lambda is not one on
// i686).
BOOL CALLBACK BuscaVentana(HWND ventana, LPARAM l) {
  auto& b = *reinterpret_cast<BusquedaVentana*>(l);
  DWORD proceso = 0;
  GetWindowThreadProcessId(ventana, &proceso);
  wchar_t nombre[64] = L"";
  GetClassNameW(ventana, nombre, 64);
  if (proceso == b.proceso && std::wstring_view(nombre) == b.clase) {
    b.ventana = ventana;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

bool ProgramaEnMarcha::EnviaAVentana(const wchar_t* clase, unsigned mensaje,
                                     std::uintptr_t w) const {
  BusquedaVentana busqueda{GetProcessId(proceso_), clase, nullptr};
  EnumWindows(BuscaVentana, reinterpret_cast<LPARAM>(&busqueda));
  if (busqueda.ventana == nullptr) {
    return false;
  }
  DWORD_PTR respuesta = 0;
  SendMessageTimeoutW(busqueda.ventana, mensaje, w, 0, SMTO_ABORTIFHUNG, 60000, &respuesta);
  return true;
}
#endif

std::string ProgramaEnMarcha::Errores() const {
  std::ifstream entrada(errores_, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
}

void CopiaOrdenVardel(const std::string& carpeta) {
  const std::filesystem::path origen = DirectorioEjecutable();
  const std::filesystem::path destino = carpeta;
  std::filesystem::copy_file(origen / VARDEL_ORDEN, destino / VARDEL_ORDEN);
#ifdef VARDEL_BIBLIOTECA
  std::filesystem::copy_file(origen / VARDEL_BIBLIOTECA, destino / VARDEL_BIBLIOTECA_SONAME);
#endif
  std::filesystem::copy_file(origen / device::kArchivoLectora, destino / device::kArchivoLectora);
}

ResultadoPrograma EjecutaPrograma(const std::string& programa,
                                  const std::vector<std::string>& argumentos,
                                  const std::string& carpeta, const ModoEjecucion& modo) {
  const std::string salida = carpeta + "/" + kSalida;
  const std::string errores = carpeta + "/" + kErrores;
  ResultadoPrograma resultado;
  resultado.codigo = Ejecuta(programa, argumentos, carpeta, salida, errores, modo);
  resultado.salida = LeeYBorra(salida);
  resultado.errores = LeeYBorra(errores);
  return resultado;
}

}  // namespace vardel::prueba
