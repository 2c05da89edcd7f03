#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

#include "core/lanza_error.h"
#include "platform/archivos.h"
#include "platform/archivos_plataforma.h"
#include "platform/posix/error_archivo.h"
#include "platform/posix/recursos.h"
#include "vardel/error.h"

namespace vardel::platform {

namespace {

// The automation runtime's number for a failed file operation.
int32_t NumeroDeError(int codigo) {
  switch (codigo) {
    case ENOENT:
    case ENOTDIR:
      return errores::kRutaNoEncontrada;
    case EACCES:
    case EPERM:
    case EROFS:
      return errores::kPermisoDenegado;
    case ENOSPC:
    case EDQUOT:
      return errores::kDiscoLleno;
    case ENOMEM:
      return errores::kMemoriaInsuficiente;
    default:
      return errores::kErrorAccesoRuta;
  }
}

}  // namespace

void LanzaErrorDeArchivo(int codigo) {
  LanzaError(NumeroDeError(codigo));
}

void LanzaErrorDeArchivo(int codigo, const std::string& motivo) {
  const int32_t numero = NumeroDeError(codigo);
  LanzaError(numero, DescripcionError(numero) + ": " + motivo);
}

namespace detalle {

std::string IdentidadEquipoSistema() {
  // Written once when the system is installed, and unique to it: two PCs
  // named alike, or whose names map to one, still differ here.
  std::ifstream archivo("/etc/machine-id");
  std::string identidad;
  std::getline(archivo, identidad);
  return identidad;
}

std::string NombreEquipoSistema() {
  char nombre[256] = {};
  if (::gethostname(nombre, sizeof nombre - 1) != 0) {
    return {};
  }
  return nombre;
}

}  // namespace detalle

bool ExisteRuta(const std::string& ruta) {
  struct stat datos {};
  return !ruta.empty() && ::stat(ruta.c_str(), &datos) == 0;
}

void CreaDirectorio(const std::string& ruta) {
  if (::mkdir(ruta.c_str(), 0777) != 0) {
    LanzaErrorDeArchivo(errno == EEXIST ? EIO : errno);
  }
}

bool ProcesoActivo(unsigned long id) {
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

unsigned long ProcesoActual() {
  return static_cast<unsigned long>(::getpid());
}

// POSIX keeps no short names: the path itself names the same folder.
std::string RutaCortaPlataforma(const std::string& ruta) {
  return ExisteRuta(ruta) ? ruta : std::string();
}

bool EscribeTodo(int descriptor, std::string_view datos) {
  while (!datos.empty()) {
    const ssize_t escritos = ::write(descriptor, datos.data(), datos.size());
    if (escritos < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    datos.remove_prefix(static_cast<std::size_t>(escritos));
  }
  return true;
}

}  // namespace vardel::platform
