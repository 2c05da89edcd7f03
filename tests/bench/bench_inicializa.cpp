// The cost of one reader initialisation against the simulator through the
// real binding: open, status query, close and the 27 option items, with
// every value read from Config.ini at its use.
#include <benchmark/benchmark.h>

#include <string>

#include "capture/captura.h"
#include "entorno_simulador.h"

namespace {

void BM_InicializaLectora(benchmark::State& estado, const std::string& respuesta) {
  vardel::banco::EntornoSimulador entorno("[Reader]\npresent=yes\nstatus=" + respuesta + "\n");
  std::string strOpciones;
  for (auto _ : estado) {
    vardel::captura::InicializaLectora(strOpciones, vardel::Boolean::False);
    benchmark::DoNotOptimize(strOpciones.data());
  }
}

}  // namespace

BENCHMARK_CAPTURE(BM_InicializaLectora, ConTinta,
                  std::string("<STATUS>READY</STATUS><INK>OK</INK>"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_InicializaLectora, SinTinta,
                  std::string("<STATUS>READY</STATUS><INK>EMPTY</INK>"))
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
