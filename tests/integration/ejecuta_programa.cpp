#include "ejecuta_programa.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
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

int Ejecuta(const std::string& programa, const std::vector<std::string>& argumentos,
            const std::string& carpeta, const std::string& salida, const std::string& errores,
            const ModoEjecucion& modo) {
  SECURITY_ATTRIBUTES heredable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const auto Abre = [&](const std::string& ruta, DWORD acceso, DWORD creacion) {
    return CreateFileA(ruta.c_str(), acceso, FILE_SHARE_READ | FILE_SHARE_WRITE, &heredable,
                       creacion, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE entrada = INVALID_HANDLE_VALUE;
  HANDLE escritura = INVALID_HANDLE_VALUE;  // held open, never written
  if (modo.entradaAbierta && CreatePipe(&entrada, &escritura, &heredable, 0)) {
    SetHandleInformation(escritura, HANDLE_FLAG_INHERIT, 0);
  } else {
    entrada = Abre("NUL", GENERIC_READ, OPEN_EXISTING);
  }
  HANDLE out = Abre(salida, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = Abre(errores, GENERIC_WRITE, CREATE_ALWAYS);
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
  int codigo = -1;
  if (CreateProcessA(programa.c_str(), linea.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     carpeta.c_str(), &inicio, &proceso)) {
    const DWORD espera =
        modo.limite.count() > 0 ? static_cast<DWORD>(modo.limite.count()) : INFINITE;
    if (WaitForSingleObject(proceso.hProcess, espera) == WAIT_TIMEOUT) {
      TerminateProcess(proceso.hProcess, 1);
      WaitForSingleObject(proceso.hProcess, INFINITE);
    } else {
      DWORD fin = 0;
      if (GetExitCodeProcess(proceso.hProcess, &fin)) {
        codigo = static_cast<int>(fin);
      }
    }
    CloseHandle(proceso.hThread);
    CloseHandle(proceso.hProcess);
  }
  CloseHandle(entrada);
  if (escritura != INVALID_HANDLE_VALUE) {
    CloseHandle(escritura);
  }
  CloseHandle(out);
  CloseHandle(err);
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

int Ejecuta(const std::string& programa, const std::vector<std::string>& argumentos,
            const std::string& carpeta, const std::string& salida, const std::string& errores,
            const ModoEjecucion& modo) {
  int tuberia[2] = {-1, -1};
  if (modo.entradaAbierta && pipe(tuberia) != 0) {
    return -1;
  }
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(programa.c_str()));
  for (const std::string& argumento : argumentos) {
    argv.push_back(const_cast<char*>(argumento.c_str()));
  }
  argv.push_back(nullptr);
  const pid_t hijo = fork();
  if (hijo == 0) {
    const int entrada = modo.entradaAbierta ? tuberia[0] : open("/dev/null", O_RDONLY);
    const int out = open(salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errores.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (entrada < 0 || out < 0 || err < 0 || dup2(entrada, 0) < 0 || dup2(out, 1) < 0 ||
        dup2(err, 2) < 0 || chdir(carpeta.c_str()) != 0) {
      _exit(127);
    }
    if (modo.entradaAbierta) {
      close(tuberia[1]);
    }
    execv(programa.c_str(), argv.data());
    _exit(127);
  }
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
  SECURITY_ATTRIBUTES heredable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const auto Abre = [&](const std::string& ruta, DWORD acceso, DWORD creacion) {
    return CreateFileA(ruta.c_str(), acceso, FILE_SHARE_READ | FILE_SHARE_WRITE, &heredable,
                       creacion, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE entrada = Abre("NUL", GENERIC_READ, OPEN_EXISTING);
  HANDLE out = Abre(salida, GENERIC_WRITE, CREATE_ALWAYS);
  HANDLE err = Abre(errores_, GENERIC_WRITE, CREATE_ALWAYS);
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
  if (CreateProcessA(programa.c_str(), linea.data(), nullptr, nullptr, TRUE, 0, nullptr,
                     carpeta.c_str(), &inicio, &proceso)) {
    CloseHandle(proceso.hThread);
    proceso_ = proceso.hProcess;
  }
  CloseHandle(entrada);
  CloseHandle(out);
  CloseHandle(err);
#else
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(programa.c_str()));
  for (const std::string& argumento : argumentos) {
    argv.push_back(const_cast<char*>(argumento.c_str()));
  }
  argv.push_back(nullptr);
  hijo_ = fork();
  if (hijo_ == 0) {
    const int entrada = open("/dev/null", O_RDONLY);
    const int out = open(salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errores_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (entrada < 0 || out < 0 || err < 0 || dup2(entrada, 0) < 0 || dup2(out, 1) < 0 ||
        dup2(err, 2) < 0 || chdir(carpeta.c_str()) != 0) {
      _exit(127);
    }
    execv(programa.c_str(), argv.data());
    _exit(127);
  }
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

std::string ProgramaEnMarcha::Errores() const {
  std::ifstream entrada(errores_, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
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
