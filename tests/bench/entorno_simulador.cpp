#include "entorno_simulador.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "device/lectora.h"
#include "platform/componente.h"
#include "support/simulador_prueba.h"

namespace vardel::banco {

namespace {

// The keys of the bundled Config.ini that a read uses.
constexpr const char* kAjustes =
    "Name=EXCELLA.EXC001\r\nLogActivo=S\r\nDirectorioLog=\r\nTransfer=MEMORY\r\n"
    "DocUnits=ENGLISH\r\nReadMICR=CMC7\r\nEndorse=BACK\r\nMICRFmtCode=0\r\nDocFeed=CMC7\r\n"
    "PrintSide=BACK\r\nPrintData=COMPENSADO\r\nPrinFont=INTERNAL\r\nNumber=3\r\n"
    "ImageColor1=GRAY\r\nResolution1=200x200\r\nCompression1=G4\r\nFileType1=TIF\r\n"
    "ImageSide1=FRONT\r\nFilterB=NONE\r\nImageColor2=GRAY\r\nResolution2=200x200\r\n"
    "Compression2=G4\r\nFileType2=TIF\r\nImageSide2=BACK\r\nImageColor3=COLOR\r\n"
    "Resolution3=100x100\r\nCompression3=JPEG\r\nFileType3=JPG\r\nImageSide3=FRONT\r\n";

// Set in the copy: the folder it runs from.
constexpr const char* kVariableCopia = "VARDEL_BANCO_CARPETA";

}  // namespace

EntornoSimulador::EntornoSimulador(const std::string& escenario)
    : lectora_(std::make_unique<device::LectoraBiblioteca>(
          std::vector<std::string>{prueba::SimuladorPrueba::RutaSimulador()})) {
  std::filesystem::create_directory(Imagenes());
  const std::string ajustes =
      std::string("[LectoraUSB]\r\n") + kAjustes + "DirectorioImg=" + Imagenes() + "\r\n";
  if (const char* copia = std::getenv(kVariableCopia)) {
    platform::SustituyeDirectorioComponente(std::nullopt);
    std::ofstream(std::string(copia) + "/Config.ini", std::ios::binary) << ajustes;
  } else {
    dir_.Escribe("Config.ini", ajustes);
  }
  dir_.Escribe("banco.scenario", escenario);
  prueba::PonVariableEntorno("MTXSIM_SCENARIO", dir_.Archivo("banco.scenario"));
  device::SustituyeLectora(lectora_.get());
}

EntornoSimulador::~EntornoSimulador() {
  device::SustituyeLectora(nullptr);
  prueba::PonVariableEntorno("MTXSIM_SCENARIO", "");
}

std::optional<int> EjecutaDesdeCopia(char** argv) {
  if (std::getenv(kVariableCopia) != nullptr) {
    return std::nullopt;
  }
  namespace fs = std::filesystem;
  const fs::path carpeta =
      fs::temp_directory_path() / ("vardel-banco-" + std::to_string(::getpid()));
  fs::create_directories(carpeta);
  // The program, and the simulator it loads from its own folder.
  const fs::path original = fs::read_symlink("/proc/self/exe");
  const fs::path programa = carpeta / original.filename();
  fs::copy_file(original, programa, fs::copy_options::overwrite_existing);
  fs::copy_file(original.parent_path() / device::kArchivoLectora, carpeta / device::kArchivoLectora,
                fs::copy_options::overwrite_existing);
  ::setenv(kVariableCopia, carpeta.c_str(), 1);
  int codigo = 1;
  const pid_t hijo = ::fork();
  if (hijo == 0) {
    // The program's own name is how the loader knows the program's file,
    // so the copy is started under its path.
    argv[0] = const_cast<char*>(programa.c_str());
    ::execv(programa.c_str(), argv);
    ::_exit(127);
  }
  int estado = 0;
  if (hijo > 0 && ::waitpid(hijo, &estado, 0) == hijo && WIFEXITED(estado)) {
    codigo = WEXITSTATUS(estado);
  }
  std::error_code ignorado;
  fs::remove_all(carpeta, ignorado);
  return codigo;
}

long MemoriaMaximaKiB() {
  rusage uso{};
  getrusage(RUSAGE_SELF, &uso);
  return uso.ru_maxrss;
}

}  // namespace vardel::banco
