// The fault campaign: many reads of random trays against the simulator,
// with random faults and SIGKILL at random moments, each checked for lost,
// duplicated or misfiled cheques.
//
//   campana [--seed N] [--runs N] [--seconds S] [--run N] [--bin DIR]
//           [--wine LAUNCHER]
//
// Run n uses a generator seeded from the seed and n, so "--seed S --run n"
// replays one run that went wrong.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "cifras.h"
#include "comprobaciones.h"
#include "dos_lectoras.h"
#include "ejecucion.h"
#include "escenarios.h"
#include "instalacion.h"

namespace {

using namespace campana;

struct Opciones {
  unsigned long long semilla = 0;
  int lecturas = 0;     // 0: no limit by count
  double segundos = 0;  // 0: no limit by time
  int sola = -1;        // only this run
  std::string bin;
  std::string lanzador;  // runs a Windows host (Wine), "" for a native one
};

std::string Lee(const std::string& ruta) {
  std::ifstream entrada(ruta, std::ios::binary);
  std::ostringstream texto;
  texto << entrada.rdbuf();
  return texto.str();
}

std::string DirectorioPrograma() {
  return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

bool LeeOpciones(int argc, char** argv, Opciones& o) {
  o.semilla = std::random_device{}();
  o.bin = DirectorioPrograma();
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool hay = i + 1 < argc;
    if (a == "--seed" && hay) {
      o.semilla = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--runs" && hay) {
      o.lecturas = std::atoi(argv[++i]);
    } else if (a == "--seconds" && hay) {
      o.segundos = std::atof(argv[++i]);
    } else if (a == "--run" && hay) {
      o.sola = std::atoi(argv[++i]);
    } else if (a == "--bin" && hay) {
      o.bin = std::filesystem::absolute(argv[++i]).string();
    } else if (a == "--wine" && hay) {
      o.lanzador = std::filesystem::absolute(argv[++i]).string();
    } else {
      std::fprintf(stderr,
                   "uso: campana [--seed N] [--runs N] [--seconds S] [--run N] [--bin DIR] "
                   "[--wine LANZADOR]\n");
      return false;
    }
  }
  if (o.lecturas == 0 && o.segundos == 0 && o.sola < 0) {
    o.lecturas = 200;
  }
  return true;
}

// The seed of run n, mixed so neighbouring runs differ in every bit.
std::uint64_t SemillaDe(unsigned long long semilla, int n) {
  std::uint64_t z = semilla + 0x9E3779B97F4A7C15ULL * static_cast<std::uint64_t>(n + 1);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// The exit code when the host to run is not built (ctest skips the test).
constexpr int kSinAnfitrion = 77;

std::string Anfitrion(bool windows) {
  return windows ? "campana_anfitrion.exe" : "campana_anfitrion";
}

std::string Fallas(const Lectura& lectura) {
  std::string texto;
  for (const Falla falla : lectura.fallas) {
    texto += (texto.empty() ? "" : ", ") + std::string(NombreFalla(falla));
  }
  return texto.empty() ? "ninguna" : texto;
}

}  // namespace

int main(int argc, char** argv) {
  Opciones o;
  if (!LeeOpciones(argc, argv, o)) {
    return 2;
  }
  const bool windows = !o.lanzador.empty();
  if (!std::filesystem::exists(o.bin + "/" + Anfitrion(windows))) {
    // The cross-built tree is not there: nothing to run under Wine.
    std::printf("No hay %s en %s: la campaña no corre.\n", Anfitrion(windows).c_str(),
                o.bin.c_str());
    return kSinAnfitrion;
  }
  Instalacion instalacion(
      o.bin, Anfitrion(windows), windows ? "mtxmlmcr.dll" : CAMPANA_SIMULADOR,
      windows ? std::vector<std::string>{} : std::vector<std::string>{CAMPANA_COMPONENTE}, windows);
  Carpetas carpetas(instalacion.Permitidas(), instalacion.Raiz());
  // The host's own log folder, inside the campaign's tree.
  ::setenv("XDG_STATE_HOME", (instalacion.Raiz() + "/estado").c_str(), 1);
  Cifras cifras;
  std::printf("Campaña de fallos, semilla %llu, en %s\n", o.semilla, instalacion.Raiz().c_str());
  std::fflush(stdout);
  std::vector<std::string> orden = {instalacion.Anfitrion()};
  if (windows) {
    orden.insert(orden.begin(), o.lanzador);
  }
  const auto inicio = std::chrono::steady_clock::now();
  // Kills land within a read's usual length: the mean of the reads that
  // ended by themselves, times 1.5.
  double suma_ms = windows ? 2000 : 100;
  int duraciones = 1;
  int rondas = 0;
  int cheques_dos = 0;
  int violaciones_dos = 0;
  int rondas_equipos = 0;
  int cortadas_equipos = 0;
  for (int n = o.sola >= 0 ? o.sola : 0;; ++n) {
    const std::chrono::duration<double> transcurrido = std::chrono::steady_clock::now() - inicio;
    if ((o.sola >= 0 && n > o.sola) || (o.lecturas > 0 && n >= o.lecturas) ||
        (o.segundos > 0 && transcurrido.count() >= o.segundos)) {
      break;
    }
    if (n % 200 == 0) {
      instalacion.VaciaImagenes();
      carpetas.Olvida();
    }
    // Now and then two readers at once on one folder (natively: the round
    // copies the native host, component and simulator), every other time
    // as two machines of one host name.
    if (!windows && n % 20 == 10) {
      const RondaDosLectoras ronda = DosLectoras(instalacion, Anfitrion(false), 12, n % 40 == 30);
      ++rondas;
      if (ronda.dosEquipos) {
        ++rondas_equipos;
        cortadas_equipos += ronda.cortadas;
      }
      cheques_dos += ronda.cheques;
      violaciones_dos += static_cast<int>(ronda.violaciones.size());
      for (const std::string& violacion : ronda.violaciones) {
        std::printf("\nDos lectoras a la vez (lectura %d): %s\n", n, violacion.c_str());
      }
    }
    Generador generador(SemillaDe(o.semilla, n), instalacion.LasRutas());
    const Lectura lectura = generador.Genera(n, static_cast<int>(suma_ms * 1.5 / duraciones));
    instalacion.Prepara(lectura);
    const Ejecucion ejecucion = Ejecuta(orden, instalacion.LasRutas().instalacion, lectura.matar_ms,
                                        windows ? 60000 : 10000);
    instalacion.Restaura();
    if (!ejecucion.matado && !ejecucion.colgado) {
      suma_ms += ejecucion.ms;
      ++duraciones;
    }
    const std::string dir = instalacion.LasRutas().instalacion;
    Balance balance;
    std::string registro;
    for (const std::string& archivo : instalacion.Registros()) {
      registro += Lee(archivo);
    }
    carpetas.Comprueba(lectura, ejecucion, Lee(dir + "/diario.log"), registro, balance);
    cifras.Suma(lectura, ejecucion, balance);
    if (!balance.violaciones.empty()) {
      const std::string matada =
          ejecucion.matado ? ", matada a los " + std::to_string(*lectura.matar_ms) + " ms" : "";
      std::printf("\nLectura %d (fallas: %s%s) -- repetir con: --seed %llu --run %d\n", n,
                  Fallas(lectura).c_str(), matada.c_str(), o.semilla, n);
      constexpr std::size_t kMostradas = 8;
      for (std::size_t i = 0; i < balance.violaciones.size() && i < kMostradas; ++i) {
        std::printf("  %s\n", balance.violaciones[i].c_str());
      }
      if (balance.violaciones.size() > kMostradas) {
        std::printf("  ... y %zu más\n", balance.violaciones.size() - kMostradas);
      }
      std::fflush(stdout);
      instalacion.Conserva();
    }
  }
  if (rondas > 0) {
    std::printf(
        "Dos lectoras a la vez en una carpeta: %d rondas, %d cheques sin línea, "
        "%d violaciones\n",
        rondas, cheques_dos, violaciones_dos);
  }
  if (rondas_equipos > 0) {
    std::printf(
        "Dos equipos de un mismo nombre en una carpeta: %d rondas, %d lecturas cortadas antes "
        "de entregar cada cheque\n",
        rondas_equipos, cortadas_equipos);
  }
  cifras.Imprime(o.semilla);
  return cifras.Violaciones() == 0 && violaciones_dos == 0 ? 0 : 1;
}
