// What a large image folder costs the first cheque of a read: the time from
// the read request (Comunica::Terminate against the reader simulator) to
// the host's event for its first cheque, into an empty image folder, then
// into one that holds the images of 50,000 earlier cheques, a branch's
// folder after a year or so. Nothing before the first cheque may grow with
// the folder.
//
//   bench_carpeta_llena [--archivos=N] [benchmark options]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "entorno_simulador.h"
#include "vardel/comunica.h"

namespace {

using vardel::banco::EntornoSimulador;

constexpr const char* kEscenario =
    "[Reader]\npresent=yes\ndelay=0\n\n[Tray]\nrefill=yes\n\n[Document1]\n"
    "micr=C1234567E0049C1234E0123456789B00B0012A000012345C\n"
    "image1=size:10240\nimage2=size:10240\nimage3=size:51200\n";

// Notes the moment the host hears of the cheque.
class Reloj final : public vardel::OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<vardel::Collection>&) override {
    evento = std::chrono::steady_clock::now();
  }
  void LectoraError(std::int32_t, const std::string&) override {}
  void LectoraActiva(vardel::Boolean) override {}
  std::chrono::steady_clock::time_point evento;
};

void PrimerCheque(benchmark::State& estado, const std::string& imagenes, int archivos) {
  for (int i = 0; i < archivos; ++i) {
    std::ofstream(imagenes + "/ANV0049" + std::to_string(2000000 + i) + ".tif");
  }
  Reloj oyente;
  vardel::Comunica comunica(&oyente);
  for (auto _ : estado) {
    const auto inicio = std::chrono::steady_clock::now();
    comunica.Terminate();
    estado.SetIterationTime(std::chrono::duration<double>(oyente.evento - inicio).count());
  }
}

class Informe : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        real[run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
  }
  std::map<std::string, double> real;
};

}  // namespace

int main(int argc, char** argv) {
  int archivos = 50000;
  std::vector<char*> argumentos;
  for (int i = 0; i < argc; ++i) {
    constexpr const char* kOpcion = "--archivos=";
    if (std::strncmp(argv[i], kOpcion, std::strlen(kOpcion)) == 0) {
      archivos = std::atoi(argv[i] + std::strlen(kOpcion));
    } else {
      argumentos.push_back(argv[i]);
    }
  }
  int cuantos = static_cast<int>(argumentos.size());
  benchmark::Initialize(&cuantos, argumentos.data());
  if (benchmark::ReportUnrecognizedArguments(cuantos, argumentos.data())) {
    return 64;
  }
  EntornoSimulador entorno(kEscenario);
  const std::string imagenes = entorno.Imagenes();
  benchmark::RegisterBenchmark("CarpetaVacia", PrimerCheque, imagenes, 0)
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime();
  benchmark::RegisterBenchmark("CarpetaLlena", PrimerCheque, imagenes, archivos)
      ->Unit(benchmark::kMillisecond)
      ->UseManualTime();
  Informe informe;
  benchmark::RunSpecifiedBenchmarks(&informe);
  benchmark::Shutdown();
  if (informe.real.count("CarpetaVacia") != 0 && informe.real.count("CarpetaLlena") != 0) {
    std::printf("primer cheque con %d archivos en la carpeta / carpeta vacia: %.3f\n", archivos,
                informe.real["CarpetaLlena"] / informe.real["CarpetaVacia"]);
  }
  return 0;
}
