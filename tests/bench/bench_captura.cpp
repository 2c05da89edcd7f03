// The cost of the capture cycle per document: Comunica::Terminate against
// the reader simulator through the real binding (no device delay), with
// three images of 10 KiB, 10 KiB and 50 KiB per cheque, next to a baseline
// that only writes the same bytes to the same number of files, with the
// same atomic write, in a sibling folder.
//
//   bench_captura [--documentos=N] [benchmark options]
//
// N documents per read request (default 100). At the end it prints the
// time per document of each, the difference and the ratio, and the peak
// resident memory of the process: run it with N=100 and N=10000 and
// compare, nothing should grow with the tray.
//
// It also times the first cheque of a read, from the request to the host's
// event, into the image folder as the runs above left it and into one
// holding --archivos=N more image files (50,000 by default: a branch's
// folder after a year or so); nothing before the first cheque may grow
// with the folder. The same for the whole read request, from the call to
// its return.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "entorno_simulador.h"
#include "platform/carpeta.h"
#include "platform/componente.h"
#include "vardel/comunica.h"

namespace {

using vardel::banco::EntornoSimulador;

// Distinct cheques in the tray; a longer tray holds them several times.
constexpr int kDistintos = 10;
constexpr std::size_t kTamanos[] = {10240, 10240, 51200};

std::string NumDoc(int i) {
  return std::to_string(1000000 + i);
}

std::string Escenario(int documentos) {
  const int distintos = documentos % kDistintos == 0 ? kDistintos : 1;
  std::string texto = "[Reader]\npresent=yes\ndelay=0\n\n[Tray]\nrefill=yes\ncopies=" +
                      std::to_string(documentos / distintos) + "\n";
  for (int i = 1; i <= distintos; ++i) {
    texto += "\n[Document" + std::to_string(i) + "]\nmicr=C" + NumDoc(i) +
             "E0049C1234E0123456789B00B0012A000012345C\n";
    for (int k = 0; k < 3; ++k) {
      texto += "image" + std::to_string(k + 1) + "=size:" + std::to_string(kTamanos[k]) + "\n";
    }
  }
  return texto;
}

// Counts the documents the host hears of, so the run is checked too, and
// notes when the first one came.
class Contador final : public vardel::OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<vardel::Collection>& Dato) override {
    if (documentos == 0) {
      primero = std::chrono::steady_clock::now();
    }
    documentos += Dato ? 1 : 0;
  }
  void LectoraError(std::int32_t, const std::string&) override {}
  void LectoraActiva(vardel::Boolean) override {}
  long documentos = 0;
  std::chrono::steady_clock::time_point primero;
};

void Captura(benchmark::State& estado, int documentos) {
  Contador contador;
  vardel::Comunica comunica(&contador);
  for (auto _ : estado) {
    comunica.Terminate();
  }
  if (contador.documentos != static_cast<long>(documentos) * estado.iterations()) {
    estado.SkipWithError("the tray did not give every document");
  }
  estado.SetItemsProcessed(estado.iterations() * documentos);
}

// From the request to the first cheque's event, or (entera) to the
// request's return.
void PrimerCheque(benchmark::State& estado, const std::string& imagenes, int archivos,
                  bool entera) {
  for (int i = 0; i < archivos; ++i) {
    std::ofstream(imagenes + "/ANV0049" + std::to_string(2000000 + i) + ".tif");
  }
  Contador contador;
  vardel::Comunica comunica(&contador);
  for (auto _ : estado) {
    contador.documentos = 0;
    const auto inicio = std::chrono::steady_clock::now();
    comunica.Terminate();
    const auto fin = entera ? std::chrono::steady_clock::now() : contador.primero;
    estado.SetIterationTime(std::chrono::duration<double>(fin - inicio).count());
  }
}

// The same atomic replacement without flushing anything to stable storage:
// what every image write cost before the flushes, to measure them.
void EscribeSinVolcado(const std::string& ruta, const std::vector<std::uint8_t>& bytes) {
  const std::string temporal = ruta + ".tmp";
  {
    std::ofstream salida(temporal, std::ios::binary | std::ios::trunc);
    salida.write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
  }
  std::filesystem::rename(temporal, ruta);
}

// The component's own write: the folder resolved, then the file replaced in it.
void EscribeCompleto(const std::string& ruta, const std::vector<std::uint8_t>& bytes) {
  const auto barra = ruta.find_last_of(vardel::platform::kSeparador);
  vardel::platform::Carpeta(ruta.substr(0, barra)).EscribeCompleto(ruta.substr(barra + 1), bytes);
}

template <void (*Escribe)(const std::string&, const std::vector<std::uint8_t>&)>
void SoloEscrituras(benchmark::State& estado, int documentos, const std::string& carpeta) {
  std::vector<std::vector<std::uint8_t>> imagenes;
  for (const std::size_t tamano : kTamanos) {
    imagenes.emplace_back(tamano, std::uint8_t{0x5A});
  }
  const int distintos = documentos % kDistintos == 0 ? kDistintos : 1;
  const char* nombres[] = {"ANV0049", "REV0049", "ANV0049"};
  const char* extensiones[] = {".tif", ".tif", ".jpg"};
  for (auto _ : estado) {
    for (int d = 0; d < documentos; ++d) {
      const std::string numero = NumDoc(d % distintos + 1);
      for (int k = 0; k < 3; ++k) {
        Escribe(carpeta + vardel::platform::kSeparador + nombres[k] + numero + extensiones[k],
                imagenes[k]);
      }
    }
  }
  estado.SetItemsProcessed(estado.iterations() * documentos);
}

