#include "entorno_simulador.h"

#include <sys/resource.h>

#include <filesystem>

#include "device/lectora.h"
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

}  // namespace

EntornoSimulador::EntornoSimulador(const std::string& escenario)
    : lectora_(std::make_unique<device::LectoraBiblioteca>(
          std::vector<std::string>{prueba::SimuladorPrueba::RutaSimulador()})) {
  std::filesystem::create_directory(Imagenes());
  dir_.Escribe("Config.ini",
               std::string("[LectoraUSB]\r\n") + kAjustes + "DirectorioImg=" + Imagenes() + "\r\n");
  dir_.Escribe("banco.scenario", escenario);
  prueba::PonVariableEntorno("MTXSIM_SCENARIO", dir_.Archivo("banco.scenario"));
  device::SustituyeLectora(lectora_.get());
}

EntornoSimulador::~EntornoSimulador() {
  device::SustituyeLectora(nullptr);
  prueba::PonVariableEntorno("MTXSIM_SCENARIO", "");
}

long MemoriaMaximaKiB() {
  rusage uso{};
  getrusage(RUSAGE_SELF, &uso);
  return uso.ru_maxrss;
}

}  // namespace vardel::banco
