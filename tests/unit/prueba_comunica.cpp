// The component class: creation with the reader present or absent, the
// read request's logging switch and closing, forwarding of the screen's
// events, the shared screen object, each document heard whole by
// OyenteCheques, and the read refused to a thread other than the creator.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <thread>

#include "core/lanza_error.h"
#include "device/lectora.h"
#include "platform/ansi.h"
#include "platform/bucle.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/registro.h"
#include "support/directorio_prueba.h"
#include "support/interaccion_guionizada.h"
#include "support/lectora_falsa.h"
#include "vardel/comunica.h"
#include "vardel/fecha.h"

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
  // One document of a tray: its code line, the size text of each image it
  // has, and the fetches that fail with their result.
  struct Documento {
    explicit Documento(std::string linea) : linea(std::move(linea)) {}
    std::string linea;
    std::map<int, std::string> tamanos = {{1, "3"}, {2, "3"}, {3, "3"}};
    std::map<int, std::int32_t> fallos;
  };
  // Each capture feeds the next document, the reader reporting more while
  // any is left.
  void Bandeja(std::vector<Documento> documentos) {
    bandeja = std::move(documentos);
    pase = 0;
    falsa.al_process_check = [this](const std::string&, const std::string&, std::string& r,
                                    std::int32_t&) {
      ++pase;
      prueba::LectoraFalsa::EscribeEnBuffer(
          r, pase < static_cast<int>(bandeja.size()) ? "res DOCPRESENT" : "res");
      return 0;
    };
    falsa.al_get_value = [this](const std::string&, const std::string&, const std::string& clave,
                                std::string& valor, std::int32_t&) {
      prueba::LectoraFalsa::EscribeEnBuffer(valor, clave == "res" ? "0" : Actual().linea);
      return 0;
    };
    falsa.al_get_index_value = [this](const std::string&, const std::string&,
                                      const std::string& clave, std::int32_t k, std::string& valor,
                                      std::int32_t&) -> std::int32_t {
      const auto tamano = Actual().tamanos.find(k);
      if (tamano == Actual().tamanos.end()) {
        return 1;
      }
      prueba::LectoraFalsa::EscribeEnBuffer(
          valor, clave == "ImageSize" ? tamano->second : "img" + std::to_string(k));
      return 0;
    };
    falsa.al_get_image = [this](const std::string&, const std::string& nombre,
                                std::vector<std::uint8_t>& bytes, std::int32_t&) -> std::int32_t {
      const auto fallo = Actual().fallos.find(nombre.back() - '0');
      if (fallo != Actual().fallos.end()) {
        return fallo->second;
      }
      std::fill(bytes.begin(), bytes.end(), std::uint8_t{'x'});
      return 0;
    };
  }
  const Documento& Actual() const { return bandeja.at(static_cast<std::size_t>(pase - 1)); }

  void Config(const std::string& claves) {
    dir.Escribe("Config.ini",
                "[LectoraUSB]\r\nName=MI.LECTORA\r\nDirectorioImg=" + dir.Ruta() + "\r\n" + claves);
  }

  prueba::DirectorioPrueba dir;
  prueba::LectoraFalsa falsa;
  prueba::SustitucionLectora enUso{falsa};
  prueba::InteraccionGuionizada operador;
  Anfitrion anfitrion;
  std::vector<Documento> bandeja;
  int pase = 0;
};

// A host of whole documents, which notes each one and what the per-event
// listener had heard by then.
class AnfitrionCheques : public OyenteCheques {
 public:
  explicit AnfitrionCheques(const Anfitrion* otro = nullptr) : otro(otro) {}
  void ChequeProcesado(const Cheque& cheque) override {
    cheques.push_back(cheque);
    datosOidos.push_back(otro != nullptr ? otro->datos.size() : 0);
  }
  const Anfitrion* otro;
  std::vector<Cheque> cheques;
  std::vector<std::size_t> datosOidos;
};

// A cheque's images as "<k> <file>", then those not stored as
// "<k> no <number> <file>".
std::vector<std::string> Imagenes(const Cheque& cheque) {
  std::vector<std::string> imagenes;
  for (const ImagenCheque& imagen : cheque.imagenes) {
    imagenes.push_back(std::to_string(imagen.imagen) + " " +
                       std::filesystem::path(imagen.ruta).filename().string());
  }
  for (const ImagenNoGuardadaCheque& imagen : cheque.imagenesNoGuardadas) {
    imagenes.push_back(std::to_string(imagen.imagen) + " no " + std::to_string(imagen.numero) +
                       " " + std::filesystem::path(imagen.ruta).filename().string());
  }
  return imagenes;
}

