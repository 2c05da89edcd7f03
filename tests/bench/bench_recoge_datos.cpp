// The cost of parsing one code line, as the capture cycle does once per
// cheque: a complete line with an amount, one without, and two rejected ones.
#include <benchmark/benchmark.h>

#include <string>

#include "screen/recoge_datos.h"

namespace {

void Ejecuta(benchmark::State& estado, const std::string& linea) {
  for (auto _ : estado) {
    auto datos = vardel::RecogeDatos(linea);
    benchmark::DoNotOptimize(datos);
  }
}

void BM_ConImporte(benchmark::State& estado) {
  Ejecuta(estado, "C1234567E0049C1234E0123456789B00B0012A000012345C");
}

void BM_SinImporte(benchmark::State& estado) {
  Ejecuta(estado, "C1234567E0049C1234E0123456789B00B0012A");
}

void BM_Ilegible(benchmark::State& estado) {
  Ejecuta(estado, "C1234567E0049C12?4E0123456789B00B0012A000012345C");
}

// Rejected late: the account is not closed by a "B".
void BM_SinCuentaCerrada(benchmark::State& estado) {
  Ejecuta(estado, "C1234567E0049C1234E0123456789");
}

}  // namespace

BENCHMARK(BM_ConImporte);
BENCHMARK(BM_SinImporte);
BENCHMARK(BM_Ilegible);
BENCHMARK(BM_SinCuentaCerrada);

BENCHMARK_MAIN();
