#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "archivo_duradero.h"

namespace vardel::cli::puente {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Falla(const std::string& que, const fs::path& ruta) {
  throw std::runtime_error(que + " " + ruta.string() + ": " + std::strerror(errno));
}

void EscribeTodo(int descriptor, std::string_view texto, const fs::path& ruta) {
  while (!texto.empty()) {
    const ssize_t escritos = ::write(descriptor, texto.data(), texto.size());
    if (escritos < 0) {
      if (errno == EINTR) {
        continue;
      }
      Falla("no se puede escribir", ruta);
    }
    texto.remove_prefix(static_cast<std::size_t>(escritos));
  }
}

void Sincroniza(int descriptor, const fs::path& ruta) {
  if (::fsync(descriptor) != 0) {
    Falla("no se puede llevar a disco", ruta);
  }
}

// The folder's entry of a renamed file reaches the disk too.
void SincronizaCarpeta(const fs::path& carpeta) {
  const int descriptor = ::open(carpeta.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) {
    Falla("no se puede abrir la carpeta", carpeta);
  }
  const int resultado = ::fsync(descriptor);
  ::close(descriptor);
  if (resultado != 0) {
    Falla("no se puede llevar a disco la carpeta", carpeta);
  }
}

// Creates each missing folder of `carpeta` for this account alone.
void CreaCarpeta(const fs::path& carpeta) {
  fs::path parcial;
  for (const fs::path& parte : carpeta) {
    parcial /= parte;
    if (::mkdir(parcial.c_str(), 0700) != 0 && errno != EEXIST) {
      Falla("no se puede crear la carpeta", parcial);
    }
  }
}

}  // namespace

fs::path CarpetaEstado() {
  fs::path base;
  if (const char* estado = std::getenv("XDG_STATE_HOME"); estado != nullptr && *estado == '/') {
    base = estado;
  } else if (const char* casa = std::getenv("HOME"); casa != nullptr && *casa == '/') {
    base = fs::path(casa) / ".local" / "state";
  } else {
    throw std::runtime_error(
        "no hay carpeta de estado para el buzón del puente (ni XDG_STATE_HOME ni HOME)");
  }
  fs::path carpeta = base / "vardel";
  CreaCarpeta(carpeta);
  return carpeta;
}

AnexoDuradero::AnexoDuradero(const fs::path& ruta) : ruta_(ruta) {
  descriptor_ =
      ::open(ruta.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
  if (descriptor_ < 0) {
    Falla("no se puede abrir", ruta);
  }
  struct stat datos {};
  if (::fstat(descriptor_, &datos) != 0 || !S_ISREG(datos.st_mode) || datos.st_nlink != 1 ||
      datos.st_uid != ::geteuid()) {
    ::close(descriptor_);
    errno = EPERM;
    Falla("no es un archivo propio de esta cuenta", ruta);
  }
}

AnexoDuradero::~AnexoDuradero() {
  ::close(descriptor_);
}

void AnexoDuradero::Anexa(std::string_view texto) {
  EscribeTodo(descriptor_, texto, ruta_);
  Sincroniza(descriptor_, ruta_);
}

std::string LeeArchivo(const fs::path& ruta) {
  const int descriptor = ::open(ruta.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (descriptor < 0) {
    if (errno == ENOENT) {
      return "";
    }
    Falla("no se puede leer", ruta);
  }
  std::string contenido;
  char bloque[65536];
  for (;;) {
    const ssize_t leidos = ::read(descriptor, bloque, sizeof bloque);
    if (leidos < 0 && errno == EINTR) {
      continue;
    }
    if (leidos < 0) {
      ::close(descriptor);
      Falla("no se puede leer", ruta);
    }
    if (leidos == 0) {
      break;
    }
    contenido.append(bloque, static_cast<std::size_t>(leidos));
  }
  ::close(descriptor);
  return contenido;
}

void ReemplazaArchivo(const fs::path& ruta, std::string_view contenido) {
  const fs::path temporal = ruta.string() + ".tmp-" + std::to_string(::getpid());
  ::unlink(temporal.c_str());
  const int descriptor = ::open(
      temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
  if (descriptor < 0) {
    Falla("no se puede crear", temporal);
  }
  try {
    EscribeTodo(descriptor, contenido, temporal);
    Sincroniza(descriptor, temporal);
  } catch (...) {
    ::close(descriptor);
    ::unlink(temporal.c_str());
    throw;
  }
  ::close(descriptor);
  if (::rename(temporal.c_str(), ruta.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporal.c_str());
    errno = error;
    Falla("no se puede reemplazar", ruta);
  }
  SincronizaCarpeta(ruta.parent_path());
}

}  // namespace vardel::cli::puente
