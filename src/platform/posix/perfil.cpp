#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "core/text.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/archivos_plataforma.h"
#include "platform/codificacion_ini.h"
#include "platform/perfil.h"
#include "platform/posix/camino_seguro.h"
#include "platform/posix/recursos.h"

namespace vardel::platform {

namespace {

// How often a walk is made again when a link took the place of the file
// between the walk and the open: a link there is then judged by the walk.
constexpr int kIntentos = 3;

// The settings file opened through the walk of its path, at the name the
// walk reached and never through a link; -1 with `motivo` set otherwise.
// nullopt in `recorrido` when the path itself could not be walked.
DescriptorAbierto AbreAjustes(const std::string& archivo, int modo,
                              std::optional<Recorrido>& recorrido, std::string& motivo,
                              int& codigo) {
  for (int intento = 0; intento < kIntentos; ++intento) {
    recorrido = Recorre(archivo, true, motivo, codigo);
    if (!recorrido) {
      return DescriptorAbierto();
    }
    DescriptorAbierto descriptor(
        AbreEnCarpeta(recorrido->carpeta.get(), recorrido->datos, recorrido->nombre, modo));
    codigo = errno;
    if (descriptor || codigo != ELOOP) {
      return descriptor;
    }
  }
  motivo = archivo + " cambia a un enlace simbólico mientras se lee";
  return DescriptorAbierto();
}

// The whole content of an open file; nullopt when it cannot be read.
std::optional<std::string> LeeTodo(int descriptor) {
  std::string contenido;
  char trozo[4096];
  while (true) {
    const ssize_t leidos = ::read(descriptor, trozo, sizeof trozo);
    if (leidos < 0 && errno == EINTR) {
      continue;
    }
    if (leidos < 0) {
      return std::nullopt;
    }
    if (leidos == 0) {
      return contenido;
    }
    contenido.append(trozo, static_cast<std::size_t>(leidos));
  }
}

// The file's bytes; nullopt when it is missing, unreadable or not a file
// (a folder named Config.ini reads as no file, as on Windows), and when a
// link another account could have put on its way stands there: a root
// read never takes another file's text for its settings.
std::optional<std::string> LeeArchivo(const std::string& archivo) {
  std::optional<Recorrido> recorrido;
  std::string motivo;
  int codigo = 0;
  const DescriptorAbierto descriptor = AbreAjustes(archivo, O_RDONLY, recorrido, motivo, codigo);
  return descriptor ? LeeTodo(descriptor.get()) : std::nullopt;
}

// Reads the settings file and replaces it with what `cambia` makes of its
// text, both through one walk of its path: the file read is the file
// replaced, in the folder the walk reached. The new file is written beside
// it, created exclusively under an unpredictable name and flushed before
// the rename, so a crash or a power loss leaves either the old file or the
// new one, never half of one. A symbolic link is followed only where no
// other account could have planted it (the packaged link from the
// component's folder to /etc/vardel); the file keeps its group and mode,
// and its owner where this account may give it; a new one in a setgid
// folder gets the group's read and write whatever the umask. When that
// cannot be done safely nothing is written and `motivo` says why: the live
// file is never truncated in place.
bool ReemplazaArchivo(const std::string& archivo,
                      const std::function<std::string(const std::string&)>& cambia,
                      std::string& motivo) {
  std::optional<Recorrido> recorrido;
  int codigo = 0;
  const DescriptorAbierto actual = AbreAjustes(archivo, O_RDWR, recorrido, motivo, codigo);
  if (!recorrido) {
    return false;
  }
  const std::string destino =
      recorrido->ruta + (recorrido->ruta == "/" ? "" : "/") + recorrido->nombre;
  if (!actual && codigo != ENOENT) {
    if (motivo.empty()) {
      motivo = codigo == EACCES || codigo == EPERM || codigo == EROFS
                   ? destino + " no admite escritura para esta cuenta"
               : codigo == EMLINK
                   ? destino + " tiene otro nombre fuera de su carpeta (un enlace duro)"
                   : "no se puede abrir " + destino + " (" + std::strerror(codigo) + ")";
    }
    return false;
  }
  struct stat datos {};
  std::optional<std::string> contenido = std::string();
  if (actual && (::fstat(actual.get(), &datos) != 0 || !(contenido = LeeTodo(actual.get())))) {
    motivo = "no se puede leer " + destino + " (" + std::strerror(errno) + ")";
    return false;
  }
  const Carpeta carpeta(recorrido->ruta, recorrido->carpeta.release());
  const std::string& nombre = recorrido->nombre;
  BorraTemporalesAbandonados(carpeta, [&nombre](std::string_view base) { return base == nombre; });

  const std::string temporal = NombreTemporal(nombre);
  const int directorio = static_cast<int>(carpeta.Manejador());
  DescriptorAbierto descriptor(
      AbreEnCarpeta(directorio, recorrido->datos, temporal, O_WRONLY | O_CREAT));
  if (!descriptor) {
    motivo = "no se puede crear un archivo nuevo en " + recorrido->ruta + " (" +
             std::strerror(errno) + "), y reescribir " + nombre +
             " en su sitio podría dejarlo a medias";
    return false;
  }
  // Until the rename, the new file is only a temporary to take away again.
  AlSalir borraTemporal([&] { ::unlinkat(directorio, temporal.c_str(), 0); });
  if (actual) {
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
  const bool escrito =
      EscribeTodo(descriptor.get(), cambia(*contenido)) && ::fsync(descriptor.get()) == 0;
  codigo = errno;
  if (::close(descriptor.release()) != 0 || !escrito ||
      ::renameat(directorio, temporal.c_str(), directorio, nombre.c_str()) != 0) {
    motivo =
        "no se pudo escribir " + destino + " (" + std::strerror(escrito ? errno : codigo) + ")";
    return false;
  }
  borraTemporal.release();
  ::fsync(directorio);
  detalle::Anota("sincroniza-carpeta", destino);
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
  std::string porque;
  const bool escrito = ReemplazaArchivo(
      archivo,
      [&](const std::string& contenido) {
        return ini::ConValorEscrito(contenido, seccion, clave, valor);
      },
      porque);
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
