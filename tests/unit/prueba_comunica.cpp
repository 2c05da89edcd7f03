// The component class: creation with the reader present or absent, the
// read request's logging switch and closing, forwarding of the screen's
// events, and the shared screen object.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/lanza_error.h"
#include "platform/ansi.h"
#include "platform/bucle.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/registro.h"
#include "support/directorio_prueba.h"
#include "support/interaccion_guionizada.h"
#include "support/lectora_falsa.h"
#include "vardel/comunica.h"

namespace vardel {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;

class Anfitrion : public OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<Collection>& Dato) override { datos.push_back(Dato); }
  void LectoraError(std::int32_t, const std::string&) override { ++errores; }
  void LectoraActiva(Boolean OnOff) override { activas.push_back(OnOff); }
  std::vector<std::shared_ptr<Collection>> datos;
  std::vector<Boolean> activas;
  int errores = 0;
};

class ClaseComunica : public testing::Test {
 protected:
  void TearDown() override { Configuracion::strDirectorioLog().clear(); }
  std::string Log() const { return platform::DesdeAnsi(dir.Lee("Lectora.log")); }
  void SetUp() override {
    // No image in any result document unless a test says so.
    falsa.al_get_index_value = [](const std::string&, const std::string&, const std::string&,
                                  std::int32_t, std::string&, std::int32_t&) { return 1; };
  }
  // Every capture gives the worked example's cheque, with `respuesta` as
  // its result document.
  void UnChequePorCaptura(const std::string& respuesta) {
    falsa.al_process_check = [respuesta](const std::string&, const std::string&, std::string& r,
                                         std::int32_t&) {
      prueba::LectoraFalsa::EscribeEnBuffer(r, respuesta);
      return 0;
    };
    falsa.al_get_value = [](const std::string&, const std::string&, const std::string& clave,
                            std::string& valor, std::int32_t&) {
      prueba::LectoraFalsa::EscribeEnBuffer(
          valor, clave == "res" ? "0" : "C1234567E0049C1234E0123456789B00B0012A000012345C");
      return 0;
    };
  }
  void Config(const std::string& claves) {
    dir.Escribe("Config.ini",
                "[LectoraUSB]\r\nName=MI.LECTORA\r\nDirectorioImg=" + dir.Ruta() + "\r\n" + claves);
  }

  prueba::DirectorioPrueba dir;
  prueba::LectoraFalsa falsa;
  prueba::SustitucionLectora enUso{falsa};
  prueba::InteraccionGuionizada operador;
  Anfitrion anfitrion;
};

TEST_F(ClaseComunica, CreacionConLectoraPresente) {
  Config("");
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  Comunica comunica(&anfitrion);
  EXPECT_EQ(falsa.Llamadas()[0], "MTMICROpenDevice(MI.LECTORA)");
  EXPECT_EQ(falsa.Llamadas().back(), "MTMICRCloseDevice(EXCELLA.EXC001)");
  EXPECT_EQ(frmConfigLectorUSB::Instancia()->blnLectoraOn, Boolean::True);
  EXPECT_TRUE(frmConfigLectorUSB::Instancia()->TmrOnOff().Enabled());
  EXPECT_EQ(comunica.blnLogActivo(), Boolean::False);
  EXPECT_FALSE(dir.Existe("Lectora.log"));
  EXPECT_EQ(falsa.Cuenta("MTMICRCloseDevice"), 1);  // creation never closes its own open
}

TEST_F(ClaseComunica, CreacionConLectoraAusenteRegistraSiempre) {
  Config("LogActivo=N\r\n");
  falsa.al_open_device = [](const std::string&) { return -12; };
  Comunica comunica(&anfitrion);
  EXPECT_EQ(frmConfigLectorUSB::Instancia()->blnLectoraOn, Boolean::False);
  EXPECT_TRUE(frmConfigLectorUSB::Instancia()->TmrOnOff().Enabled());
  const std::string log = Log();
  EXPECT_NE(log.find(" - -12 - No se ha podido establecer conexión con la lectora MI.LECTORA\r\n"),
            std::string::npos)
      << log;
  EXPECT_EQ(falsa.Cuenta("MTMICRGetDevice"), 0);  // no state check after a failed open
}

