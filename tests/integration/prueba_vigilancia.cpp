// The component against the reader simulator through the real binding:
// creation with the reader present and absent, the presence watch seeing
// the reader come and go (also while a message box waits, never inside a
// capture), a read request end to end with its call order, and the ink
// test forcing the endorsement off.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>

#include "device/lectora.h"
#include "platform/ansi.h"
#include "platform/bucle.h"
#include "platform/componente.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/registro.h"
#include "support/directorio_prueba.h"
#include "support/interaccion_guionizada.h"
#include "support/simulador_prueba.h"
#include "vardel/comunica.h"

namespace vardel {
namespace {

using namespace std::chrono_literals;
using testing::AllOf;
using testing::Contains;
using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;
using testing::StartsWith;

// Short ticks, so a test sees several in a few hundred milliseconds.
constexpr auto kTick = 20ms;

constexpr const char* kPresente = "[Reader]\npresent=yes\n";
constexpr const char* kAusente = "[Reader]\npresent=no\n";

class Anfitrion : public OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<Collection>& Dato) override { datos.push_back(Dato); }
  void LectoraError(std::int32_t, const std::string&) override {}
  void LectoraActiva(Boolean OnOff) override { activas.push_back(OnOff); }
  std::vector<std::shared_ptr<Collection>> datos;
  std::vector<Boolean> activas;
};

// Pumps the thread's loop until the condition holds or a generous limit
// passes.
bool BombeaHasta(const std::function<bool()>& condicion) {
  const auto limite = std::chrono::steady_clock::now() + 5s;
  while (!condicion()) {
    if (std::chrono::steady_clock::now() > limite) {
      return false;
    }
    platform::BombeaMensajes(5ms);
  }
  return true;
}

class Vigilancia : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir.Archivo("img"));
    dir.Escribe("Config.ini",
                "[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nLogActivo=S\r\nDirectorioImg=" +
                    dir.Archivo("img") +
                    "\r\nTransfer=MEMORY\r\nEndorse=BACK\r\nPrintData=COMPENSADO\r\nNumber=3\r\n"
                    "FileType1=TIF\r\nFileType3=JPG\r\n");
  }
  void TearDown() override { Configuracion::strDirectorioLog().clear(); }

  // Creates the component, with the watch ticking every kTick.
  std::unique_ptr<Comunica> Crea() {
    auto comunica = std::make_unique<Comunica>(&anfitrion);
    frmConfigLectorUSB::Instancia(device::LectoraActual())->TmrOnOff().Interval(kTick);
    return comunica;
  }
  // The journal from here on.
  void OlvidaDiario() { std::filesystem::remove(dir.Archivo("diario.log")); }
  int Cuenta(const std::string& funcion) const {
    int n = 0;
    for (const std::string& f : simulador.Funciones()) {
      n += f == funcion ? 1 : 0;
    }
    return n;
  }

  prueba::DirectorioPrueba dir;
  prueba::SimuladorPrueba simulador{dir.Ruta(), kPresente};
  prueba::InteraccionGuionizada operador;
  Anfitrion anfitrion;
};

TEST_F(Vigilancia, CreacionConLaLectoraPresenteOAusente) {
  struct Caso {
    const char* escenario;
    Boolean conectada;
    const char* registro;  // the log's content, "" for no log
  };
  const Caso casos[] = {
      {kPresente, Boolean::True, ""},
      {kAusente, Boolean::False,
       " - -1 - No se ha podido establecer conexión con la lectora EXCELLA.EXC001\r\n"},
      {"[Reader]\nopen=-12\n", Boolean::False,
       " - -12 - No se ha podido establecer conexión con la lectora EXCELLA.EXC001\r\n"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.escenario);
    std::filesystem::remove(dir.Archivo("Lectora.log"));
    simulador.Escenario(caso.escenario);
    OlvidaDiario();
    auto comunica = Crea();
    EXPECT_EQ(frmConfigLectorUSB::Instancia(device::LectoraActual())->blnLectoraOn, caso.conectada);
    EXPECT_EQ(comunica->LectoraONOFF(), caso.conectada);
    EXPECT_THAT(simulador.Diario().front(),
                StartsWith("MTMICROpenDevice\tdevice=EXCELLA.EXC001\tresult="));
    const std::string registro = dir.Lee("Lectora.log");
    if (*caso.registro == '\0') {
      EXPECT_THAT(registro, IsEmpty());
    } else {
      // One line, written although logging is off until the first read.
      EXPECT_THAT(registro, HasSubstr(platform::AAnsi(caso.registro)));
      EXPECT_EQ(registro.find('\n'), registro.size() - 1);
    }
    EXPECT_THAT(anfitrion.activas, IsEmpty()) << "LectoraONOFF raises nothing";
  }
}