// The console report, keeping each benchmark's real time per iteration.
class Informe final : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      fallo = fallo || run.error_occurred;
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        const double iteraciones = static_cast<double>(run.iterations);
        Menor(real, run.run_name.function_name, run.real_accumulated_time / iteraciones);
        Menor(cpu, run.run_name.function_name, run.cpu_accumulated_time / iteraciones);
      }
    }
  }
  // Seconds per iteration, by benchmark, the least of its repetitions (the
  // one a busy machine disturbed least): wall clock, and this process's CPU
  // (user and system).
  std::map<std::string, double> real;
  std::map<std::string, double> cpu;
  bool fallo = false;

 private:
  static void Menor(std::map<std::string, double>& tiempos, const std::string& nombre,
                    double segundos) {
    const auto it = tiempos.find(nombre);
    if (it == tiempos.end() || segundos < it->second) {
      tiempos[nombre] = segundos;
    }
  }
};

void Compara(const char* medida, std::map<std::string, double>& segundos, int documentos) {
  const double captura = segundos["Captura"] / documentos * 1e6;
  const double escrituras = segundos["SoloEscrituras"] / documentos * 1e6;
  std::printf(
      "%s por documento: ciclo %.1f us, solo escrituras %.1f us, diferencia %.1f us, "
      "razon %.2f\n",
      medida, captura, escrituras, captura - escrituras, captura / escrituras);
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto codigo = vardel::banco::EjecutaDesdeCopia(argv)) {
    return *codigo;
  }
  int documentos = 100;
  int archivos = 50000;
  std::vector<char*> argumentos;
  for (int i = 0; i < argc; ++i) {
    constexpr const char* kOpcion = "--documentos=";
    constexpr const char* kArchivos = "--archivos=";
    if (std::strncmp(argv[i], kOpcion, std::strlen(kOpcion)) == 0) {
      documentos = std::atoi(argv[i] + std::strlen(kOpcion));
    } else if (std::strncmp(argv[i], kArchivos, std::strlen(kArchivos)) == 0) {
      archivos = std::atoi(argv[i] + std::strlen(kArchivos));
    } else {
      argumentos.push_back(argv[i]);
    }
  }
  if (documentos < 1) {
    std::fprintf(stderr, "bench_captura: --documentos needs a positive number\n");
    return 64;
  }
  int cuantos = static_cast<int>(argumentos.size());
  benchmark::Initialize(&cuantos, argumentos.data());
  if (benchmark::ReportUnrecognizedArguments(cuantos, argumentos.data())) {
    return 64;
  }

  EntornoSimulador entorno(Escenario(documentos));
  const std::string base = entorno.Directorio().Archivo("img-base");
  std::filesystem::create_directory(base);
  benchmark::RegisterBenchmark("Captura", Captura, documentos)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("SoloEscrituras", SoloEscrituras<EscribeCompleto>, documentos, base)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("EscriturasSinVolcado", SoloEscrituras<EscribeSinVolcado>,
                               documentos, base)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  // Last: the full folder stays full.
  struct Carpeta {
    const char* nombre;
    int archivos;
    bool entera;
  };
  for (const auto& [nombre, cuantos, entera] :
       {Carpeta{"PrimerCheque", 0, false}, Carpeta{"Lectura", 0, true},
        Carpeta{"PrimerChequeLleno", archivos, false}, Carpeta{"LecturaLlena", archivos, true}}) {
    benchmark::RegisterBenchmark(nombre, PrimerCheque, entorno.Imagenes(), cuantos, entera)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
  }
  Informe informe;
  benchmark::RunSpecifiedBenchmarks(&informe);
  benchmark::Shutdown();

  if (informe.real.count("Captura") != 0 && informe.real.count("SoloEscrituras") != 0) {
    std::printf("documentos por lectura: %d\n", documentos);
    Compara("tiempo real", informe.real, documentos);
    Compara("tiempo de CPU", informe.cpu, documentos);
  }
  if (informe.real.count("SoloEscrituras") != 0 &&
      informe.real.count("EscriturasSinVolcado") != 0) {
    // The flushes that make each image lasting before the host is told.
    const double volcado =
        (informe.real["SoloEscrituras"] - informe.real["EscriturasSinVolcado"]) / documentos * 1e6;
    std::printf(
        "coste de la durabilidad por documento (tiempo real): %.1f us, %.2f %% de un ciclo de "
        "lectora de 600 ms\n",
        volcado, volcado / 600000.0 * 100.0);
  }
  if (informe.real.count("PrimerCheque") != 0 && informe.real.count("PrimerChequeLleno") != 0) {
    std::printf(
        "primer cheque con %d archivos mas en la carpeta: %.2f ms, antes %.2f ms, razon %.3f\n",
        archivos, informe.real["PrimerChequeLleno"] * 1e3, informe.real["PrimerCheque"] * 1e3,
        informe.real["PrimerChequeLleno"] / informe.real["PrimerCheque"]);
  }
  if (informe.real.count("Lectura") != 0 && informe.real.count("LecturaLlena") != 0) {
    std::printf(
        "lectura entera con %d archivos mas en la carpeta: %.2f ms, antes %.2f ms, razon %.3f\n",
        archivos, informe.real["LecturaLlena"] * 1e3, informe.real["Lectura"] * 1e3,
        informe.real["LecturaLlena"] / informe.real["Lectura"]);
  }
  std::printf("memoria residente maxima: %ld KiB\n", vardel::banco::MemoriaMaximaKiB());
  // A failed run fails the smoke test too.
  return informe.fallo ? 1 : 0;
}
