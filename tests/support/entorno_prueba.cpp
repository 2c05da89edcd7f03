#include "support/entorno_prueba.h"

#include <cstdlib>
#include <filesystem>

#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <windows.h>
#else
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vardel::prueba {

namespace {

void Pon(const std::string& nombre, const std::optional<std::string>& valor) {
#ifdef _WIN32
  // The Win32 environment block, which the component reads.
  SetEnvironmentVariableA(nombre.c_str(), valor ? valor->c_str() : nullptr);
  _putenv_s(nombre.c_str(), valor ? valor->c_str() : "");
#else
  if (valor) {
    ::setenv(nombre.c_str(), valor->c_str(), 1);
  } else {
    ::unsetenv(nombre.c_str());
  }
#endif
}

}  // namespace

VariableDeEntorno::VariableDeEntorno(const char* nombre, const std::string& valor)
    : nombre_(nombre) {
  if (const char* actual = std::getenv(nombre)) {
    anterior_ = actual;
  }
  std::error_code ignorado;
  std::filesystem::create_directories(valor, ignorado);
  Pon(nombre_, valor);
}

VariableDeEntorno::~VariableDeEntorno() {
  Pon(nombre_, anterior_);
}

#ifndef _WIN32
namespace {
constexpr uid_t kAtacante = 65534;
constexpr gid_t kGrupo = 65534;
constexpr const char* kContenidoSecreto = "intacto";
}  // namespace

void CarpetaDelGrupo(const std::string& carpeta) {
  ::chown(carpeta.c_str(), 0, kGrupo);
  ::chmod(carpeta.c_str(), 02775);
}

namespace {
// In a child process: becomes the attacker, root's privileges dropped for good.
bool ComoAtacante() {
  const gid_t grupos[] = {kGrupo};
  return ::setgroups(1, grupos) == 0 && ::setgid(kGrupo) == 0 && ::setuid(kAtacante) == 0;
}
}  // namespace

AtacanteEnBucle::AtacanteEnBucle(const std::function<void()>& paso) : hijo_(::fork()) {
  if (hijo_ == 0) {
    if (!ComoAtacante()) {
      ::_exit(1);
    }
    while (true) {
      paso();
    }
  }
}

AtacanteEnBucle::~AtacanteEnBucle() {
  if (hijo_ > 0) {
    ::kill(hijo_, SIGKILL);
    ::waitpid(hijo_, nullptr, 0);
  }
}

bool PlantaEnlace(const std::string& ruta, const std::string& destino) {
  const pid_t hijo = ::fork();
  if (hijo == 0) {
    const bool comoAtacante = ComoAtacante();
    ::unlink(ruta.c_str());
    ::_exit(comoAtacante && ::symlink(destino.c_str(), ruta.c_str()) == 0 ? 0 : 1);
  }
  int estado = 0;
  return hijo > 0 && ::waitpid(hijo, &estado, 0) == hijo && WIFEXITED(estado) &&
         WEXITSTATUS(estado) == 0;
}

void CambiaPorEnlace(const std::string& ruta, const std::string& destino) {
  const std::string aparte = ruta + ".aparte";
  if (::rename(ruta.c_str(), aparte.c_str()) == 0) {
    ::symlink(destino.c_str(), ruta.c_str());
    ::unlink(ruta.c_str());
    ::rename(aparte.c_str(), ruta.c_str());
  }
}

std::string SecretoDeRoot(const std::string& carpeta) {
  const std::string privada = carpeta + "/privado";
  ::mkdir(privada.c_str(), 0700);
  const std::string ruta = privada + "/secreto";
  std::ofstream(ruta) << kContenidoSecreto;
  ::chmod(ruta.c_str(), 0600);
  return ruta;
}

bool SecretoIntacto(const std::string& ruta) {
  struct stat datos {};
  std::ifstream entrada(ruta);
  const std::string contenido((std::istreambuf_iterator<char>(entrada)),
                              std::istreambuf_iterator<char>());
  return ::lstat(ruta.c_str(), &datos) == 0 && S_ISREG(datos.st_mode) &&
         (datos.st_mode & 07777) == 0600 && contenido == kContenidoSecreto;
}
#endif

void AislaCarpetaEstado() {
  const auto carpeta = std::filesystem::temp_directory_path() / "vardel-pruebas-estado";
  std::filesystem::create_directories(carpeta);
  Pon(kVariableEstadoUsuario, carpeta.string());
}

}  // namespace vardel::prueba