TEST_F(Vigilancia, VeLlegarYMarcharseLaLectoraUnaVezCadaCambio) {
  simulador.Escenario(kAusente);
  auto comunica = Crea();
  platform::BombeaMensajes(kTick * 4);
  EXPECT_THAT(anfitrion.activas, IsEmpty()) << "absent and baseline False: nothing to tell";

  simulador.Escenario(kPresente);
  ASSERT_TRUE(BombeaHasta([&] { return !anfitrion.activas.empty(); }));
  EXPECT_THAT(anfitrion.activas, ElementsAre(Boolean::True));
  EXPECT_EQ(frmConfigLectorUSB::Instancia(device::LectoraActual())->blnLectoraOn, Boolean::True);
  const int comprobaciones = Cuenta("MTMICRGetDevice");
  ASSERT_TRUE(BombeaHasta([&] { return Cuenta("MTMICRGetDevice") >= comprobaciones + 3; }));
  EXPECT_THAT(anfitrion.activas, ElementsAre(Boolean::True)) << "no change, no event";

  simulador.Escenario(kAusente);
  ASSERT_TRUE(BombeaHasta([&] { return anfitrion.activas.size() == 2; }));
  EXPECT_THAT(anfitrion.activas, ElementsAre(Boolean::True, Boolean::False));
  EXPECT_EQ(comunica->LectoraONOFF(), Boolean::False);
}

TEST_F(Vigilancia, LosTicksSiguenMientrasEsperaUnMensaje) {
  simulador.Escenario(kAusente);
  auto comunica = Crea();
  simulador.Escenario(kPresente);
  std::vector<Boolean> vistasDuranteElMensaje;
  operador.mientrasSeMuestra = [&] {
    BombeaHasta([&] { return !anfitrion.activas.empty(); });
    vistasDuranteElMensaje = anfitrion.activas;
  };
  // The jam notice of the settings screen object, shown outside a capture.
  frmConfigLectorUSB::Instancia(device::LectoraActual())->VaciarBandeja();
  EXPECT_THAT(vistasDuranteElMensaje, ElementsAre(Boolean::True));
}

TEST_F(Vigilancia, NingunTickDentroDeUnaCaptura) {
  simulador.Escenario(std::string(kPresente) +
                      "[Document1]\njam=yes\nresult=204\n"
                      "[Document2]\nmicr=C1234567E0049C1234E0123456789B00B0012A000012345C\n");
  auto comunica = Crea();
  std::size_t lineasAntes = 0;
  std::vector<std::string> duranteElMensaje;
  operador.mientrasSeMuestra = [&] {
    lineasAntes = simulador.Diario().size();
    platform::BombeaMensajes(kTick * 5);
    const std::vector<std::string> diario = simulador.Diario();
    duranteElMensaje.assign(diario.begin() + static_cast<std::ptrdiff_t>(lineasAntes),
                            diario.end());
  };
  comunica->Terminate();
  ASSERT_EQ(operador.Mensajes().size(), 1u);
  EXPECT_THAT(duranteElMensaje, IsEmpty()) << "the capture switched the watch off";
  ASSERT_EQ(anfitrion.datos.size(), 1u);

  // The read's end switches it on again.
  EXPECT_TRUE(frmConfigLectorUSB::Instancia(device::LectoraActual())->TmrOnOff().Enabled());
  OlvidaDiario();
  EXPECT_TRUE(BombeaHasta([&] { return Cuenta("MTMICRGetDevice") > 0; }));
}

