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
            const std::string& carpeta, const std::string& salida, const std::string& errores) {
  SECURITY_ATTRIBUTES heredable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const auto Abre = [&](const std::string& ruta, DWORD acceso, DWORD creacion) {
    return CreateFileA(ruta.c_str(), acceso, FILE_SHARE_READ | FILE_SHARE_WRITE, &heredable,
                       creacion, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE entrada = Abre("NUL", GENERIC_READ, OPEN_EXISTING);
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
    WaitForSingleObject(proceso.hProcess, INFINITE);
    DWORD fin = 0;
    if (GetExitCodeProcess(proceso.hProcess, &fin)) {
      codigo = static_cast<int>(fin);
    }
    CloseHandle(proceso.hThread);
    CloseHandle(proceso.hProcess);
  }
  CloseHandle(entrada);
  CloseHandle(out);
  CloseHandle(err);
  return codigo;
}

#else

int Ejecuta(const std::string& programa, const std::vector<std::string>& argumentos,
            const std::string& carpeta, const std::string& salida, const std::string& errores) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(programa.c_str()));
  for (const std::string& argumento : argumentos) {
    argv.push_back(const_cast<char*>(argumento.c_str()));
  }
  argv.push_back(nullptr);
  const pid_t hijo = fork();
  if (hijo == 0) {
    const int entrada = open("/dev/null", O_RDONLY);
    const int out = open(salida.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errores.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (entrada < 0 || out < 0 || err < 0 || dup2(entrada, 0) < 0 || dup2(out, 1) < 0 ||
        dup2(err, 2) < 0 || chdir(carpeta.c_str()) != 0) {
      _exit(127);
    }
    execv(programa.c_str(), argv.data());
    _exit(127);
  }
  if (hijo < 0) {
    return -1;
  }
  int estado = 0;
  while (waitpid(hijo, &estado, 0) < 0) {
    if (errno != EINTR) {
      return -1;
    }
  }
  return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
}

#endif

}  // namespace

ResultadoPrograma EjecutaPrograma(const std::string& programa,
                                  const std::vector<std::string>& argumentos,
                                  const std::string& carpeta) {
  const std::string salida = carpeta + "/" + kSalida;
  const std::string errores = carpeta + "/" + kErrores;
  ResultadoPrograma resultado;
  resultado.codigo = Ejecuta(programa, argumentos, carpeta, salida, errores);
  resultado.salida = LeeYBorra(salida);
  resultado.errores = LeeYBorra(errores);
  return resultado;
}

}  // namespace vardel::prueba
