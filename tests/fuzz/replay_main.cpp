// Replays a fuzz corpus through a harness in builds without libFuzzer: every
// file of the directories (or the files) given as arguments is one input.
// With no arguments a few built-in inputs are run instead.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t tamano);

namespace {

void Ejecuta(const std::string& entrada) {
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(entrada.data()), entrada.size());
}

bool EjecutaArchivo(const std::filesystem::path& ruta) {
  std::ifstream archivo(ruta, std::ios::binary);
  if (!archivo) {
    std::fprintf(stderr, "no se puede leer %s\n", ruta.string().c_str());
    return false;
  }
  Ejecuta(std::string(std::istreambuf_iterator<char>(archivo), {}));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    for (const char* entrada : {"", "?", "C", "E", "CEC", "\xff\xfe", "C1E0049C1B2"}) {
      Ejecuta(entrada);
    }
    std::printf("7 entradas incorporadas\n");
    return 0;
  }
  std::size_t ejecutadas = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path ruta(argv[i]);
    std::vector<std::filesystem::path> archivos;
    if (std::filesystem::is_directory(ruta)) {
      for (const auto& entrada : std::filesystem::directory_iterator(ruta)) {
        if (entrada.is_regular_file()) {
          archivos.push_back(entrada.path());
        }
      }
    } else {
      archivos.push_back(ruta);
    }
    if (archivos.empty()) {
      std::fprintf(stderr, "sin entradas en %s\n", argv[i]);
      return 1;
    }
    for (const auto& archivo : archivos) {
      if (!EjecutaArchivo(archivo)) {
        return 1;
      }
      ++ejecutadas;
    }
  }
  std::printf("%zu entradas ejecutadas\n", ejecutadas);
  return 0;
}
