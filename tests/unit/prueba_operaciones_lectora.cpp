// The settings screen object's reader operations: the presence check, the
// watch's ticks and jam clearing, against the recording fake.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/lanza_error.h"
#include "device/lectora.h"
#include "platform/bucle.h"
#include "screen/frm_config_lector_usb.h"
#include "support/directorio_prueba.h"
#include "support/interaccion_guionizada.h"
#include "support/lectora_falsa.h"

namespace vardel {
namespace {

using namespace std::chrono_literals;
using testing::ElementsAre;
using testing::IsEmpty;

class OyenteAnotador : public OyentePantalla {
 public:
  void LectoraDatos(const std::shared_ptr<Collection>&) override { ++datos; }
  void LectoraError(std::int32_t, const std::string&) override { ++errores; }
  void LectoraActiva(Boolean OnOff) override { activas.push_back(OnOff); }
  std::vector<Boolean> activas;
  int datos = 0;
  int errores = 0;
};

class OperacionesLectora : public testing::Test {
 protected:
  prueba::DirectorioPrueba dir;
  prueba::LectoraFalsa falsa;
  prueba::SustitucionLectora enUso{falsa};
  prueba::InteraccionGuionizada operador;
  frmConfigLectorUSB pantalla{falsa};
};

TEST_F(OperacionesLectora, SinDispositivosNoHayLectoraYSeCierraIgualmente) {
  EXPECT_EQ(pantalla.GetDevice(), Boolean::False);
  falsa.Olvida();
  EXPECT_EQ(pantalla.EstadoLectora(), Boolean::False);
  EXPECT_THAT(falsa.Llamadas(),
              ElementsAre("MTMICRGetDevice(1, [200])", "MTMICRCloseDevice(EXCELLA.EXC001)"));
}

TEST_F(OperacionesLectora, RecorreTodaLaListaAunqueEncuentre) {
  falsa.ListaDispositivos({"OTRA.1", "OTRA.2", "EXCELLA.EXC001", "OTRA.4"});
  EXPECT_EQ(pantalla.GetDevice(), Boolean::True);
  std::vector<std::string> indices;
  for (const auto& llamada : falsa.Registro()) {
    indices.push_back(llamada.argumentos[0]);
  }
  EXPECT_THAT(indices, ElementsAre("1", "2", "3", "4", "5"));
  // Every index got a fresh buffer of 200 blanks.
  for (const auto& llamada : falsa.Registro()) {
    EXPECT_EQ(llamada.argumentos[1], std::string(200, ' '));
  }
}

TEST_F(OperacionesLectora, ElNombreDebeCoincidirConMayusculasYMinusculas) {
  falsa.ListaDispositivos({"excella.exc001", "EXCELLA.EXC0011", "EXCELLA.EXC00"});
  EXPECT_EQ(pantalla.GetDevice(), Boolean::False);
}

// The trimmed text's length and the name's cut count characters: a last
// character of two bytes leaves the name whole, never half of it.
TEST_F(OperacionesLectora, LaLongitudDelNombreCuentaCaracteres) {
  falsa.al_get_device = [](std::int32_t indice, std::string& nombre) {
    nombre.replace(0, 16, "EXCELLA.EXC001é");  // no NUL: the last character is cut
    return indice == 1 ? 0 : 1;
  };
  EXPECT_EQ(pantalla.GetDevice(), Boolean::True);
  falsa.al_get_device = [](std::int32_t indice, std::string& nombre) {
    nombre.replace(0, 15, "EXCELLA.EXC00é");
    return indice == 1 ? 0 : 1;
  };
  EXPECT_EQ(pantalla.GetDevice(), Boolean::False);
}

TEST_F(OperacionesLectora, UnaEntradaEnBlancoNoCoincide) {
  falsa.al_get_device = [](std::int32_t indice, std::string&) { return indice <= 2 ? 0 : 1; };
  EXPECT_EQ(pantalla.GetDevice(), Boolean::False);
}

TEST_F(OperacionesLectora, ListadaPeroNoSeAbre) {
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  falsa.al_open_device = [](const std::string&) { return -1; };
  EXPECT_EQ(pantalla.EstadoLectora(), Boolean::False);
  EXPECT_EQ(falsa.Llamadas().back(), "MTMICRCloseDevice(EXCELLA.EXC001)");
  EXPECT_EQ(falsa.Cuenta("MTMICROpenDevice"), 1);
}

TEST_F(OperacionesLectora, PresenteAbreYCierraConElNombreFijo) {
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nName=OTRO.NOMBRE\r\n");
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  EXPECT_EQ(pantalla.EstadoLectora(), Boolean::True);
  const auto llamadas = falsa.Llamadas();
  ASSERT_GE(llamadas.size(), 2u);
  EXPECT_THAT(std::vector<std::string>(llamadas.end() - 2, llamadas.end()),
              ElementsAre("MTMICROpenDevice(EXCELLA.EXC001)", "MTMICRCloseDevice(EXCELLA.EXC001)"));
}

TEST_F(OperacionesLectora, VaciarBandejaAvisaYLimpiaSalidaYEntrada) {
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nName=MI.LECTORA\r\n");
  falsa.al_send_command = [](const std::string&, const std::string& comando, std::string& buffer,
                             std::int32_t& longitud) {
    if (comando == "ClearPathExit") {
      prueba::LectoraFalsa::EscribeEnBuffer(buffer, "salida");
      longitud = 7;
    }
    return 5;  // failures go unreported
  };
  EXPECT_TRUE(pantalla.VaciarBandeja().EsEmpty());
  ASSERT_EQ(operador.Mensajes().size(), 1u);
  EXPECT_EQ(operador.Mensajes()[0].texto, "Error 204 - Cheque atascado en bandeja.");
  EXPECT_EQ(operador.Mensajes()[0].titulo, "Error lectora");
  EXPECT_EQ(operador.Mensajes()[0].icono, platform::IconoMensaje::Critico);
  EXPECT_EQ(operador.Mensajes()[0].botones, platform::BotonesMensaje::Aceptar);
  const auto& registro = falsa.Registro();
  ASSERT_EQ(registro.size(), 2u);
  EXPECT_EQ(registro[0].argumentos[0], "MI.LECTORA");
  EXPECT_EQ(registro[0].argumentos[1], "ClearPathExit");
  EXPECT_EQ(registro[0].argumentos[2], std::string(1024, '\0'));
  EXPECT_EQ(registro[0].argumentos[3], "1024");
  EXPECT_EQ(registro[1].argumentos[1], "ClearPathEntry");
  // The entry command gets what the exit command left.
  EXPECT_EQ(registro[1].argumentos[2].substr(0, 7), std::string("salida\0", 7));
  EXPECT_EQ(registro[1].argumentos[3], "7");
}

TEST_F(OperacionesLectora, VaciarBandejaSinNombreEnviaAmbasOrdenes) {
  EXPECT_NO_THROW(pantalla.VaciarBandeja());
  EXPECT_THAT(falsa.Llamadas(), ElementsAre("MTMICRSendCommand(, ClearPathExit, [1024], 1024)",
                                            "MTMICRSendCommand(, ClearPathEntry, [1024], 1024)"));
}

// A screen made with a reader of its own sends it every command: the
// presence check, the open and close, and the jam's clearing. The thread's
// reader hears none of them.
TEST_F(OperacionesLectora, UsaSuPropiaLectoraNoLaDelHilo) {
  prueba::LectoraFalsa propia;
  propia.ListaDispositivos({"EXCELLA.EXC001"});
  frmConfigLectorUSB otra{propia};
  EXPECT_EQ(otra.EstadoLectora(), Boolean::True);
  otra.VaciarBandeja();
  EXPECT_THAT(propia.Llamadas(),
              ElementsAre("MTMICRGetDevice(1, [200])", "MTMICRGetDevice(2, [200])",
                          "MTMICROpenDevice(EXCELLA.EXC001)", "MTMICRCloseDevice(EXCELLA.EXC001)",
                          "MTMICRSendCommand(, ClearPathExit, [1024], 1024)",
                          "MTMICRSendCommand(, ClearPathEntry, [1024], 1024)"));
  EXPECT_THAT(falsa.Llamadas(), IsEmpty());
}

class Vigilancia : public OperacionesLectora {
 protected:
  void SetUp() override {
    pantalla.Suscribe(&oyente);
    pantalla.TmrOnOff().Interval(10ms);
  }
  void Espera() { platform::BombeaMensajes(35ms); }
  OyenteAnotador oyente;
};

TEST_F(Vigilancia, AvisaUnaVezPorCambio) {
  EXPECT_TRUE(pantalla.TmrOnOff().Enabled());  // the load step switched it on
  Espera();
  EXPECT_TRUE(oyente.activas.empty());
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  Espera();
  Espera();
  EXPECT_THAT(oyente.activas, ElementsAre(Boolean::True));
  EXPECT_EQ(pantalla.blnLectoraOn, Boolean::True);
  falsa.ListaDispositivos({});
  Espera();
  Espera();
  EXPECT_THAT(oyente.activas, ElementsAre(Boolean::True, Boolean::False));
}

TEST_F(Vigilancia, UnaBibliotecaQueFallaEsLectoraAusente) {
  pantalla.blnLectoraOn = Boolean::True;
  falsa.al_get_device = [](std::int32_t, std::string&) -> std::int32_t {
    LanzaError(errores::kErrorCargandoBiblioteca);
  };
  EXPECT_NO_THROW(Espera());
  EXPECT_THAT(oyente.activas, ElementsAre(Boolean::False));
}

TEST_F(Vigilancia, SigueMientrasEsperaUnMensaje) {
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  operador.mientrasSeMuestra = [this] { Espera(); };
  pantalla.VaciarBandeja();
  EXPECT_THAT(oyente.activas, ElementsAre(Boolean::True));
}

TEST_F(Vigilancia, DescargarParaElTemporizador) {
  pantalla.Unload();
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  Espera();
  EXPECT_TRUE(oyente.activas.empty());
  EXPECT_FALSE(pantalla.Cargada());
}

TEST(InstanciaPantalla, UnaPorHiloMientrasAlguienLaTenga) {
  auto a = frmConfigLectorUSB::Instancia(device::LectoraActual());
  auto b = frmConfigLectorUSB::Instancia(device::LectoraActual());
  EXPECT_EQ(a, b);
  const frmConfigLectorUSB* anterior = a.get();
  a.reset();
  b.reset();
  auto c = frmConfigLectorUSB::Instancia(device::LectoraActual());
  EXPECT_NE(c, nullptr);
  (void)anterior;
}

}  // namespace
}  // namespace vardel
