#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "core/lanza_error.h"
#include "platform/archivos.h"

namespace vardel::platform {

namespace {

// The automation runtime's number for a failed file operation.
[[noreturn]] void LanzaErrorDeArchivo(int codigo) {
  switch (codigo) {
    case ENOENT:
    case ENOTDIR:
      LanzaError(errores::kRutaNoEncontrada);
    case EACCES:
    case EPERM:
    case EROFS:
      LanzaError(errores::kPermisoDenegado);
    case ENOSPC:
    case EDQUOT:
      LanzaError(errores::kDiscoLleno);
    case ENOMEM:
      LanzaError(errores::kMemoriaInsuficiente);
    default:
      LanzaError(errores::kErrorAccesoRuta);
  }
}

bool EscribeTodo(int descriptor, const char* datos, std::size_t largo) {
  while (largo > 0) {
    const ssize_t escritos = ::write(descriptor, datos, largo);
    if (escritos < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    datos += escritos;
    largo -= static_cast<std::size_t>(escritos);
  }
  return true;
}

// A temporary's name: the base, ".tmp-", this process's id and a counter.
std::string NombreTemporal(const std::string& base) {
  static std::atomic<unsigned> contador{0};
  return base + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(contador++);
}

}  // namespace

int SincronizaDirectorioDe(const std::string& ruta) {
  const auto barra = ruta.find_last_of('/');
  const std::string directorio = barra == std::string::npos ? std::string(".")
                                 : barra == 0               ? std::string("/")
                                                            : ruta.substr(0, barra);
  const int descriptor = ::open(directorio.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    return 0;  // nothing to flush through; the file itself is already flushed
  }
  const int codigo = ::fsync(descriptor) != 0 && errno != EINVAL ? errno : 0;
  ::close(descriptor);
  return codigo;
}

bool ExisteRuta(const std::string& ruta) {
  struct stat datos {};
  return !ruta.empty() && ::stat(ruta.c_str(), &datos) == 0;
}

void CreaDirectorio(const std::string& ruta) {
  if (::mkdir(ruta.c_str(), 0777) != 0) {
    LanzaErrorDeArchivo(errno == EEXIST ? EIO : errno);
  }
}

void EscribeArchivoCompleto(const std::string& ruta, const std::vector<std::uint8_t>& bytes) {
  const std::string temporal = NombreTemporal(ruta);
  const int descriptor = ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    LanzaErrorDeArchivo(errno);
  }
  const auto* datos = reinterpret_cast<const char*>(bytes.data());
  // On stable storage before the name points at it: the host is told of
  // the image only after this returns.
  bool correcto = EscribeTodo(descriptor, datos, bytes.size()) && ::fsync(descriptor) == 0;
  int codigo = correcto ? 0 : errno;
  if (::close(descriptor) != 0 && correcto) {
    correcto = false;
    codigo = errno;
  }
  if (correcto && ::rename(temporal.c_str(), ruta.c_str()) != 0) {
    correcto = false;
    codigo = errno;
  }
  if (!correcto) {
    ::unlink(temporal.c_str());
    LanzaErrorDeArchivo(codigo);
  }
  if (const int error = SincronizaDirectorioDe(ruta); error != 0) {
    LanzaErrorDeArchivo(error);
  }
}

void CompruebaEscritura(const std::string& directorio, std::uint64_t espacio) {
  struct stat datos {};
  if (::stat(directorio.c_str(), &datos) != 0) {
    LanzaErrorDeArchivo(errno);
  }
  if (!S_ISDIR(datos.st_mode)) {
    LanzaError(errores::kRutaNoEncontrada);
  }
  const std::string prueba = NombreTemporal(directorio + "/vardel-prueba");
  const int descriptor = ::open(prueba.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    LanzaErrorDeArchivo(errno);
  }
  ::close(descriptor);
  ::unlink(prueba.c_str());
  struct statvfs sistema {};
  if (::statvfs(directorio.c_str(), &sistema) == 0 &&
      static_cast<std::uint64_t>(sistema.f_bavail) * sistema.f_frsize < espacio) {
    LanzaError(errores::kDiscoLleno);
  }
}

std::vector<std::string> ArchivosDelDirectorio(const std::string& directorio) {
  std::vector<std::string> nombres;
  DIR* lista = ::opendir(directorio.c_str());
  if (lista == nullptr) {
    return nombres;
  }
  while (const dirent* entrada = ::readdir(lista)) {
    struct stat datos {};
    const std::string nombre = entrada->d_name;
    if (::lstat((directorio + "/" + nombre).c_str(), &datos) == 0 && S_ISREG(datos.st_mode)) {
      nombres.push_back(nombre);
    }
  }
  ::closedir(lista);
  return nombres;
}

bool ProcesoActivo(unsigned long id) {
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno != ESRCH;
}

unsigned long ProcesoActual() {
  return static_cast<unsigned long>(::getpid());
}

bool BorraArchivo(const std::string& ruta) {
  return ::unlink(ruta.c_str()) == 0;
}

void AnadeLinea(const std::string& ruta, std::string_view bytes) {
  const int descriptor = ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    LanzaErrorDeArchivo(errno);
  }
  // One write per line, so lines of two processes appending in turn never
  // interleave.
  std::string linea(bytes);
  linea += "\r\n";
  const bool correcto = EscribeTodo(descriptor, linea.data(), linea.size());
  const int codigo = errno;
  ::close(descriptor);
  if (!correcto) {
    LanzaErrorDeArchivo(codigo);
  }
}

}  // namespace vardel::platform
