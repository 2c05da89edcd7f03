#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>

#include "platform/posix/ruta_confianza.h"

namespace vardel::platform {

namespace {

// Longest chain of links followed, as the kernel's own limit.
constexpr int kMaximoEnlaces = 40;

bool CuentaDeConfianza(uid_t cuenta) {
  return cuenta == 0 || cuenta == ::geteuid();
}

// Only root or this account can replace the entry in the folder: the folder
// is theirs and no one else may write in it, or it is sticky (as /tmp) and
// the entry is theirs.
bool EntradaProtegida(const struct stat& carpeta, const struct stat& entrada) {
  if (!CuentaDeConfianza(carpeta.st_uid)) {
    return false;
  }
  if ((carpeta.st_mode & (S_IWGRP | S_IWOTH)) == 0) {
    return true;
  }
  return (carpeta.st_mode & S_ISVTX) != 0 && CuentaDeConfianza(entrada.st_uid);
}

std::deque<std::string> Partes(const std::string& ruta) {
  std::deque<std::string> partes;
  std::size_t inicio = 0;
  while (inicio <= ruta.size()) {
    const std::size_t barra = ruta.find('/', inicio);
    const std::size_t fin = barra == std::string::npos ? ruta.size() : barra;
    if (fin > inicio) {
      partes.push_back(ruta.substr(inicio, fin - inicio));
    }
    inicio = fin + 1;
  }
  return partes;
}

std::string Padre(const std::string& carpeta) {
  const auto barra = carpeta.find_last_of('/');
  return barra == 0 || barra == std::string::npos ? std::string("/") : carpeta.substr(0, barra);
}

std::string Error(const std::string& ruta) {
  if (errno == ENOENT || errno == ENOTDIR) {
    return ruta + " no existe";
  }
  if (errno == EACCES) {
    return "esta cuenta no puede examinar " + ruta;
  }
  return "no se puede examinar " + ruta + " (" + std::strerror(errno) + ")";
}

}  // namespace

bool CarpetaDeConfianza(const std::string& carpeta) {
  struct stat datos {};
  return ::stat(carpeta.c_str(), &datos) == 0 && CuentaDeConfianza(datos.st_uid) &&
         (datos.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string ResuelveEnlacesDeConfianza(const std::string& ruta, std::string& motivo) {
  motivo.clear();
  std::string absoluta = ruta;
  if (absoluta.empty() || absoluta.front() != '/') {
    char actual[4096];
    if (::getcwd(actual, sizeof actual) == nullptr) {
      motivo = Error(".");
      return {};
    }
    absoluta = std::string(actual) + "/" + ruta;
  }
  std::deque<std::string> pendientes = Partes(absoluta);
  std::string actual = "/";
  struct stat carpeta {};
  if (::lstat("/", &carpeta) != 0) {
    motivo = Error("/");
    return {};
  }
  // Whether every folder walked since the last absolute start is one only
  // root or this account can change: a link is followed only then.
  bool caminoProtegido = true;
  int enlaces = 0;
  while (!pendientes.empty()) {
    const std::string nombre = pendientes.front();
    pendientes.pop_front();
    if (nombre == ".") {
      continue;
    }
    if (nombre == "..") {
      actual = Padre(actual);
      if (::lstat(actual.c_str(), &carpeta) != 0) {
        motivo = Error(actual);
        return {};
      }
      continue;
    }
    std::string siguiente = actual == "/" ? std::string() : actual;
    siguiente += '/';
    siguiente += nombre;
    const bool ultimo = pendientes.empty();
    struct stat datos {};
    if (::lstat(siguiente.c_str(), &datos) != 0) {
      if (errno == ENOENT && ultimo) {
        return siguiente;  // a file yet to be made in that folder
      }
      motivo = Error(siguiente);
      return {};
    }
    if (S_ISLNK(datos.st_mode)) {
      if (!caminoProtegido || !CuentaDeConfianza(datos.st_uid) ||
          !EntradaProtegida(carpeta, datos)) {
        motivo = siguiente + " es un enlace simbólico que otra cuenta pudo poner o cambiar";
        return {};
      }
      if (++enlaces > kMaximoEnlaces) {
        motivo = "demasiados enlaces simbólicos en " + ruta;
        return {};
      }
      char destino[4096];
      const ssize_t largo = ::readlink(siguiente.c_str(), destino, sizeof destino - 1);
      if (largo <= 0) {
        motivo = Error(siguiente);
        return {};
      }
      const std::string texto(destino, static_cast<std::size_t>(largo));
      if (texto.front() == '/') {
        actual.assign(1, '/');
        caminoProtegido = true;
        ::lstat("/", &carpeta);
      }
      const std::deque<std::string> partes = Partes(texto);
      pendientes.insert(pendientes.begin(), partes.begin(), partes.end());
      continue;
    }
    if (ultimo) {
      if (!S_ISREG(datos.st_mode)) {
        motivo = siguiente + " no es un archivo";
        return {};
      }
      return siguiente;
    }
    if (!S_ISDIR(datos.st_mode)) {
      motivo = siguiente + " no es una carpeta";
      return {};
    }
    caminoProtegido = caminoProtegido && EntradaProtegida(carpeta, datos);
    actual = siguiente;
    carpeta = datos;
  }
  motivo = ruta + " no es un archivo";
  return {};
}

}  // namespace vardel::platform
