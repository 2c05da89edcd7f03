// The cost of one reader initialisation against the simulator through the
// real binding: open, status query, close and the 27 option items, with
// every value read from Config.ini at its use. Next to it, one settings
// read, and the plain open, read and close of the same Config.ini it is
// measured against.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "capture/capture.h"
#include "entorno_simulador.h"
#include "vardel/configuracion.h"

namespace {

void BM_InicializaLectora(benchmark::State& estado, const std::string& respuesta) {
  vardel::banco::EntornoSimulador entorno("[Reader]\npresent=yes\nstatus=" + respuesta + "\n");
  std::string strOpciones;
  for (auto _ : estado) {
    vardel::capture::InicializaLectora(vardel::device::LectoraActual(), strOpciones,
                                       vardel::Boolean::False);
    benchmark::DoNotOptimize(strOpciones.data());
  }
}

void BM_LeeAjuste(benchmark::State& estado) {
  vardel::banco::EntornoSimulador entorno("[Reader]\npresent=yes\n");
  for (auto _ : estado) {
    benchmark::DoNotOptimize(vardel::LeeAjuste("Name"));
  }
}

void BM_AbreLeeCierra(benchmark::State& estado) {
  vardel::banco::EntornoSimulador entorno("[Reader]\npresent=yes\n");
  const std::string ruta = vardel::RutaConfiguracion();
  for (auto _ : estado) {
    std::ifstream archivo(ruta, std::ios::binary);
    benchmark::DoNotOptimize(
        std::string(std::istreambuf_iterator<char>(archivo), std::istreambuf_iterator<char>()));
  }
}

}  // namespace

BENCHMARK(BM_LeeAjuste)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AbreLeeCierra)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_InicializaLectora, ConTinta,
                  std::string("<STATUS>READY</STATUS><INK>OK</INK>"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_InicializaLectora, SinTinta,
                  std::string("<STATUS>READY</STATUS><INK>EMPTY</INK>"))
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  if (const auto codigo = vardel::banco::EjecutaDesdeCopia(argv)) {
    return *codigo;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 64;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