TEST_F(ClaseComunica, LaLectoraQueApareceDespuesSeAvisa) {
  Config("");
  falsa.al_open_device = [](const std::string&) { return 1; };
  Comunica comunica(&anfitrion);
  auto pantalla = frmConfigLectorUSB::Instancia();
  pantalla->TmrOnOff().Interval(10ms);
  falsa.al_open_device = nullptr;
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  platform::BombeaMensajes(40ms);
  EXPECT_THAT(anfitrion.activas, ElementsAre(Boolean::True));
  EXPECT_EQ(comunica.LectoraONOFF(), Boolean::True);
  EXPECT_THAT(anfitrion.activas, ElementsAre(Boolean::True));  // LectoraONOFF raises nothing
}

TEST_F(ClaseComunica, LogActivoExactamenteS) {
  falsa.al_close_device = [](const std::string&) { return 3; };
  for (const char* valor : {"", "s", "SI", "N"}) {
    Config(std::string("LogActivo=") + valor + "\r\n");
    Comunica comunica(&anfitrion);
    comunica.blnLogActivo(Boolean::True);  // Terminate overwrites it before logging
    comunica.Terminate();
    EXPECT_EQ(comunica.blnLogActivo(), Boolean::False) << valor;
  }
  // The pass's document carried no data: only its trace line, which is
  // written whatever the switch says.
  EXPECT_EQ(Log().find("No se ha podido cerrar"), std::string::npos) << Log();
  Config("LogActivo=  S  \r\n");
  Comunica comunica(&anfitrion);
  comunica.Terminate();
  EXPECT_EQ(comunica.blnLogActivo(), Boolean::True);
  EXPECT_NE(
      Log().find(" - 3 - No se ha podido cerrar la lectora MI.LECTORA satisfactoriamente \r\n"),
      std::string::npos)
      << Log();
}

TEST_F(ClaseComunica, TerminateLeeYCierra) {
  Config("");
  UnChequePorCaptura("res");
  Comunica comunica(&anfitrion);
  falsa.Olvida();
  comunica.Terminate();
  ASSERT_EQ(anfitrion.datos.size(), 1u);
  EXPECT_EQ(anfitrion.datos[0]->Item("Importe"), Variant::Double(123.45));
  EXPECT_EQ(falsa.Llamadas().back(), "MTMICRCloseDevice(MI.LECTORA)");
  EXPECT_TRUE(frmConfigLectorUSB::Instancia()->TmrOnOff().Enabled());
}

// A host's stop, asked before every capture call, ends an endless tray
// after the document it was delivered, and the read closes as usual.
TEST_F(ClaseComunica, ElAnfitrionDetieneLaLecturaAntesDeLaSiguienteCaptura) {
  Config("");
  UnChequePorCaptura("DOCPRESENT");
  struct Parada : Anfitrion {
    bool DetenerLectura() override { return datos.size() == 2; }
  } parada;
  Comunica comunica(&parada);
  falsa.Olvida();
  comunica.Terminate();
  EXPECT_EQ(parada.datos.size(), 2u);
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 2);
  EXPECT_EQ(falsa.Llamadas().back(), "MTMICRCloseDevice(MI.LECTORA)");
  EXPECT_TRUE(frmConfigLectorUSB::Instancia()->TmrOnOff().Enabled());
}

TEST_F(ClaseComunica, UnErrorEnElCicloDejaLaLectoraAbierta) {
  Config("");
  falsa.RespuestaEstado("<INK>sin cierre");
  Comunica comunica(&anfitrion);
  falsa.Olvida();
  try {
    comunica.Terminate();
    FAIL();
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 5);
  }
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 0);
  // The status query's reader is not closed by CierraLectora: only the
  // initialisation's own open and query happened.
  EXPECT_THAT(falsa.Nombres(), ElementsAre("MTMICROpenDevice", "MTMICRQueryInfo"));
}

