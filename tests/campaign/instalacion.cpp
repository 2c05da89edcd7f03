#include "instalacion.h"

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace campana {

namespace {

namespace fs = std::filesystem;

void Escribe(const std::string& ruta, const std::string& texto) {
  std::ofstream salida(ruta, std::ios::binary | std::ios::trunc);
  salida << texto;
}

// A small file system of its own for the disk-full fault, mounted in a
// private mount namespace so it vanishes with the campaign. Only root can;
// elsewhere the fault is left out.
bool MontaDiscoPequeno(const std::string& carpeta) {
  if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0 ||
      ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    return false;
  }
  fs::create_directories(carpeta);
  return ::mount("tmpfs", carpeta.c_str(), "tmpfs", 0, "size=48m") == 0;
}

// A folder mounted read-only onto itself: not writable even for root.
bool MontaSoloLectura(const std::string& carpeta) {
  fs::create_directories(carpeta);
  return ::mount(carpeta.c_str(), carpeta.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
         ::mount(nullptr, carpeta.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) == 0;
}

}  // namespace

Instalacion::Instalacion(const std::string& bin, const std::string& anfitrion,
                         const std::string& simulador, const std::vector<std::string>& bibliotecas,
                         bool windows)
    : bin_(bin), anfitrion_(anfitrion), simulador_(simulador) {
  rutas_.windows = windows;
  char plantilla[] = "/tmp/campana-XXXXXX";
  if (::mkdtemp(plantilla) == nullptr) {
    throw std::runtime_error("no se pudo crear la carpeta de la campaña");
  }
  raiz_ = plantilla;
  rutas_.instalacion = raiz_ + "/instalacion";
  rutas_.imagenes = raiz_ + "/imagenes";
  rutas_.otras_imagenes = raiz_ + "/otras-imagenes";
  rutas_.apartadas = raiz_ + "/imagenes-apartadas";
  rutas_.archivo = raiz_ + "/un-archivo";
  fs::create_directories(rutas_.instalacion);
  fs::create_directories(rutas_.imagenes);
  fs::create_directories(rutas_.otras_imagenes);
  Escribe(rutas_.archivo, "no es una carpeta\n");
  // A folder whose path is over 127 characters, where the first 127 name
  // an existing folder: a cut path would write there.
  const std::string corte = raiz_ + "/" + std::string(126 - raiz_.size() - 1, 'c');
  rutas_.largo = corte + "/destino-de-ruta-larga";
  fs::create_directories(rutas_.largo);
  for (const std::string& nombre : bibliotecas) {
    fs::copy_file(bin_ + "/" + nombre, rutas_.instalacion + "/" + nombre);
  }
  fs::copy_file(bin_ + "/" + anfitrion_, Anfitrion());
  fs::copy_file(bin_ + "/" + simulador_, rutas_.instalacion + "/" + simulador_);
  for (const auto& entrada : fs::directory_iterator(bin_)) {
    const std::string nombre = entrada.path().filename().string();
    if (nombre.rfind("sin-", 0) == 0 && fs::exists(entrada.path() / simulador_)) {
      rutas_.sin.push_back(nombre.substr(4));
    }
  }
  // Under Wine the files may be reached through a wineserver started
  // outside the private mount namespace: no small disk there.
  if (!windows && MontaDiscoPequeno(raiz_ + "/disco")) {
    montado_ = true;
    rutas_.disco = raiz_ + "/disco";
    fs::create_directories(rutas_.disco + "/imagenes");
    fs::create_directories(rutas_.disco + "/registro");
    if (MontaSoloLectura(raiz_ + "/solo-lectura")) {
      rutas_.solo_lectura = raiz_ + "/solo-lectura";
    }
  }
}

Instalacion::~Instalacion() {
  if (montado_) {
    ::umount2(rutas_.disco.c_str(), MNT_DETACH);
  }
  if (!rutas_.solo_lectura.empty()) {
    ::umount2(rutas_.solo_lectura.c_str(), MNT_DETACH);
  }
  if (!conservar_) {
    std::error_code error;
    fs::remove_all(raiz_, error);
  }
}

std::vector<std::string> Instalacion::Registros() const {
  // The account's own log, where traces go when Lectora.log cannot take
  // them (the driver points the state folder into the campaign's tree).
  std::vector<std::string> registros = {rutas_.instalacion + "/Lectora.log",
                                        raiz_ + "/estado/vardel/Lectora.log"};
  if (!rutas_.disco.empty()) {
    registros.push_back(rutas_.disco + "/registro/Lectora.log");
  }
  return registros;
}

std::vector<std::string> Instalacion::Permitidas() const {
  std::vector<std::string> carpetas = {rutas_.imagenes, rutas_.otras_imagenes};
  if (!rutas_.disco.empty()) {
    carpetas.push_back(rutas_.disco + "/imagenes");
  }
  return carpetas;
}

void Instalacion::Prepara(const Lectura& lectura) {
  const std::string& dir = rutas_.instalacion;
  Escribe(dir + "/Config.ini", lectura.config);
  Escribe(dir + "/mtxmlmcr.scenario", lectura.escenario);
  for (const char* nombre : {"diario.log", "Lectora.log", "salida.txt"}) {
    std::error_code error;
    fs::remove(dir + "/" + nombre, error);
  }
  for (const std::string& registro : Registros()) {
    std::error_code error;
    fs::remove(registro, error);
  }
  const std::string origen = lectura.biblioteca.empty()
                                 ? bin_ + "/" + simulador_
                                 : bin_ + "/sin-" + lectura.biblioteca + "/" + simulador_;
  fs::copy_file(origen, dir + "/" + simulador_, fs::copy_options::overwrite_existing);
}

void Instalacion::Restaura() {
  std::error_code error;
  if (fs::exists(rutas_.apartadas, error)) {
    if (!fs::exists(rutas_.imagenes, error)) {
      fs::rename(rutas_.apartadas, rutas_.imagenes, error);
    } else {
      for (const auto& entrada : fs::directory_iterator(rutas_.apartadas, error)) {
        fs::rename(entrada.path(), fs::path(rutas_.imagenes) / entrada.path().filename(), error);
      }
      fs::remove_all(rutas_.apartadas, error);
    }
  }
  if (!rutas_.disco.empty()) {
    fs::remove(rutas_.disco + "/relleno", error);
  }
}

void Instalacion::VaciaImagenes() {
  for (const std::string& carpeta : Permitidas()) {
    std::error_code error;
    for (const auto& entrada : fs::directory_iterator(carpeta, error)) {
      fs::remove_all(entrada.path(), error);
    }
  }
}

}  // namespace campana
