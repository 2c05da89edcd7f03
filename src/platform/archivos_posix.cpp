#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

#include "core/error.h"
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

}  // namespace

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
  static std::atomic<unsigned> contador{0};
  const std::string temporal =
      ruta + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(contador++);
  const int descriptor = ::open(temporal.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) {
    LanzaErrorDeArchivo(errno);
  }
  const auto* datos = reinterpret_cast<const char*>(bytes.data());
  bool correcto = EscribeTodo(descriptor, datos, bytes.size());
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
