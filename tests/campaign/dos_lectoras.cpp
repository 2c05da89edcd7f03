#include "dos_lectoras.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "comprobaciones.h"
#include "ejecucion.h"
#include "escenarios.h"

namespace campana {

namespace {

namespace fs = std::filesystem;

std::string Lee(const std::string& ruta) {
  std::ifstream entrada(ruta, std::ios::binary);
  std::ostringstream texto;
  texto << entrada.rdbuf();
  return texto.str();
}

// A tray of unreadable cheques whose images differ in size from the other
// reader's, so a file tells which reader served it.
std::string Bandeja(int lector, int cheques) {
  std::string texto = "[Reader]\njournal=diario.log\nfetchdelay=1\n";
  for (int i = 1; i <= cheques; ++i) {
    texto += "[Document" + std::to_string(i) + "]\nmicr=C?00" + std::to_string(i) +
             "E0049C1234E0123456789B00B0012A000012345C\n";
    for (int k = 1; k <= 3; ++k) {
      texto += "image" + std::to_string(k) +
               "=size:" + std::to_string(1000 * (lector + 1) + 10 * i + k) + "\n";
    }
  }
  return texto;
}

}  // namespace

// The order that runs a host as a machine of its own: a new host name
// ("debian" for both), process ids and mounts, with `identidad` mounted
// over /etc/machine-id.
std::vector<std::string> ComoOtroEquipo(const std::string& programa, const std::string& identidad) {
  const std::string arranque =
      "hostname debian && mount --bind \"$1\" /etc/machine-id && exec \"$0\"";
  std::vector<std::string> orden = {"/usr/bin/unshare", "--uts", "--pid", "--mount", "--fork"};
  orden.insert(orden.end(), {"--", "/bin/sh", "-c", arranque, programa, identidad});
  return orden;
}

RondaDosLectoras DosLectoras(const Instalacion& instalacion, const std::string& anfitrion,
                             int cheques, bool dosEquipos) {
  RondaDosLectoras ronda;
  ronda.dosEquipos = dosEquipos && ::geteuid() == 0 && fs::exists("/etc/machine-id");
  char plantilla[] = "/tmp/campana-dos-XXXXXX";
  if (::mkdtemp(plantilla) == nullptr) {
    ronda.violaciones.push_back("no se pudo crear la carpeta de las dos lectoras");
    return ronda;
  }
  const std::string raiz = plantilla;
  const std::string imagenes = raiz + "/imagenes";
  fs::create_directories(imagenes);
  std::string lectores[2];
  for (int l = 0; l < 2; ++l) {
    lectores[l] = raiz + "/lectora-" + std::to_string(l);
    fs::create_directories(lectores[l]);
    for (const auto& entrada : fs::directory_iterator(instalacion.LasRutas().instalacion)) {
      if (entrada.is_regular_file()) {
        fs::copy_file(entrada.path(), lectores[l] + "/" + entrada.path().filename().string());
      }
    }
    // The whole simulator, whatever variant the last run left in place.
    const fs::path simulador = instalacion.Simulador();
    fs::copy_file(simulador, lectores[l] + "/" + simulador.filename().string(),
                  fs::copy_options::overwrite_existing);
    for (const char* viejo : {"diario.log", "Lectora.log", "salida.txt"}) {
      fs::remove(lectores[l] + "/" + viejo);
    }
    std::ofstream(lectores[l] + "/Config.ini") << TextoConfig(imagenes, false);
    std::ofstream(lectores[l] + "/mtxmlmcr.scenario") << Bandeja(l, cheques);
    // Two installations' identities, told apart by their last digit.
    std::ofstream(lectores[l] + "/machine-id") << "0123456789abcdef0123456789abcde" << l << "\n";
  }
  Ejecucion ejecuciones[2];
  std::thread hilos[2];
  for (int l = 0; l < 2; ++l) {
    hilos[l] = std::thread([&, l] {
      const std::string programa = lectores[l] + "/" + anfitrion;
      ejecuciones[l] =
          Ejecuta(ronda.dosEquipos ? ComoOtroEquipo(programa, lectores[l] + "/machine-id")
                                   : std::vector<std::string>{programa},
                  lectores[l], std::nullopt, 20000);
    });
  }
  for (std::thread& hilo : hilos) {
    hilo.join();
  }
  std::set<std::string> numeros;
  for (int l = 0; l < 2; ++l) {
    const std::string quien = "lectora " + std::to_string(l) + ": ";
    bool acabo = false;
    bool termino = false;
    const std::vector<Evento> eventos = LeeEventos(ejecuciones[l].salida, acabo, termino);
    const Diario diario = LeeDiario(Lee(lectores[l] + "/diario.log"));
    if (!acabo || eventos.size() != static_cast<std::size_t>(cheques) ||
        diario.alimentados.size() != eventos.size()) {
      ++ronda.cortadas;
      ronda.violaciones.push_back(quien +
                                  "la lectura no entregó cada cheque: " + ejecuciones[l].salida);
      continue;
    }
    for (std::size_t i = 0; i < eventos.size(); ++i) {
      const std::string& n = eventos[i].iderr;
      if (eventos[i].clase != "sinlinea" || !numeros.insert(n).second) {
        ronda.violaciones.push_back(quien + "número de error compartido o ausente: " + n);
        continue;
      }
      ++ronda.cheques;
      for (const auto& [k, servida] : diario.alimentados[i].servidas) {
        const std::string nombre =
            std::string(k == 2 ? "ERRREV" : "ERRANV") + n + (k == 3 ? ".jpg" : ".tif");
        if (!(HuellaDe(imagenes + "/" + nombre) == servida)) {
          ronda.violaciones.push_back(quien + "la imagen " + nombre +
                                      " no es la que sirvió su lectora");
        }
      }
    }
  }
  if (ronda.violaciones.empty()) {
    std::error_code error;
    fs::remove_all(raiz, error);
  } else {
    ronda.violaciones.push_back("carpeta conservada: " + raiz);
  }
  return ronda;
}

}  // namespace campana