// The logging switch is the object's property, read at every log line: a
// host that changes it in a LectoraDatos handler is heard by the cycle's
// later lines and by the close line alike.
TEST_F(ClaseComunica, ElRegistroSigueLaPropiedadCambiadaDuranteLaLectura) {
  // Two documents: the first is read, the second jams with result 7.
  int pase = 0;
  falsa.al_process_check = [&pase](const std::string&, const std::string&, std::string& respuesta,
                                   std::int32_t&) -> std::int32_t {
    prueba::LectoraFalsa::EscribeEnBuffer(respuesta, ++pase == 1 ? "DOCPRESENT" : ">204<");
    return pase == 1 ? 0 : 7;
  };
  falsa.al_close_device = [](const std::string&) { return 3; };
  struct Cambiante : Anfitrion {
    Comunica* comunica = nullptr;
    Boolean nuevo = Boolean::False;
    void LectoraDatos(const std::shared_ptr<Collection>&) override {
      comunica->blnLogActivo(nuevo);
    }
  };
  for (const bool activo : {false, true}) {
    std::filesystem::remove(dir.Archivo("Lectora.log"));
    pase = 0;
    Config(activo ? "LogActivo=S\r\n" : "LogActivo=N\r\n");
    Cambiante cambiante;
    cambiante.nuevo = activo ? Boolean::False : Boolean::True;
    Comunica comunica(&cambiante);
    cambiante.comunica = &comunica;
    comunica.Terminate();
    const std::string log = dir.Existe("Lectora.log") ? Log() : "";
    const bool atasco = log.find(" - 7 - Atasco de cheques") != std::string::npos;
    const bool cierre = log.find(" - 3 - No se ha podido cerrar") != std::string::npos;
    EXPECT_EQ(atasco, !activo) << log;
    EXPECT_EQ(cierre, !activo) << log;
  }
}

TEST_F(ClaseComunica, ReenviaLosCambiosDeLaLectora) {
  Config("");
  Comunica comunica(&anfitrion);
  auto pantalla = frmConfigLectorUSB::Instancia();
  pantalla->blnLectoraOn = Boolean::True;  // the next tick finds no reader
  pantalla->TmrOnOff().Interval(10ms);
  platform::BombeaMensajes(30ms);
  EXPECT_THAT(anfitrion.activas, ElementsAre(Boolean::False));
  EXPECT_TRUE(anfitrion.datos.empty());
}

TEST_F(ClaseComunica, DosObjetosCompartenLaPantallaYElUltimoLaDescarga) {
  Config("");
  auto primero = std::make_unique<Comunica>(&anfitrion);
  Anfitrion otro;
  auto segundo = std::make_unique<Comunica>(&otro);
  std::weak_ptr<frmConfigLectorUSB> pantalla = frmConfigLectorUSB::Instancia();
  pantalla.lock()->TmrOnOff().Interval(10ms);
  primero.reset();
  ASSERT_FALSE(pantalla.expired());
  EXPECT_TRUE(pantalla.lock()->TmrOnOff().Enabled());
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  platform::BombeaMensajes(30ms);
  EXPECT_THAT(otro.activas, ElementsAre(Boolean::True));
  EXPECT_TRUE(anfitrion.activas.empty());  // a released object hears nothing
  segundo.reset();
  EXPECT_TRUE(pantalla.expired());  // unloaded with its last holder, timer and all
}

TEST_F(ClaseComunica, UnaBibliotecaQueNoCargaHaceFallarLaCreacion) {
  Config("");
  falsa.al_open_device = [](const std::string&) -> std::int32_t {
    LanzaError(errores::kErrorCargandoBiblioteca);
  };
  try {
    Comunica comunica(&anfitrion);
    FAIL();
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 48);
  }
}

}  // namespace
}  // namespace vardel
