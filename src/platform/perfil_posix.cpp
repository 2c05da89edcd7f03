#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/text.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/codificacion_ini.h"
#include "platform/perfil.h"

namespace vardel::platform {

namespace {

// The file's bytes; nullopt when it is missing, unreadable or not a file
// (a folder named Config.ini reads as no file, as on Windows).
std::optional<std::string> LeeArchivo(const std::string& archivo) {
  struct stat datos {};
  if (::stat(archivo.c_str(), &datos) != 0 || !S_ISREG(datos.st_mode)) {
    return std::nullopt;
  }
  std::FILE* entrada = std::fopen(archivo.c_str(), "rb");
  if (entrada == nullptr) {
    return std::nullopt;
  }
  std::string contenido;
  char trozo[4096];
  std::size_t leidos = 0;
  while ((leidos = std::fread(trozo, 1, sizeof trozo, entrada)) > 0) {
    contenido.append(trozo, leidos);
  }
  const bool error = std::ferror(entrada) != 0;
  std::fclose(entrada);
  if (error) {
    return std::nullopt;
  }
  return contenido;
}

bool EscribeTodo(int descriptor, const std::string& contenido) {
  std::size_t hecho = 0;
  while (hecho < contenido.size()) {
    const ssize_t escritos =
        ::write(descriptor, contenido.data() + hecho, contenido.size() - hecho);
    if (escritos < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    hecho += static_cast<std::size_t>(escritos);
  }
  return true;
}

// The file in place, for one whose owner this process cannot give a new
// file: truncated and rewritten, so owner, group and mode stay.
bool ReescribeEnSuSitio(const std::string& archivo, const std::string& contenido) {
  const int descriptor = ::open(archivo.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (descriptor < 0) {
    return false;
  }
  const bool escrito = EscribeTodo(descriptor, contenido) && ::fsync(descriptor) == 0;
  return ::close(descriptor) == 0 && escrito;
}

// The whole file replaced through a temporary file in the same directory,
// flushed before the rename, so a crash or a power loss leaves either the
// old file or the new one, never half of one. A symbolic link is written
// through to its target and stays a link; the file keeps its owner, group
// and mode.
bool ReemplazaArchivo(const std::string& archivo, const std::string& contenido) {
  std::string destino = archivo;
  if (char* real = ::realpath(archivo.c_str(), nullptr)) {
    destino = real;
    std::free(real);
  }
  struct stat datos {};
  const bool existia = ::stat(destino.c_str(), &datos) == 0;
  if (existia && ::access(destino.c_str(), W_OK) != 0) {
    return false;  // a read-only settings file is not written
  }
  const std::string temporal = destino + ".tmp-" + std::to_string(::getpid());
  const int descriptor = ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    return false;
  }
  if (existia && (::fchown(descriptor, datos.st_uid, datos.st_gid) != 0 ||
                  ::fchmod(descriptor, datos.st_mode & 07777) != 0)) {
    ::close(descriptor);
    ::unlink(temporal.c_str());
    return ReescribeEnSuSitio(destino, contenido);
  }
  const bool escrito = EscribeTodo(descriptor, contenido) && ::fsync(descriptor) == 0;
  const bool cerrado = ::close(descriptor) == 0;
  if (!escrito || !cerrado || ::rename(temporal.c_str(), destino.c_str()) != 0) {
    ::unlink(temporal.c_str());
    return false;
  }
  platform::SincronizaDirectorioDe(destino);
  return true;
}

}  // namespace

std::string LeePerfilPrivado(const std::string& seccion, const std::string& clave,
                             const std::string& predeterminado, std::size_t capacidad,
                             const std::string& archivo) {
  if (capacidad == 0) {
    return {};
  }
  std::optional<std::string> valor;
  if (const auto contenido = LeeArchivo(archivo)) {
    valor = ini::ValorEnAnsi(*contenido, seccion, clave);
  }
  // The default loses its trailing blanks, as the documented functions do.
  std::string ansi = valor ? *valor : RecortaDerecha(AAnsi(predeterminado));
  if (ansi.size() > capacidad - 1) {
    ansi.resize(capacidad - 1);
  }
  return DesdeAnsi(ansi);
}

bool EscribePerfilPrivado(const std::string& seccion, const std::string& clave,
                          const std::string& valor, const std::string& archivo) {
  const std::string contenido = LeeArchivo(archivo).value_or(std::string());
  return ReemplazaArchivo(archivo, ini::ConValorEscrito(contenido, seccion, clave, valor));
}

bool ExisteSeccionPerfil(const std::string& seccion, const std::string& archivo) {
  const auto contenido = LeeArchivo(archivo);
  return contenido && ini::ConSeccion(*contenido, seccion);
}

}  // namespace vardel::platform
