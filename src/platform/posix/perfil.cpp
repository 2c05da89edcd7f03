#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/text.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/codificacion_ini.h"
#include "platform/perfil.h"
#include "platform/posix/recursos.h"
#include "platform/posix/ruta_confianza.h"

namespace vardel::platform {

namespace {

// The file's bytes; nullopt when it is missing, unreadable or not a file
// (a folder named Config.ini reads as no file, as on Windows).
std::optional<std::string> LeeArchivo(const std::string& archivo) {
  struct stat datos {};
  if (::stat(archivo.c_str(), &datos) != 0 || !S_ISREG(datos.st_mode)) {
    return std::nullopt;
  }
  const FlujoAbierto entrada(std::fopen(archivo.c_str(), "rb"));
  if (!entrada) {
    return std::nullopt;
  }
  std::string contenido;
  char trozo[4096];
  std::size_t leidos = 0;
  while ((leidos = std::fread(trozo, 1, sizeof trozo, entrada.get())) > 0) {
    contenido.append(trozo, leidos);
  }
  if (std::ferror(entrada.get()) != 0) {
    return std::nullopt;
  }
  return contenido;
}

// The whole file replaced through a new file beside it, created
// exclusively under an unpredictable name and flushed before the rename, so
// a crash or a power loss leaves either the old file or the new one, never
// half of one. A symbolic link is followed only where no other account
// could have planted it (the packaged link from the component's folder to
// /etc/vardel); the file keeps its group and mode, and its owner where this
// account may give it. When that cannot be done safely nothing is written
// and `motivo` says why: the live file is never truncated in place.
bool ReemplazaArchivo(const std::string& archivo, const std::string& contenido,
                      std::string& motivo) {
  const std::string destino = ResuelveEnlacesDeConfianza(archivo, motivo);
  if (destino.empty()) {
    return false;
  }
  const auto barra = destino.find_last_of('/');
  const std::string carpeta = barra == 0 ? std::string("/") : destino.substr(0, barra);
  const std::string nombre = destino.substr(barra + 1);
  BorraTemporalesAbandonados(carpeta, [&nombre](std::string_view base) { return base == nombre; });

  struct stat datos {};
  const bool existia = ::lstat(destino.c_str(), &datos) == 0;
  if (existia && ::access(destino.c_str(), W_OK) != 0) {
    motivo = destino + " no admite escritura para esta cuenta";
    return false;
  }
  const std::string temporal = NombreTemporal(destino);
  DescriptorAbierto descriptor(
      ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (!descriptor) {
    motivo = "no se puede crear un archivo nuevo en " + carpeta + " (" + std::strerror(errno) +
             "), y reescribir " + nombre + " en su sitio podría dejarlo a medias";
    return false;
  }
  // Until the rename, the new file is only a temporary to take away again.
  AlSalir borraTemporal([&temporal] { ::unlink(temporal.c_str()); });
  if (existia) {
    // The owner only where this account may give it; the group always, so
    // the other members keep their access.
    if (::fchown(descriptor.get(), datos.st_uid, datos.st_gid) != 0 &&
        ::fchown(descriptor.get(), static_cast<uid_t>(-1), datos.st_gid) != 0) {
      motivo = "esta cuenta no puede dar al archivo nuevo el grupo de " + destino;
      return false;
    }
    if (::fchmod(descriptor.get(), datos.st_mode & 07777) != 0) {
      motivo = "esta cuenta no puede dar al archivo nuevo los permisos de " + destino;
      return false;
    }
  }
  const bool escrito = EscribeTodo(descriptor.get(), contenido) && ::fsync(descriptor.get()) == 0;
  const int codigo = errno;
  if (::close(descriptor.release()) != 0 || !escrito ||
      ::rename(temporal.c_str(), destino.c_str()) != 0) {
    motivo =
        "no se pudo escribir " + destino + " (" + std::strerror(escrito ? errno : codigo) + ")";
    return false;
  }
  borraTemporal.release();
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
  // Cut as the A functions cut: capacidad-1 characters, never inside one.
  return DesdeAnsi(PrimerosCaracteresAnsi(ansi, capacidad - 1));
}

bool EscribePerfilPrivado(const std::string& seccion, const std::string& clave,
                          const std::string& valor, const std::string& archivo,
                          std::string* motivo) {
  const std::string contenido = LeeArchivo(archivo).value_or(std::string());
  std::string porque;
  const bool escrito =
      ReemplazaArchivo(archivo, ini::ConValorEscrito(contenido, seccion, clave, valor), porque);
  if (motivo != nullptr) {
    *motivo = porque;
  }
  return escrito;
}

bool ExisteSeccionPerfil(const std::string& seccion, const std::string& archivo) {
  const auto contenido = LeeArchivo(archivo);
  return contenido && ini::ConSeccion(*contenido, seccion);
}

}  // namespace vardel::platform
