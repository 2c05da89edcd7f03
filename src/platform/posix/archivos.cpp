#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>

#include "core/lanza_error.h"
#include "platform/archivos.h"
#include "platform/archivos_plataforma.h"
#include "platform/posix/recursos.h"
#include "platform/posix/ruta_confianza.h"

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

std::string CarpetaDe(const std::string& ruta) {
  const auto barra = ruta.find_last_of('/');
  return barra == std::string::npos ? std::string(".")
         : barra == 0               ? std::string("/")
                                    : ruta.substr(0, barra);
}

// A new file, only where nothing is (O_EXCL never follows a link). In a
// folder shared through its setgid group (the packaged image and log
// folders) the file is made writable by that group whatever this
// account's umask, so the next operator can go on appending to the log.
DescriptorAbierto CreaNuevo(const std::string& ruta, int otras = 0) {
  DescriptorAbierto descriptor(
      ::open(ruta.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | otras, 0666));
  struct stat carpeta {};
  struct stat datos {};
  if (descriptor && ::stat(CarpetaDe(ruta).c_str(), &carpeta) == 0 &&
      (carpeta.st_mode & S_ISGID) != 0 && ::fstat(descriptor.get(), &datos) == 0) {
    ::fchmod(descriptor.get(), (datos.st_mode & 07777) | S_IRGRP | S_IWGRP);
  }
  return descriptor;
}

}  // namespace

namespace detalle {

std::string NombreEquipoSistema() {
  char nombre[256] = {};
  if (::gethostname(nombre, sizeof nombre - 1) != 0) {
    return {};
  }
  return nombre;
}

}  // namespace detalle

int SincronizaDirectorioDe(const std::string& ruta) {
  const DescriptorAbierto carpeta(
      ::open(CarpetaDe(ruta).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!carpeta) {
    return 0;  // nothing to flush through; the file itself is already flushed
  }
  const int codigo = ::fsync(carpeta.get()) != 0 && errno != EINVAL ? errno : 0;
  detalle::Anota("sincroniza-carpeta", ruta);
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

bool CreaExclusivo(const std::string& ruta) {
  if (!CreaNuevo(ruta)) {
    if (errno == EEXIST) {
      return false;
    }
    LanzaErrorDeArchivo(errno);
  }
  return true;
}

void EscribeArchivoCompleto(const std::string& ruta, const std::vector<std::uint8_t>& bytes) {
  const std::string temporal = NombreTemporal(ruta);
  DescriptorAbierto descriptor = CreaNuevo(temporal);
  if (!descriptor) {
    LanzaErrorDeArchivo(errno);
  }
  const auto* datos = reinterpret_cast<const char*>(bytes.data());
  // On stable storage before the name points at it: the host is told of
  // the image only after this returns.
  bool correcto = EscribeTodo(descriptor.get(), std::string_view(datos, bytes.size())) &&
                  ::fsync(descriptor.get()) == 0;
  int codigo = correcto ? 0 : errno;
  detalle::Anota("sincroniza", temporal);
  if (::close(descriptor.release()) != 0 && correcto) {
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
  detalle::Anota("renombra", ruta);
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
  if (!CreaNuevo(prueba)) {
    LanzaErrorDeArchivo(errno);
  }
  ::unlink(prueba.c_str());
  std::optional<std::uint64_t> libre;
  if (Sonda() != nullptr && Sonda()->espacioLibre) {
    libre = Sonda()->espacioLibre;
  } else if (struct statvfs sistema{}; ::statvfs(directorio.c_str(), &sistema) == 0) {
    libre = static_cast<std::uint64_t>(sistema.f_bavail) * sistema.f_frsize;
  }
  if (libre && *libre < espacio) {
    LanzaError(errores::kDiscoLleno);
  }
}

std::vector<std::string> ArchivosDelDirectorio(
    const std::string& directorio, const std::function<bool(const std::string&)>& filtro) {
  std::vector<std::string> nombres;
  const DirectorioAbierto lista(::opendir(directorio.c_str()));
  if (!lista) {
    return nombres;
  }
  while (const dirent* entrada = ::readdir(lista.get())) {
    const std::string nombre = entrada->d_name;
    if (!filtro(nombre)) {
      continue;
    }
    // The listing's own entry type where the file system gives it; a
    // stat only for the few names that passed the filter otherwise.
    bool archivo = entrada->d_type == DT_REG;
    if (entrada->d_type == DT_UNKNOWN) {
      struct stat datos {};
      archivo = ::lstat((directorio + "/" + nombre).c_str(), &datos) == 0 && S_ISREG(datos.st_mode);
    }
    if (archivo) {
      nombres.push_back(nombre);
    }
  }
  return nombres;
}

std::optional<std::int64_t> AntiguedadArchivo(const std::string& ruta) {
  struct stat datos {};
  if (::lstat(ruta.c_str(), &datos) != 0) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(std::time(nullptr)) - static_cast<std::int64_t>(datos.st_mtime);
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
  // A link at the log's name is followed only where no other account can
  // have put it there; elsewhere it is an error, never a write through it.
  const int sinEnlaces = CarpetaDeConfianza(CarpetaDe(ruta)) ? 0 : O_NOFOLLOW;
  DescriptorAbierto descriptor(::open(ruta.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | sinEnlaces));
  if (!descriptor && errno == ENOENT) {
    descriptor = CreaNuevo(ruta, O_APPEND);
    if (!descriptor && errno == EEXIST) {  // another writer created it first
      descriptor.reset(::open(ruta.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | sinEnlaces));
    }
  }
  if (!descriptor) {
    LanzaErrorDeArchivo(errno);
  }
  // One write per line, so lines of two processes appending in turn never
  // interleave.
  std::string linea(bytes);
  linea += "\r\n";
  const bool correcto = EscribeTodo(descriptor.get(), linea);
  const int codigo = errno;
  if (!correcto) {
    LanzaErrorDeArchivo(codigo);
  }
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