constexpr const char* kLineaImporte = "C1234567E0049C1234E0123456789B00B0012A000012345C";
constexpr const char* kLineaVencimiento = "C4567890E2100C0813E0200098765B00B0017A311226D";

TEST_F(ClaseComunica, CreacionConLectoraPresente) {
  Config("");
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  Comunica comunica(&anfitrion);
  EXPECT_EQ(falsa.Llamadas()[0], "MTMICROpenDevice(MI.LECTORA)");
  EXPECT_EQ(falsa.Llamadas().back(), "MTMICRCloseDevice(EXCELLA.EXC001)");
  EXPECT_EQ(frmConfigLectorUSB::Instancia(device::LectoraActual())->blnLectoraOn, Boolean::True);
  EXPECT_TRUE(frmConfigLectorUSB::Instancia(device::LectoraActual())->TmrOnOff().Enabled());
  EXPECT_EQ(comunica.blnLogActivo(), Boolean::False);
  EXPECT_FALSE(dir.Existe("Lectora.log"));
  EXPECT_EQ(falsa.Cuenta("MTMICRCloseDevice"), 1);  // creation never closes its own open
}

TEST_F(ClaseComunica, CreacionConLectoraAusenteRegistraSiempre) {
  Config("LogActivo=N\r\n");
  falsa.al_open_device = [](const std::string&) { return -12; };
  Comunica comunica(&anfitrion);
  EXPECT_EQ(frmConfigLectorUSB::Instancia(device::LectoraActual())->blnLectoraOn, Boolean::False);
  EXPECT_TRUE(frmConfigLectorUSB::Instancia(device::LectoraActual())->TmrOnOff().Enabled());
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
  auto pantalla = frmConfigLectorUSB::Instancia(device::LectoraActual());
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
  EXPECT_TRUE(frmConfigLectorUSB::Instancia(device::LectoraActual())->TmrOnOff().Enabled());
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
  EXPECT_TRUE(frmConfigLectorUSB::Instancia(device::LectoraActual())->TmrOnOff().Enabled());
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
  auto pantalla = frmConfigLectorUSB::Instancia(device::LectoraActual());
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
  std::weak_ptr<frmConfigLectorUSB> pantalla =
      frmConfigLectorUSB::Instancia(device::LectoraActual());
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

// Each document once, after its LectoraDatos, with its fields typed, its
// images, those not stored, and whether it must be fed again: a read
// cheque, one whose back image was lost, and one whose line was not read.
TEST_F(ClaseComunica, OyenteChequesOyeCadaDocumentoEntero) {
  Config("");
  Documento sinReverso(kLineaVencimiento);
  sinReverso.fallos[2] = -3;
  Bandeja({Documento(kLineaImporte), sinReverso, Documento("C789?123E0049C1234E01B00B0012A")});
  Comunica comunica(&anfitrion);
  AnfitrionCheques oyente(&anfitrion);
  comunica.EstableceOyenteCheques(&oyente);
  comunica.Terminate();

  ASSERT_EQ(oyente.cheques.size(), 3u);
  EXPECT_THAT(oyente.datosOidos, ElementsAre(1u, 2u, 3u));
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(oyente.cheques[i].documento, static_cast<std::int32_t>(i + 1));
    EXPECT_EQ(oyente.cheques[i].Dato, anfitrion.datos[i]);
  }
  const Cheque& leido = oyente.cheques[0];
  EXPECT_EQ(leido.NumDoc, "1234567");
  EXPECT_EQ(leido.Entidad, "0049");
  EXPECT_EQ(leido.Importe, 123.45);
  EXPECT_EQ(leido.FechaVto, std::nullopt);
  EXPECT_THAT(Imagenes(leido),
              ElementsAre("1 ANV00491234567.tif", "2 REV00491234567.tif", "3 ANV00491234567.jpg"));
  EXPECT_FALSE(leido.volverAPasar);
  // No amount: absent, not a number; the lost back image sends it back.
  const Cheque& sinImagen = oyente.cheques[1];
  EXPECT_EQ(sinImagen.Importe, std::nullopt);
  EXPECT_EQ(sinImagen.FechaVto, FechaDesdeCivil(FechaCivil{2026, 12, 31}));
  EXPECT_THAT(Imagenes(sinImagen), ElementsAre("1 ANV21004567890.tif", "3 ANV21004567890.jpg",
                                               "2 no -3 REV21004567890.tif"));
  EXPECT_TRUE(sinImagen.volverAPasar);
  const Cheque& ilegible = oyente.cheques[2];
  EXPECT_EQ(ilegible.NumDoc, std::nullopt);
  ASSERT_EQ(ilegible.IDERR, anfitrion.datos[2]->Item("IDERR").AsInteger());
  EXPECT_EQ(ilegible.Error, anfitrion.datos[2]->Item("Error").AsString());
  EXPECT_EQ(Imagenes(ilegible)[0], "1 ERRANV" + std::to_string(*ilegible.IDERR) + ".tif");
  EXPECT_TRUE(ilegible.volverAPasar);
}