TEST_F(Vigilancia, TerminateLeeLaBandejaEnElOrdenDeLlamadas) {
  simulador.Escenario(std::string(kPresente) +
                      "[Document1]\nmicr=C1234567E0049C1234E0123456789B00B0012A000012345C\n"
                      "image1=size:1200\nimage2=size:800\nimage3=size:3000\n"
                      "[Document2]\nmicr=C4567890E2100C0813E0200098765B00B0017A311226D\n"
                      "image1=size:1000\nimage2=none\nimage3=size:2000\n");
  auto comunica = Crea();
  OlvidaDiario();
  comunica->Terminate();

  // Initialisation: status and ink with the reader opened and closed again,
  // the 27 option items, then the capture's own open.
  std::vector<std::string> esperadas = {"MTMICROpenDevice", "MTMICRQueryInfo", "MTMICRCloseDevice"};
  for (int i = 0; i < 27; ++i) {
    esperadas.push_back("MTMICRSet");
  }
  esperadas.push_back("MTMICROpenDevice");
  // One pass: the capture, status and code line, then per image its size,
  // its name and its bytes (only the size for the missing back image).
  const auto Pasada = [&](bool conReverso) {
    esperadas.insert(esperadas.end(), {"MTMICRProcessCheck", "MTMICRGetValue", "MTMICRGetValue"});
    for (int k = 1; k <= 3; ++k) {
      esperadas.push_back("MTMICRGetIndexValue");
      if (k != 2 || conReverso) {
        esperadas.insert(esperadas.end(), {"MTMICRGetIndexValue", "MTMICRGetImage"});
      }
    }
  };
  Pasada(true);
  Pasada(false);
  esperadas.push_back("MTMICRCloseDevice");

  std::vector<std::string> funciones = simulador.Funciones();
  for (std::string& f : funciones) {
    if (f.rfind("MTMICRSet", 0) == 0) {
      f = "MTMICRSet";
    }
  }
  EXPECT_THAT(funciones, ElementsAreArray(esperadas));

  // The arguments of the first pass.
  const std::vector<std::string> diario = simulador.Diario();
  const auto pasada = std::find_if(diario.begin(), diario.end(), [](const std::string& l) {
    return l.rfind("MTMICRProcessCheck", 0) == 0;
  });
  ASSERT_GE(diario.end() - pasada, 12);
  EXPECT_THAT(pasada[0], AllOf(HasSubstr("\tdevice=EXCELLA.EXC001\t"), HasSubstr("\tsize=4096\t"),
                               HasSubstr("\tresult=0\t"), HasSubstr("\tdocpresent=yes")));
  EXPECT_THAT(pasada[1], HasSubstr("\tsection=CommandStatus\tkey=res\tsize=1024\t"));
  EXPECT_THAT(pasada[2], HasSubstr("\tsection=DocInfo\tkey=MICRRaw\t"));
  EXPECT_THAT(pasada[3], HasSubstr("\tsection=ImageInfo\tkey=ImageSize\tindex=1\t"));
  EXPECT_THAT(pasada[4], HasSubstr("\tsection=ImageInfo\tkey=ImageURL\tindex=1\t"));
  EXPECT_THAT(pasada[5], AllOf(HasSubstr("\tdevice=EXCELLA.EXC001\timage=mtxsim:"),
                               HasSubstr("\tsize=1200\tresult=0")));

  ASSERT_EQ(anfitrion.datos.size(), 2u);
  ASSERT_TRUE(anfitrion.datos[0] && anfitrion.datos[1]);
  EXPECT_EQ(ATexto(anfitrion.datos[0]->Item("NumDoc")), "1234567");
  EXPECT_EQ(ATexto(anfitrion.datos[1]->Item("Entidad")), "2100");
  const std::pair<const char*, std::uintmax_t> archivos[] = {
      {"ANV00491234567.tif", 1200}, {"REV00491234567.tif", 800},  {"ANV00491234567.jpg", 3000},
      {"ANV21004567890.tif", 1000}, {"ANV21004567890.jpg", 2000},
  };
  for (const auto& [nombre, tamano] : archivos) {
    EXPECT_EQ(std::filesystem::file_size(dir.Archivo("img") + platform::kSeparador + nombre),
              tamano)
        << nombre;
  }
  EXPECT_FALSE(
      std::filesystem::exists(dir.Archivo("img") + platform::kSeparador + "REV21004567890.tif"));
  EXPECT_THAT(dir.Lee("Lectora.log"), IsEmpty()) << "nothing failed";
}

TEST_F(Vigilancia, LaTintaAgotadaFuerzaEndorseNo) {
  struct Caso {
    const char* estado;
    const char* endorse;
  };
  const Caso casos[] = {
      {"<STATUS>READY</STATUS><INK>EMPTY</INK>", "NO"},
      {"<STATUS>READY</STATUS><ink>NotSup</ink>", "NO"},
      {"<STATUS>READY</STATUS><INK>OK</INK>", "BACK"},
      {"<STATUS>READY</STATUS>", "BACK"},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.estado);
    simulador.Escenario(std::string("[Reader]\nstatus=") + caso.estado + "\n");
    auto comunica = Crea();
    OlvidaDiario();
    comunica->Terminate();
    const std::string opcion =
        std::string("\tsection=ProcessOptions\titem=Endorse\tvalue=") + caso.endorse + "\t";
    EXPECT_THAT(simulador.Diario(),
                Contains(AllOf(StartsWith("MTMICRSetValue\t"), HasSubstr(opcion))));
    // The capture receives the options document as built.
    EXPECT_THAT(simulador.Diario(),
                Contains(AllOf(StartsWith("MTMICRProcessCheck\t"),
                               HasSubstr(std::string("\\nEndorse=") + caso.endorse + "\\n"))));
  }
}

}  // namespace
}  // namespace vardel
