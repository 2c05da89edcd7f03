#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/text.h"
#include "platform/ansi.h"
#include "platform/motor_ini.h"
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

// The whole file replaced through a temporary file in the same directory,
// so a crash leaves either the old file or the new one, never half of one.
bool ReemplazaArchivo(const std::string& archivo, const std::string& contenido) {
  struct stat datos {};
  const bool existia = ::stat(archivo.c_str(), &datos) == 0;
  if (existia && ::access(archivo.c_str(), W_OK) != 0) {
    return false;  // a read-only settings file is not written
  }
  const std::string temporal = archivo + ".tmp-" + std::to_string(::getpid());
  std::FILE* salida = std::fopen(temporal.c_str(), "wb");
  if (salida == nullptr) {
    return false;
  }
  const bool escrito =
      std::fwrite(contenido.data(), 1, contenido.size(), salida) == contenido.size();
  const bool cerrado = std::fclose(salida) == 0;
  if (!escrito || !cerrado) {
    std::remove(temporal.c_str());
    return false;
  }
  if (existia) {
    ::chmod(temporal.c_str(), datos.st_mode & 07777);
  }
  if (std::rename(temporal.c_str(), archivo.c_str()) != 0) {
    std::remove(temporal.c_str());
    return false;
  }
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
    valor = ini::BuscaValor(*contenido, AAnsi(seccion), AAnsi(clave));
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
  return ReemplazaArchivo(archivo,
                          ini::EscribeValor(contenido, AAnsi(seccion), AAnsi(clave), AAnsi(valor)));
}

}  // namespace vardel::platform
