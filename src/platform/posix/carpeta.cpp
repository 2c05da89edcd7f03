#include "platform/carpeta.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "core/lanza_error.h"
#include "platform/archivos.h"
#include "platform/archivos_plataforma.h"
#include "platform/posix/camino_seguro.h"
#include "platform/posix/error_archivo.h"
#include "platform/posix/recursos.h"
#include "vardel/error.h"

namespace vardel::platform {

namespace {

int Descriptor(const Carpeta& carpeta) {
  return static_cast<int>(carpeta.Manejador());
}

struct stat Datos(const Carpeta& carpeta) {
  struct stat datos {};
  ::fstat(Descriptor(carpeta), &datos);
  return datos;
}

// Flushes the folder's entries, so a rename in it survives a power loss: 0,
// or the errno of the flush (a file system, or a folder opened only as a
// path, that cannot flush counts as done).
int SincronizaCarpeta(const Carpeta& carpeta, const std::string& nombre) {
  const int codigo =
      ::fsync(Descriptor(carpeta)) != 0 && errno != EINVAL && errno != EBADF ? errno : 0;
  detalle::Anota("sincroniza-carpeta", carpeta.RutaDe(nombre));
  return codigo;
}

}  // namespace

Carpeta::Carpeta(const std::string& ruta) : ruta_(ruta), manejador_(-1) {
  std::string motivo;
  int codigo = 0;
  auto recorrido = Recorre(ruta, false, motivo, codigo);
  if (!recorrido) {
    // A missing or closed folder keeps the runtime's own description; a
    // refused link says which and why.
    if (codigo == ELOOP) {
      LanzaErrorDeArchivo(codigo, motivo);
    }
    LanzaErrorDeArchivo(codigo);
  }
  manejador_ = recorrido->carpeta.release();
}

Carpeta::Carpeta(std::string ruta, std::intptr_t manejador) noexcept
    : ruta_(std::move(ruta)), manejador_(manejador) {}

Carpeta::~Carpeta() {
  if (manejador_ >= 0) {
    ::close(static_cast<int>(manejador_));
  }
}

Carpeta::Carpeta(Carpeta&& otra) noexcept
    : ruta_(std::move(otra.ruta_)), manejador_(std::exchange(otra.manejador_, -1)) {}

bool Carpeta::Existe(const std::string& nombre) const {
  struct stat datos {};
  return ::fstatat(Descriptor(*this), nombre.c_str(), &datos, AT_SYMLINK_NOFOLLOW) == 0;
}

bool Carpeta::CreaExclusivo(const std::string& nombre, std::string_view contenido) const {
  const DescriptorAbierto archivo(
      AbreEnCarpeta(Descriptor(*this), Datos(*this), nombre, O_WRONLY | O_CREAT));
  if (!archivo) {
    if (errno == EEXIST) {
      return false;
    }
    LanzaErrorDeArchivo(errno);
  }
  if (!EscribeTodo(archivo.get(), contenido)) {
    const int codigo = errno;
    ::unlinkat(Descriptor(*this), nombre.c_str(), 0);
    LanzaErrorDeArchivo(codigo);
  }
  return true;
}

void Carpeta::EscribeCompleto(const std::string& nombre,
                              const std::vector<std::uint8_t>& bytes) const {
  const std::string temporal = NombreTemporal(nombre);
  DescriptorAbierto archivo(
      AbreEnCarpeta(Descriptor(*this), Datos(*this), temporal, O_WRONLY | O_CREAT));
  if (!archivo) {
    LanzaErrorDeArchivo(errno);
  }
  const auto* datos = reinterpret_cast<const char*>(bytes.data());
  // On stable storage before the name points at it: the host is told of
  // the image only after this returns.
  bool correcto = EscribeTodo(archivo.get(), std::string_view(datos, bytes.size())) &&
                  ::fsync(archivo.get()) == 0;
  int codigo = correcto ? 0 : errno;
  detalle::Anota("sincroniza", RutaDe(temporal));
  if (::close(archivo.release()) != 0 && correcto) {
    correcto = false;
    codigo = errno;
  }
  if (correcto &&
      ::renameat(Descriptor(*this), temporal.c_str(), Descriptor(*this), nombre.c_str()) != 0) {
    correcto = false;
    codigo = errno;
  }
  if (!correcto) {
    ::unlinkat(Descriptor(*this), temporal.c_str(), 0);
    LanzaErrorDeArchivo(codigo);
  }
  detalle::Anota("renombra", RutaDe(nombre));
  if (const int error = SincronizaCarpeta(*this, nombre); error != 0) {
    LanzaErrorDeArchivo(error);
  }
}

void Carpeta::AnadeLinea(const std::string& nombre, std::string_view bytes) const {
  const struct stat carpeta = Datos(*this);
  DescriptorAbierto archivo(AbreEnCarpeta(Descriptor(*this), carpeta, nombre, O_WRONLY | O_APPEND));
  if (!archivo && errno == ENOENT) {
    archivo.reset(AbreEnCarpeta(Descriptor(*this), carpeta, nombre, O_WRONLY | O_APPEND | O_CREAT));
    if (!archivo && errno == EEXIST) {  // another writer created it first
      archivo.reset(AbreEnCarpeta(Descriptor(*this), carpeta, nombre, O_WRONLY | O_APPEND));
    }
  }
  if (!archivo) {
    if (errno == ELOOP || errno == EMLINK || errno == EINVAL) {
      const std::string motivo =
          errno == ELOOP    ? " es un enlace simbólico y no se escribe a través de él"
          : errno == EMLINK ? " tiene otro nombre fuera de esta carpeta (un enlace duro)"
                            : " no es un archivo";
      LanzaErrorDeArchivo(EIO, RutaDe(nombre) + motivo);
    }
    LanzaErrorDeArchivo(errno);
  }
  // One write per line, so lines of two processes appending in turn never
  // interleave.
  std::string linea(bytes);
  linea += "\r\n";
  if (!EscribeTodo(archivo.get(), linea)) {
    LanzaErrorDeArchivo(errno);
  }
}

std::optional<std::string> Carpeta::Lee(const std::string& nombre, std::size_t maximo) const {
  const DescriptorAbierto archivo(AbreEnCarpeta(Descriptor(*this), Datos(*this), nombre, O_RDONLY));
  if (!archivo) {
    return std::nullopt;
  }
  std::string contenido(maximo, '\0');
  std::size_t leidos = 0;
  while (leidos < maximo) {
    const ssize_t trozo = ::read(archivo.get(), contenido.data() + leidos, maximo - leidos);
    if (trozo < 0 && errno == EINTR) {
      continue;
    }
    if (trozo < 0) {
      return std::nullopt;
    }
    if (trozo == 0) {
      break;
    }
    leidos += static_cast<std::size_t>(trozo);
  }
  contenido.resize(leidos);
  return contenido;
}

bool Carpeta::Renombra(const std::string& desde, const std::string& hacia) const {
  const int carpeta = Descriptor(*this);
  if (::renameat2(carpeta, desde.c_str(), carpeta, hacia.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  // A file system without the flag: a second name made only where none is,
  // then the first taken away.
  if (errno != EINVAL && errno != ENOSYS) {
    return false;
  }
  if (::linkat(carpeta, desde.c_str(), carpeta, hacia.c_str(), 0) != 0) {
    return false;
  }
  ::unlinkat(carpeta, desde.c_str(), 0);
  return true;
}

bool Carpeta::Borra(const std::string& nombre) const {
  return ::unlinkat(Descriptor(*this), nombre.c_str(), 0) == 0;
}

std::vector<std::string> Carpeta::Archivos(
    const std::function<bool(const std::string&)>& filtro) const {
  std::vector<std::string> nombres;
  // A listing of its own: the folder's descriptor keeps its offset for the
  // next listing untouched.
  const int propio = ::openat(Descriptor(*this), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (propio < 0) {
    return nombres;
  }
  const DirectorioAbierto lista(::fdopendir(propio));
  if (!lista) {
    ::close(propio);
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
      archivo = ::fstatat(Descriptor(*this), nombre.c_str(), &datos, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(datos.st_mode);
    }
    if (archivo) {
      nombres.push_back(nombre);
    }
  }
  return nombres;
}

std::optional<std::int64_t> Carpeta::Antiguedad(const std::string& nombre) const {
  struct stat datos {};
  if (::fstatat(Descriptor(*this), nombre.c_str(), &datos, AT_SYMLINK_NOFOLLOW) != 0) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(std::time(nullptr)) - static_cast<std::int64_t>(datos.st_mtime);
}

void Carpeta::CompruebaEscritura(std::uint64_t espacio) const {
  const std::string prueba = NombreTemporal("vardel-prueba");
  if (!DescriptorAbierto(
          AbreEnCarpeta(Descriptor(*this), Datos(*this), prueba, O_WRONLY | O_CREAT))) {
    LanzaErrorDeArchivo(errno);
  }
  ::unlinkat(Descriptor(*this), prueba.c_str(), 0);
  std::optional<std::uint64_t> libre;
  if (Sonda() != nullptr && Sonda()->espacioLibre) {
    libre = Sonda()->espacioLibre;
  } else if (struct statvfs sistema{}; ::fstatvfs(Descriptor(*this), &sistema) == 0) {
    libre = static_cast<std::uint64_t>(sistema.f_bavail) * sistema.f_frsize;
  }
  if (libre && *libre < espacio) {
    LanzaError(errores::kDiscoLleno);
  }
}

void CompruebaAlcance(const Carpeta& carpeta, const std::string& archivoAjustes,
                      const std::string& clave) {
  std::string motivo;
  int codigo = 0;
  const auto recorrido = Recorre(archivoAjustes, true, motivo, codigo);
  if (!recorrido) {
    return;  // no settings file to weigh: its own read has said why
  }
  // Who can change what the settings say: the accounts that could swap a
  // folder on the way, those that may replace the file in its folder, and
  // those that may write the file itself.
  Cuentas editores = recorrido->camino;
  struct stat datos {};
  if (::fstatat(recorrido->carpeta.get(), recorrido->nombre.c_str(), &datos, AT_SYMLINK_NOFOLLOW) ==
      0) {
    if ((recorrido->datos.st_mode & S_ISVTX) == 0 || !CuentaDeConfianza(datos.st_uid)) {
      editores.Anade(EscritoresDe(recorrido->datos));
    }
    editores.Anade(EscritoresDe(datos));
  } else {
    editores.Anade(EscritoresDe(recorrido->datos));
  }
  if (editores.Vacio() || EscribenTodas(editores, Datos(carpeta))) {
    return;
  }
  LanzaError(errores::kPermisoDenegado,
             DescripcionError(errores::kPermisoDenegado) + ": " + clave + " de " + archivoAjustes +
                 " nombra la carpeta " + carpeta.Ruta() +
                 ", donde no pueden escribir quienes pueden cambiar ese archivo (" +
                 editores.Describe() +
                 "); esta cuenta no escribe por ellos donde ellos no pueden escribir");
}

}  // namespace vardel::platform