// An exception of either listener ends the read after the document it was
// thrown for, and the other listener still hears that document.
TEST_F(ClaseComunica, LaExcepcionDeUnOyenteAcabaLaLecturaTrasSuDocumento) {
  Config("");
  struct Lanza : Anfitrion {
    void LectoraDatos(const std::shared_ptr<Collection>& Dato) override {
      Anfitrion::LectoraDatos(Dato);
      throw std::runtime_error("del anfitrión");
    }
  } lanza;
  struct LanzaCheques : AnfitrionCheques {
    void ChequeProcesado(const Cheque& cheque) override {
      AnfitrionCheques::ChequeProcesado(cheque);
      throw std::runtime_error("de los cheques");
    }
  } lanzaCheques;
  for (const bool primero : {true, false}) {
    Bandeja({Documento(kLineaImporte), Documento(kLineaImporte)});
    Anfitrion normal;
    AnfitrionCheques cheques;
    Comunica comunica(primero ? &lanza : &normal);
    comunica.EstableceOyenteCheques(primero ? &cheques : &lanzaCheques);
    try {
      comunica.Terminate();
      FAIL();
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), primero ? "del anfitrión" : "de los cheques");
    }
    EXPECT_EQ(pase, 1) << primero;
    EXPECT_EQ((primero ? cheques : lanzaCheques).cheques.size(), 1u) << primero;
    EXPECT_EQ((primero ? lanza : normal).datos.size(), 1u) << primero;
  }
}

// A run-time error between a document's images and its LectoraDatos ends
// the read: the cheque has left the tray, so it is heard first, to be fed
// again, and Terminate throws the error.
TEST_F(ClaseComunica, ElChequeQueUnErrorInterrumpeSeOyeAntesDelError) {
  Config("");
  Documento roto(kLineaImporte);
  roto.tamanos[2] = "no es un número";
  Bandeja({Documento(kLineaVencimiento), roto, Documento(kLineaImporte)});
  Comunica comunica(&anfitrion);
  AnfitrionCheques oyente;
  comunica.EstableceOyenteCheques(&oyente);
  try {
    comunica.Terminate();
    FAIL();
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), errores::kTiposNoCoinciden);
  }
  EXPECT_EQ(anfitrion.datos.size(), 1u);
  ASSERT_EQ(oyente.cheques.size(), 2u);
  const Cheque& interrumpido = oyente.cheques[1];
  EXPECT_EQ(interrumpido.documento, 2);
  EXPECT_EQ(interrumpido.NumDoc, std::nullopt);
  EXPECT_THAT(Imagenes(interrumpido),
              ElementsAre("1 ANV00491234567.tif", "2 no 13 REV00491234567.tif"));
  EXPECT_TRUE(interrumpido.volverAPasar);
}

// The read belongs to the creating thread, whose loop holds the presence
// watch: from another it is refused before the reader is touched, and the
// creator can still read.
TEST_F(ClaseComunica, TerminateDesdeOtroHiloSeRechaza) {
  Config("");
  UnChequePorCaptura("res");
  Comunica comunica(&anfitrion);
  falsa.Olvida();
  std::optional<ErrorEjecucion> error;
  std::thread([&] {
    try {
      comunica.Terminate();
    } catch (const ErrorEjecucion& e) {
      error = e;
    }
  }).join();
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Numero(), errores::kArgumentoNoValido);
  EXPECT_NE(error->Descripcion().find("hilo"), std::string::npos) << error->Descripcion();
  EXPECT_TRUE(falsa.Llamadas().empty());
  EXPECT_TRUE(anfitrion.datos.empty());
  EXPECT_TRUE(frmConfigLectorUSB::Instancia(device::LectoraActual())->TmrOnOff().Enabled());
  comunica.Terminate();
  EXPECT_EQ(anfitrion.datos.size(), 1u);
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
