// The capture cycle and its image step, against the recording fake: passes,
// markers, the error counter, the event's data, the image files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "capture/capture.h"
#include "capture/nombres_imagen.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/registro.h"
#include "support/directorio_prueba.h"
#include "support/entorno_prueba.h"
#include "support/interaccion_guionizada.h"
#include "support/lectora_falsa.h"
#include "vardel/error.h"

namespace vardel {
namespace {

using testing::ElementsAre;

// One document as the fake reader reports it.
struct Documento {
  std::int32_t resultado = 0;
  std::string respuestaExtra;               // more text of the result document (markers)
  std::string estado = "0";                 // CommandStatus/res
  std::string linea;                        // DocInfo/MICRRaw
  std::map<int, std::string> imagenes;      // index -> bytes
  std::map<int, std::int32_t> falloImagen;  // index -> MTMICRGetImage result
  std::map<int, std::string> tamanoTexto;   // index -> size text, instead of the real one
};

const char* const kLinea = "C1234567E0049C1234E0123456789B00B0012A000012345C";

class Ciclo : public testing::Test {
 protected:
  void SetUp() override {
    dir.Escribe("Config.ini",
                "[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nDirectorioImg=" + dir.Ruta() + "\r\n");
    // The result document names the pass; values are looked up by it.
    falsa.al_process_check = [this](const std::string&, const std::string&, std::string& respuesta,
                                    std::int32_t& longitud) -> std::int32_t {
      respuestasVistas.push_back(respuesta);
      longitudesVistas.push_back(longitud);
      if (bandeja.empty()) {
        return 13;
      }
      actual = bandeja.front();
      bandeja.pop_front();
      std::string texto = "DOC" + std::to_string(++pase) + actual.respuestaExtra;
      if (!bandeja.empty()) {
        texto += " DOCPRESENT";
      }
      prueba::LectoraFalsa::EscribeEnBuffer(respuesta, texto);
      return actual.resultado;
    };
    falsa.al_get_value = [this](const std::string&, const std::string& seccion,
                                const std::string& clave, std::string& valor, std::int32_t&) {
      if (seccion == "CommandStatus" && clave == "res") {
        prueba::LectoraFalsa::EscribeEnBuffer(valor, actual.estado);
      } else if (seccion == "DocInfo" && clave == "MICRRaw") {
        prueba::LectoraFalsa::EscribeEnBuffer(valor, actual.linea);
      }
      return 0;
    };
    falsa.al_get_index_value = [this](const std::string&, const std::string&,
                                      const std::string& clave, std::int32_t k, std::string& valor,
                                      std::int32_t&) -> std::int32_t {
      const auto imagen = actual.imagenes.find(k);
      if (imagen == actual.imagenes.end()) {
        return 1;
      }
      if (clave == "ImageSize") {
        const auto texto = actual.tamanoTexto.find(k);
        prueba::LectoraFalsa::EscribeEnBuffer(valor, texto != actual.tamanoTexto.end()
                                                         ? texto->second
                                                         : std::to_string(imagen->second.size()));
      } else {
        prueba::LectoraFalsa::EscribeEnBuffer(valor, "img" + std::to_string(k));
      }
      return 0;
    };
    falsa.al_get_image = [this](const std::string&, const std::string& nombre,
                                std::vector<std::uint8_t>& bytes, std::int32_t&) -> std::int32_t {
      const int k = nombre.back() - '0';
      const auto fallo = actual.falloImagen.find(k);
      if (fallo != actual.falloImagen.end()) {
        return fallo->second;
      }
      const std::string& contenido = actual.imagenes[k];
      std::copy(
          contenido.begin(),
          contenido.begin() + static_cast<std::ptrdiff_t>(std::min(contenido.size(), bytes.size())),
          bytes.begin());
      return 0;
    };
    pantalla.TmrOnOff();  // loaded, as a Comunica leaves it
  }

  void TearDown() override { Configuracion::strDirectorioLog().clear(); }

  void Ejecuta(Boolean log = Boolean::False) {
    capture::Contexto contexto(falsa);
    contexto.blnLogActivo = [log] { return log; };
    contexto.PantallaConfig = &pantalla;
    contexto.LectoraDatos = [this](const std::shared_ptr<Collection>& dato) {
      eventos.push_back(dato);
    };
    capture::ProcesaCheques(contexto);
  }

  static Documento Cheque(std::string linea = kLinea) {
    Documento d;
    d.linea = std::move(linea);
    d.imagenes = {{1, "frente"}, {2, "dorso"}, {3, "jpeg"}};
    return d;
  }

  std::string Log() const { return platform::DesdeAnsi(dir.Lee("Lectora.log")); }

  prueba::DirectorioPrueba dir;
  prueba::LectoraFalsa falsa;
  prueba::SustitucionLectora enUso{falsa};
  prueba::InteraccionGuionizada operador;
  frmConfigLectorUSB pantalla{falsa};
  std::deque<Documento> bandeja;
  Documento actual;
  int pase = 0;
  std::vector<std::shared_ptr<Collection>> eventos;
  std::vector<std::string> respuestasVistas;
  std::vector<std::int32_t> longitudesVistas;
};

// An ordinary read with logging off writes nothing: an empty tray, a good
// tray, a jam (named by its own handling, to the operator).
TEST_F(Ciclo, BandejaVaciaUnPaseSinEventoYNadaEnElRegistro) {
  Ejecuta();
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 1);
  EXPECT_TRUE(eventos.empty());
  EXPECT_TRUE(pantalla.TmrOnOff().Enabled());
  Documento atasco = Cheque();
  atasco.respuestaExtra = " >204< ";
  atasco.resultado = 204;
  bandeja = {Cheque(), atasco, Cheque()};
  Ejecuta();
  EXPECT_EQ(eventos.size(), 2u);
  EXPECT_FALSE(dir.Existe("Lectora.log")) << Log();
}

TEST_F(Ciclo, TresDocumentosTresEventosConSusDatosEImagenes) {
  bandeja = {Cheque(), Cheque("C1E0075C0001E111B22B33A"), Cheque()};
  Ejecuta();
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 3);
  ASSERT_EQ(eventos.size(), 3u);
  ASSERT_NE(eventos[0], nullptr);
  EXPECT_EQ(eventos[0]->Item("Entidad").AsString(), "0049");
  EXPECT_EQ(eventos[1]->Item("NumDoc").AsString(), "1");
  EXPECT_NE(eventos[0], eventos[2]);  // a new collection for every document
  EXPECT_EQ(dir.Lee("ANV00491234567.tif"), "frente");
  EXPECT_EQ(dir.Lee("REV00491234567.tif"), "dorso");
  EXPECT_EQ(dir.Lee("ANV00491234567.jpg"), "jpeg");
  EXPECT_EQ(dir.Lee("ANV00751.tif"), "frente");
}

TEST_F(Ciclo, CadaLlamadaRecibeUnBufferLimpioConSuCapacidad) {
  bandeja = {Cheque(), Cheque()};
  falsa.al_process_check = [original = falsa.al_process_check](const std::string& d,
                                                               const std::string& o, std::string& r,
                                                               std::int32_t& l) {
    const auto resultado = original(d, o, r, l);
    l = 17;  // whatever the library hands back
    return resultado;
  };
  Ejecuta();
  ASSERT_EQ(respuestasVistas.size(), 2u);
  for (std::size_t i = 0; i < respuestasVistas.size(); ++i) {
    EXPECT_EQ(respuestasVistas[i], std::string(4096, '\0'));
    EXPECT_EQ(longitudesVistas[i], 4096);
  }
}

TEST_F(Ciclo, UnaLlamadaFallidaQueNoEscribeNadaTerminaElCiclo) {
  // The first document reports a further one; the second call fails and
  // writes nothing. The old "DOCPRESENT" must not keep the loop going.
  bandeja = {Cheque(), Cheque()};
  int llamadas = 0;
  falsa.al_process_check = [&llamadas, original = falsa.al_process_check](
                               const std::string& d, const std::string& o, std::string& r,
                               std::int32_t& l) -> std::int32_t {
    if (++llamadas == 2) {
      return 99;
    }
    return original(d, o, r, l);
  };
  Ejecuta();
  EXPECT_EQ(llamadas, 2);
  EXPECT_EQ(eventos.size(), 1u);
}

TEST_F(Ciclo, MarcadoresEnMinusculasNoCuentan) {
  Documento d = Cheque();
  d.respuestaExtra = " docpresent >204< ";
  bandeja = {d, Cheque()};
  falsa.al_process_check = [this](const std::string&, const std::string&, std::string& r,
                                  std::int32_t&) {
    actual = bandeja.front();
    bandeja.pop_front();
    prueba::LectoraFalsa::EscribeEnBuffer(r, "x docpresent");
    return 0;
  };
  Ejecuta();
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 1);
  EXPECT_TRUE(operador.Mensajes().empty());
}

TEST_F(Ciclo, AtascoVaciaLaBandejaYSoloRegistraConRegistroActivo) {
  Documento atasco = Cheque();
  atasco.respuestaExtra = " >204< ";
  atasco.resultado = 0;
  bandeja = {atasco};
  Ejecuta(Boolean::False);
  EXPECT_EQ(operador.Mensajes().size(), 1u);
  EXPECT_EQ(falsa.Cuenta("MTMICRSendCommand"), 2);
  EXPECT_EQ(eventos.size(), 1u);  // a result 0 goes on with the document
  EXPECT_FALSE(dir.Existe("Lectora.log"));

  atasco.resultado = 204;
  bandeja = {atasco};
  eventos.clear();
  Ejecuta(Boolean::True);
  EXPECT_EQ(operador.Mensajes().size(), 2u);
  EXPECT_TRUE(eventos.empty());
  const std::string log = Log();
  EXPECT_NE(log.find(" - 204 - Atasco de cheques en bandeja de entrada/salida \r\n"),
            std::string::npos)
      << log;

  // The reader of the read clears the path, not the thread's: another
  // reader put in the thread's place hears nothing.
  prueba::LectoraFalsa otra;
  const prueba::SustitucionLectora otraEnUso{otra};
  bandeja = {atasco};
  Ejecuta(Boolean::False);
  EXPECT_EQ(falsa.Cuenta("MTMICRSendCommand"), 6);
  EXPECT_EQ(otra.Cuenta("MTMICRSendCommand"), 0);
}

TEST_F(Ciclo, ElAtascoConResultadoCeroLlevaElCero) {
  Documento atasco = Cheque();
  atasco.respuestaExtra = ">204<";
  bandeja = {atasco};
  Ejecuta(Boolean::True);
  EXPECT_NE(Log().find(" - 0 - Atasco de cheques"), std::string::npos);
}

TEST_F(Ciclo, EstadoDelDocumento) {
  Documento vacio = Cheque();
  vacio.estado = "";
  Documento malo = Cheque();
  malo.estado = "5 no leido";
  Documento cero = Cheque("C2E0049C1234E0123456789B00B0012A000012345C");
  cero.estado = " 0";
  bandeja = {vacio, malo, cero};
  Ejecuta();
  ASSERT_EQ(eventos.size(), 3u);
  EXPECT_NE(eventos[0], nullptr);
  // A bad status reads nothing and carries no data, never the earlier one.
  EXPECT_EQ(eventos[1], nullptr);
  EXPECT_NE(eventos[2], nullptr);
  EXPECT_EQ(falsa.Cuenta("MTMICRGetValue"), 2 + 1 + 2);
  EXPECT_EQ(falsa.Cuenta("MTMICRGetImage"), 3 + 3);
}

// Only spaces lead the status's number: after a tab or a line break there
// is no number, which reads as 0 and lets the document be read.
TEST_F(Ciclo, ElEstadoSoloSaltaBlancosDelante) {
  const std::pair<const char*, bool> casos[] = {{"\t5", true}, {"\r\n5", true}, {"  5", false}};
  for (const auto& caso : casos) {
    bandeja.push_back(Cheque());
    bandeja.back().estado = caso.first;
  }
  Ejecuta();
  ASSERT_EQ(eventos.size(), std::size(casos));
  for (std::size_t i = 0; i < eventos.size(); ++i) {
    EXPECT_EQ(eventos[i] != nullptr, casos[i].second) << casos[i].first;
  }
}

TEST_F(Ciclo, LongitudDeLaLineaSegunLaLecturaDelEstado) {
  std::vector<std::size_t> capacidades;
  std::int32_t devuelta = 0;
  falsa.al_get_value = [&](const std::string&, const std::string&, const std::string& clave,
                           std::string& valor, std::int32_t& longitud) {
    if (clave == "res") {
      prueba::LectoraFalsa::EscribeEnBuffer(valor, "0");
      longitud = devuelta;
    } else {
      capacidades.push_back(valor.size());
      EXPECT_EQ(static_cast<std::size_t>(longitud), valor.size());
      prueba::LectoraFalsa::EscribeEnBuffer(valor, kLinea);
    }
    return 0;
  };
  for (const std::int32_t longitud : {60, 0, -5, 5000, 1024}) {
    devuelta = longitud;
    bandeja = {Cheque()};
    Ejecuta();
  }
  EXPECT_THAT(capacidades, ElementsAre(60u, 1024u, 1024u, 1024u, 1024u));
}

TEST_F(Ciclo, NumerosDeErrorLibres) {
  dir.Escribe("ERRANV1.tif", "");
  dir.Escribe("ERRANV2.tif", "");
  std::filesystem::create_directory(dir.Archivo("ERRANV3.tif"));
  // Another reader's claim, left by a killed one: the number is skipped.
  dir.Escribe("vardel-numero-5.reserva", "");
#ifdef _WIN32
  // Another reader's claim just given up, deleted while a handle of its
  // still holds it: Windows answers "access denied" at its name, and the
  // number is skipped rather than the read refused.
  dir.Escribe("vardel-numero-7.reserva", "");
  const HANDLE abierta =
      CreateFileA(dir.Archivo("vardel-numero-7.reserva").c_str(), GENERIC_READ | DELETE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(abierta, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(DeleteFileA(dir.Archivo("vardel-numero-7.reserva").c_str()));
#endif
  Documento fallo = Cheque();
  fallo.resultado = 7;
  bandeja = {fallo, Cheque("?"), Cheque("?")};
  Ejecuta();
  EXPECT_FALSE(dir.Existe("ERRANV4.tif"));  // the failed pass took number 4
  EXPECT_EQ(dir.Lee("ERRANV6.tif"), "frente");
  EXPECT_EQ(dir.Lee("ERRREV6.tif"), "dorso");
  EXPECT_EQ(dir.Lee("ERRANV6.jpg"), "jpeg");
#ifdef _WIN32
  CloseHandle(abierta);
  const std::int16_t ultimo = 8;
#else
  const std::int16_t ultimo = 7;
#endif
  EXPECT_TRUE(dir.Existe("ERRANV" + std::to_string(ultimo) + ".tif"));
  ASSERT_EQ(eventos.size(), 2u);
  ASSERT_NE(eventos[0], nullptr);
  EXPECT_EQ(eventos[0]->Count(), 2);
  EXPECT_EQ(eventos[0]->Item("IDERR"), Variant::Integer(6));
  EXPECT_EQ(eventos[0]->Item("Error").AsString(),
            "Error: 99 - No se ha recogido ningún dato del documento. Vuelva a pasar el talón.");
  EXPECT_EQ(eventos[1]->Item(1), Variant::Integer(ultimo));
  // Each pass gave its claim up; the stale one stays.
  EXPECT_TRUE(dir.Existe("vardel-numero-5.reserva"));
  for (const char* numero : {"4", "6", "7", "8"}) {
    EXPECT_FALSE(dir.Existe(std::string("vardel-numero-") + numero + ".reserva"));
  }
}

TEST_F(Ciclo, LineaNoLeidaSinImagen3NoLlevaDatos) {
  // What the reader sends cannot break or forge a line of the log.
  // A real ESC and the text "\x1B" give two lines, a lone backslash stays.
  Documento d = Cheque("?\r\n1/1/2026 - 0 - falsa\tX\x7f\x1b\\x1B\\y");
  d.imagenes.erase(3);
  bandeja = {d};
  Ejecuta();
  ASSERT_EQ(eventos.size(), 1u);
  EXPECT_EQ(eventos[0], nullptr);
  EXPECT_TRUE(dir.Existe("ERRANV1.tif"));
  EXPECT_TRUE(dir.Existe("ERRREV1.tif"));
  EXPECT_THAT(Log(), testing::EndsWith(" - 0 - Documento sin datos, número de error 1, línea "
                                       "\"?\\x0D\\x0A1/1/2026 - 0 - falsa\\x09X\\x7F\\x1B"
                                       "\\x5Cx1B\\y\" Vuelva a "
                                       "pasar el talón \r\n"));
}

TEST_F(Ciclo, ImagenDeTamanoCeroYFalloDeLaImagen) {
  Documento d = Cheque();
  d.tamanoTexto[2] = "0";
  d.falloImagen[3] = -3;
  bandeja = {d};
  Ejecuta(Boolean::True);
  EXPECT_TRUE(dir.Existe("ANV00491234567.tif"));
  EXPECT_FALSE(dir.Existe("REV00491234567.tif"));
  EXPECT_FALSE(dir.Existe("ANV00491234567.jpg"));
  const std::string log = Log();
  EXPECT_NE(log.find(" - -3 - Error al procesar imagen 3 \r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("imagen 2"), std::string::npos);
}

// A size is tested for 0 as the number it reads as, before rounding: "0.4"
// and "0.5" round to 0 bytes yet are named, fetched and written. The size
// text reads as the platform's conversion reads it, blanks and exponent too.
TEST_F(Ciclo, ElCeroSeMiraAntesDeRedondearElTamano) {
  Documento d = Cheque();
  d.tamanoTexto = {{1, "0.4"}, {2, "0.5"}, {3, " 1e1 "}};
  bandeja = {d};
  Ejecuta();
  EXPECT_EQ(falsa.Cuenta("MTMICRGetIndexValue"), 6);
  EXPECT_THAT(falsa.Llamadas(), testing::Contains("MTMICRGetImage(EXCELLA.EXC001, img1, [0], 0)"));
  EXPECT_EQ(falsa.Cuenta("MTMICRGetImage"), 3);
  EXPECT_TRUE(dir.Existe("ANV00491234567.tif"));
  EXPECT_EQ(dir.Lee("ANV00491234567.tif"), "");
  EXPECT_EQ(dir.Lee("REV00491234567.tif"), "");
  EXPECT_EQ(dir.Lee("ANV00491234567.jpg"), std::string("jpeg\0\0\0\0\0\0", 10));
}

TEST_F(Ciclo, UnaImagenExistenteSeReemplazaEntera) {
  dir.Escribe("ANV00491234567.tif", "una imagen anterior mucho mas larga");
  bandeja = {Cheque()};
  Ejecuta();
  EXPECT_EQ(dir.Lee("ANV00491234567.tif"), "frente");
}

TEST_F(Ciclo, UnDirectorioConSeparadorFinalDaDosSeparadores) {
  dir.Escribe("Config.ini", std::string("[LectoraUSB]\r\nDirectorioImg=") + dir.Ruta() +
                                platform::kSeparador + "\r\n");
  bandeja = {Cheque()};
  Ejecuta();
  // The platform accepts the doubled separator: the files land in the folder.
  EXPECT_EQ(dir.Lee("ANV00491234567.tif"), "frente");
  EXPECT_EQ(dir.Lee("ANV00491234567.jpg"), "jpeg");
  EXPECT_EQ(capture::NombreArchivoImagen(2, eventos.at(0)), "REV00491234567.tif");
}

// One cheque, one name: fields that differ never share a file, none leaves
// the folder, and plain digits stay as they were.
TEST_F(Ciclo, CadaChequeTieneSusNombresYNoSalenDelDirectorio) {
  const std::pair<const char*, const char*> casos[] = {
      {"C1234567E0049C1234E0123456789B00B0012A000012345C", "ANV00491234567.tif"},
      {"C12/45E0049C1234E0123456789B00B0012A000012345C", "ANV004912_2F45.tif"},
      {"C12.45E0049C1234E0123456789B00B0012A000012345C", "ANV004912_2E45.tif"},
      {"C12_2F45E0049C1234E0123456789B00B0012A000012345C", "ANV004912_5F2F45.tif"},
      {"C12xE0049C1234E0123456789B00B0012A000012345C", "ANV004912_78.tif"},
      {"C12XE0049C1234E0123456789B00B0012A000012345C", "ANV004912X.tif"},
      {"C../x/E../.C1234E0123456789B00B0012A000012345C", "ANV_2E_2E_2F_2E_2E_2E_2F_78_2F.tif"},
  };
  for (const auto& caso : casos) {
    bandeja.push_back(Cheque(caso.first));
    bandeja.back().imagenes[1] = caso.second;
  }
  Ejecuta();
  ASSERT_EQ(eventos.size(), std::size(casos));
  for (const auto& caso : casos) {
    EXPECT_EQ(dir.Lee(caso.second), caso.second);
  }
  EXPECT_EQ(eventos.back()->Item("NumDoc").AsString(), "../x/");  // the data keep the field
}

TEST_F(Ciclo, TamanoQueNoEsNumeroOSinDirectorioParanElCiclo) {
  Documento d = Cheque();
  d.tamanoTexto[1] = "mucho";
  bandeja = {d};
  pantalla.TmrOnOff().Enabled(true);
  EXPECT_THROW(Ejecuta(), ErrorEjecucion);
  EXPECT_FALSE(pantalla.TmrOnOff().Enabled());  // a failed run leaves it off

  dir.Escribe("Config.ini", "[LectoraUSB]\r\nDirectorioImg=" + dir.Archivo("no-existe") + "\r\n");
  bandeja = {Cheque()};
  try {
    Ejecuta();
    FAIL();
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 76);
  }
}

TEST_F(Ciclo, ElTemporizadorApagadoSeEnciendeAlFinal) {
  pantalla.TmrOnOff().Enabled(false);
  bool apagadoDuranteLaCaptura = false;
  falsa.al_process_check = [&](const std::string&, const std::string&, std::string&,
                               std::int32_t&) {
    apagadoDuranteLaCaptura = !pantalla.TmrOnOff().Enabled();
    return 1;
  };
  Ejecuta();
  EXPECT_TRUE(apagadoDuranteLaCaptura);
  EXPECT_TRUE(pantalla.TmrOnOff().Enabled());
}

// Every number in use refuses the read before a cheque is fed, telling the
// operator what to do; the folder's hint then spares the next read the
// walk from 1, and archiving the error images starts again from 1.
TEST_F(Ciclo, TodosLosNumerosOcupadosRechazanLaLecturaAntesDeLaPrimeraCaptura) {
#ifdef _WIN32
  // 32767 files and as many settings reads take minutes under Wine; the
  // code is the same portable loop, and the platform calls it makes are
  // covered by the other cases.
  GTEST_SKIP() << "natively only";
#endif
  for (int i = 1; i <= 32767; ++i) {
    std::ofstream(dir.Archivo("ERRANV" + std::to_string(i) + ".tif"));
  }
  bandeja = {Cheque()};
  try {
    Ejecuta();
    FAIL();
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 67);
    EXPECT_NE(e.Descripcion().find("archive las imágenes de error"), std::string::npos)
        << e.Descripcion();
  }
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 0);

  // With 32767 free, the pass takes it and moving on past it overflows.
  std::filesystem::remove(dir.Archivo("ERRANV32767.tif"));
  bandeja = {Cheque("?")};
  EXPECT_THROW(Ejecuta(), ErrorEjecucion);
  EXPECT_TRUE(dir.Existe("ERRANV32767.tif"));
  EXPECT_EQ(eventos.size(), 1u);
  EXPECT_FALSE(pantalla.TmrOnOff().Enabled());
  EXPECT_EQ(dir.Lee("vardel-numero.pista"), "32767");

  // Archived: the hint no longer holds, and numbering starts again from 1.
  for (int i = 1; i <= 32767; ++i) {
    std::filesystem::remove(dir.Archivo("ERRANV" + std::to_string(i) + ".tif"));
  }
  eventos.clear();
  bandeja = {Cheque("?")};
  Ejecuta();
  EXPECT_TRUE(dir.Existe("ERRANV1.tif"));
}

TEST_F(Ciclo, UnNumeroDeErrorEnUsoPorCualquieraDeSusNombresSeSalta) {
  dir.Escribe("ERRREV1.tif", "anterior");
  dir.Escribe("ERRANV2.jpg", "anterior");
  bandeja = {Cheque("?"), Cheque("?")};
  // Taken while the read runs: the next pass skips it too.
  falsa.al_process_check = [this, original = falsa.al_process_check](
                               const std::string& d, const std::string& o, std::string& r,
                               std::int32_t& l) {
    if (pase == 0) {
      dir.Escribe("ERRANV4.jpg", "de otro");
    }
    return original(d, o, r, l);
  };
  Ejecuta();
  ASSERT_EQ(eventos.size(), 2u);
  EXPECT_EQ(eventos[0]->Item("IDERR"), Variant::Integer(3));
  EXPECT_EQ(eventos[1]->Item("IDERR"), Variant::Integer(5));
  EXPECT_EQ(dir.Lee("ERRREV1.tif"), "anterior");
  EXPECT_EQ(dir.Lee("ERRANV2.jpg"), "anterior");
  EXPECT_EQ(dir.Lee("ERRANV4.jpg"), "de otro");
  EXPECT_EQ(dir.Lee("ERRANV5.jpg"), "jpeg");
}

TEST_F(Ciclo, NadaSeAlimentaSiLasImagenesNoSePuedenGuardar) {
  dir.Escribe("un-archivo", "");
  std::filesystem::create_directory(dir.Archivo("solo-lectura"));
  struct Caso {
    std::string directorio;
    std::int32_t error;
    std::string descripcion;  // a part of it
  };
  std::vector<Caso> casos = {
      {dir.Archivo("un-archivo"), 76, ""},
      {"", 76, "DirectorioImg de Config.ini está vacío"},
      {dir.Ruta() + std::string(200, 'x'), 76, "DirectorioImg de Config.ini tiene más de 127"},
      {dir.Archivo("no-existe"), 76, ""},
  };
#ifndef _WIN32
  std::filesystem::permissions(dir.Archivo("solo-lectura"), std::filesystem::perms::owner_read |
                                                                std::filesystem::perms::owner_exec);
  if (::geteuid() != 0) {
    casos.push_back({dir.Archivo("solo-lectura"), 70, ""});
  }
#endif
  for (const Caso& caso : casos) {
    dir.Escribe("Config.ini", "[LectoraUSB]\r\nDirectorioImg=" + caso.directorio + "\r\n");
    falsa.Olvida();
    bandeja = {Cheque()};
    try {
      Ejecuta(Boolean::True);
      ADD_FAILURE() << caso.directorio;
    } catch (const ErrorEjecucion& e) {
      EXPECT_EQ(e.Numero(), caso.error) << caso.directorio;
      EXPECT_NE(e.Descripcion().find(caso.descripcion), std::string::npos) << e.Descripcion();
      // What to mend and where, for the operator (the folder as a read
      // gives it); the log keeps the description alone.
      EXPECT_THAT(
          e.Detalle(),
          testing::AllOf(
              testing::StartsWith("carpeta de imágenes \"" + caso.directorio.substr(0, 127)),
              testing::EndsWith("\" (DirectorioImg en " + dir.Archivo("Config.ini") + ")")));
      EXPECT_NE(Log().find(" - " + std::to_string(caso.error) +
                           " - No se pueden guardar las imágenes: " + e.Descripcion() + " \r\n"),
                std::string::npos)
          << Log();
    }
    EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 0) << caso.directorio;
  }
  std::filesystem::permissions(dir.Archivo("solo-lectura"), std::filesystem::perms::owner_all);
}

TEST_F(Ciclo, CadaDocumentoAlimentadoSinDatosDejaSuTrazaConElRegistroApagado) {
  Documento malo = Cheque();
  malo.estado = "5 no leido";
  Documento enorme = Cheque();
  enorme.tamanoTexto[2] = "67108865";  // one byte beyond 64 MiB
  Documento sinLinea = Cheque("?");
  sinLinea.imagenes.erase(3);
  Documento fallo = Cheque();
  fallo.resultado = 13;
  bandeja = {malo, enorme, sinLinea, fallo};
  Ejecuta(Boolean::False);
  const std::string log = Log();
  const std::string ruta = dir.Archivo("REV00491234567.tif");
  for (const std::string& linea : {
           std::string(
               " - 5 - Documento sin datos, número de error 1, línea \"\" Vuelva a pasar el "
               "talón \r\n"),
           " - 7 - Imagen 2 no guardada (" + ruta + "), número de error 2, línea \"" + kLinea +
               "\" Vuelva a pasar el talón \r\n",
           std::string(" - 0 - Documento sin datos, número de error 3, línea \"?\" Vuelva a pasar "
                       "el talón \r\n"),
           // Whether it fed a document or found the tray empty, no one can tell.
           std::string(" - 13 - Captura fallida, número de error 4, línea \"\" Si un talón salió "
                       "de la bandeja, vuelva a pasarlo \r\n"),
       }) {
    EXPECT_NE(log.find(linea), std::string::npos) << linea << "\n" << log;
  }
  EXPECT_FALSE(dir.Existe("REV00491234567.tif"));
  EXPECT_EQ(eventos.size(), 3u);
}

TEST_F(Ciclo, UnaImagenQueNoSeGuardaNombraElChequeYTerminaLaLectura) {
  // A folder under the image's name: the write fails after the check.
  std::filesystem::create_directory(dir.Archivo("REV00491234567.tif"));
  bandeja = {Cheque(), Cheque()};
  std::int32_t numero = 0;
  try {
    Ejecuta(Boolean::False);
    FAIL();
  } catch (const ErrorEjecucion& e) {
    numero = e.Numero();
  }
  EXPECT_TRUE(eventos.empty());
  EXPECT_NE(Log().find(" - " + std::to_string(numero) + " - Imagen 2 no guardada (" +
                       dir.Archivo("REV00491234567.tif") + "), número de error 1, línea \"" +
                       kLinea + "\" Vuelva a pasar el talón \r\n"),
            std::string::npos)
      << Log();
}

TEST_F(Ciclo, UnaTransferenciaCortaNoSeRellena) {
  falsa.al_get_image = [](const std::string&, const std::string&, std::vector<std::uint8_t>& bytes,
                          std::int32_t& longitud) {
    bytes[0] = 'a';
    bytes[1] = 'b';
    longitud = 2;
    return 0;
  };
  bandeja = {Cheque()};
  Ejecuta();
  EXPECT_EQ(dir.Lee("ANV00491234567.tif"), "ab");
}

// Only what is provably dead goes: this machine's temporaries whose process
// is gone, and another machine's (or the earlier naming's) untouched for a
// day; never a writer's that may still be running, never another file.
TEST_F(Ciclo, SoloSeBorranLosTemporalesAbandonados) {
  const std::string equipo = platform::IdentidadEquipo();
  const std::string vivo = std::to_string(platform::ProcesoActual());
  const std::string muerto = "99999999";
  const std::string azar = "-0123456789abcdef";
  const std::pair<std::string, bool> casos[] = {
      {"ANV1.tif.tmp-" + equipo + "-" + muerto + azar, false},
      {"ERRREV7.tif.tmp-" + equipo + "-" + muerto + azar, false},
      {"vardel-prueba.tmp-" + equipo + "-" + muerto + azar, false},
      {"ANV1.tif.tmp-" + equipo + "-" + vivo + azar, true},
      // A number no process id can be: left alone, and the read goes on.
      {"ANV1.tif.tmp-" + equipo + "-9999999999" + azar, true},
      {"ANV2.tif.tmp-otro-pc-" + muerto + azar, true},
      {"ANV3.tif.tmp-otro-pc-" + muerto + azar + ".viejo", true},
      {"ANV4.tif.tmp-" + muerto + "-0", true},
      {"otro.tif.tmp-" + equipo + "-" + muerto + azar, true},
      {"ANV1.doc.tmp-" + equipo + "-" + muerto + azar, true},
  };
  for (const auto& caso : casos) {
    dir.Escribe(caso.first, "x");
  }
  // Untouched for more than a day: another machine's, and the earlier naming's.
  const auto viejo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(25);
  dir.Escribe("ANV5.tif.tmp-otro-pc-" + muerto + azar, "x");
  dir.Escribe("ANV6.tif.tmp-" + muerto + "-0", "x");
  std::filesystem::last_write_time(dir.Archivo("ANV5.tif.tmp-otro-pc-" + muerto + azar), viejo);
  std::filesystem::last_write_time(dir.Archivo("ANV6.tif.tmp-" + muerto + "-0"), viejo);
  // Claims say who holds them, and go as temporaries do; an empty one (of
  // an earlier version) by its age alone.
  const std::pair<std::string, bool> reservas[] = {
      {equipo + "-" + muerto + azar, false},
      {equipo + "-" + vivo + azar, true},
      {"otropc-" + muerto + azar, true},
      {"", true},
  };
  for (std::size_t i = 0; i < std::size(reservas); ++i) {
    dir.Escribe("vardel-numero-" + std::to_string(20 + i) + ".reserva", reservas[i].first);
  }
  dir.Escribe("vardel-numero-30.reserva", "");
  std::filesystem::last_write_time(dir.Archivo("vardel-numero-30.reserva"), viejo);
  Ejecuta();
  for (const auto& caso : casos) {
    EXPECT_EQ(dir.Existe(caso.first), caso.second) << caso.first;
  }
  EXPECT_FALSE(dir.Existe("ANV5.tif.tmp-otro-pc-" + muerto + azar));
  EXPECT_FALSE(dir.Existe("ANV6.tif.tmp-" + muerto + "-0"));
  for (std::size_t i = 0; i < std::size(reservas); ++i) {
    const std::string nombre = "vardel-numero-" + std::to_string(20 + i) + ".reserva";
    EXPECT_EQ(dir.Existe(nombre), reservas[i].second) << nombre;
  }
  EXPECT_FALSE(dir.Existe("vardel-numero-30.reserva"));

  // Once a day per folder and machine: the next read leaves a new leftover
  // for tomorrow's sweep, which takes it.
  const std::string siguiente = "ANV7.tif.tmp-" + equipo + "-" + muerto + azar;
  dir.Escribe(siguiente, "x");
  Ejecuta();
  EXPECT_TRUE(dir.Existe(siguiente));
  for (const auto& entrada : std::filesystem::directory_iterator(dir.Ruta())) {
    const std::string nombre = entrada.path().filename().string();
    if (nombre.rfind("vardel-barrido-" + equipo + "-", 0) == 0) {
      // The day's marker, made yesterday.
      const auto dia = std::stoll(nombre.substr(nombre.rfind('-') + 1));
      std::filesystem::rename(
          entrada.path(), dir.Archivo("vardel-barrido-" + equipo + "-" + std::to_string(dia - 1)));
    }
  }
  Ejecuta();
  EXPECT_FALSE(dir.Existe(siguiente));
}

TEST_F(Ciclo, LaExcepcionDelAnfitrionLlegaTrasEntregarElDocumento) {
  bandeja = {Cheque(), Cheque()};
  capture::Contexto contexto(falsa);
  contexto.PantallaConfig = &pantalla;
  contexto.LectoraDatos = [this](const std::shared_ptr<Collection>& dato) {
    eventos.push_back(dato);
  };
  std::vector<int> avisadas;
  contexto.ImagenGuardada = [&avisadas](int k, const std::string&) {
    avisadas.push_back(k);
    if (k == 1) {
      throw std::runtime_error("el anfitrión falla");
    }
  };
  EXPECT_THROW(capture::ProcesaCheques(contexto), std::runtime_error);
  EXPECT_THAT(avisadas, ElementsAre(1, 2, 3));
  EXPECT_EQ(eventos.size(), 1u);
  EXPECT_EQ(dir.Lee("ANV00491234567.jpg"), "jpeg");
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 1);  // the next one is not fed
}

// Each image is on stable storage, and so is its name, before the host
// hears of the document.
TEST_F(Ciclo, CadaImagenSeAseguraEnDiscoAntesDelEvento) {
  std::vector<std::string> orden;
  platform::SondaArchivos sonda;
  sonda.anota = [&orden](std::string_view operacion, const std::string& ruta) {
    orden.push_back(std::string(operacion) + " " + ruta.substr(ruta.find_last_of("/\\") + 1));
  };
  platform::Sonda() = &sonda;
  capture::Contexto contexto(falsa);
  contexto.PantallaConfig = &pantalla;
  contexto.LectoraDatos = [&orden](const std::shared_ptr<Collection>&) {
    orden.push_back("evento");
  };
  bandeja = {Cheque()};
  capture::ProcesaCheques(contexto);
  platform::Sonda() = nullptr;
  std::vector<std::string> esperado;
  for (const char* nombre : {"ANV00491234567.tif", "REV00491234567.tif", "ANV00491234567.jpg"}) {
    esperado.push_back(std::string("sincroniza ") + nombre + ".tmp-");
    esperado.push_back(std::string("renombra ") + nombre);
    esperado.push_back(std::string("sincroniza-carpeta ") + nombre);
  }
  esperado.push_back("evento");
  ASSERT_EQ(orden.size(), esperado.size()) << testing::PrintToString(orden);
  for (std::size_t i = 0; i < orden.size(); ++i) {
    EXPECT_THAT(orden[i], testing::StartsWith(esperado[i]));
  }
}

// No room for a cheque's images, or a reader library that lacks a
// function the read needs: the read ends before any cheque is fed.
TEST_F(Ciclo, SinEspacioOSinLaBibliotecaEnteraNoSeAlimentaNinguno) {
  platform::SondaArchivos sonda;
  sonda.espacioLibre = 16ull * 1024 * 1024 - 1;
  platform::Sonda() = &sonda;
  for (const std::int32_t esperado : {61, 453}) {
    bandeja = {Cheque()};
    try {
      Ejecuta();
      ADD_FAILURE() << esperado;
    } catch (const ErrorEjecucion& e) {
      EXPECT_EQ(e.Numero(), esperado);
    }
    EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 0) << esperado;
    platform::Sonda() = nullptr;
    falsa.faltaUnaFuncion = true;
  }
}

// A trace Lectora.log cannot take goes to the account's own log; when
// neither takes it, no further cheque is fed.
TEST_F(Ciclo, UnaTrazaNuncaSePierdeEnSilencio) {
  prueba::VariableDeEntorno estado(prueba::kVariableEstadoUsuario, dir.Archivo("estado"));
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nDirectorioLog=" + dir.Archivo("no-existe") +
                                "\r\nDirectorioImg=" + dir.Ruta() + "\r\n");
  Documento malo = Cheque();
  malo.estado = "5";
  bandeja = {malo, Cheque()};
  Ejecuta();
  EXPECT_EQ(eventos.size(), 2u);
  const std::string respaldo = Configuracion::RutaLogRespaldo();
  ASSERT_FALSE(respaldo.empty());
  std::ifstream leido(respaldo, std::ios::binary);
  const std::string texto((std::istreambuf_iterator<char>(leido)),
                          std::istreambuf_iterator<char>());
  EXPECT_NE(texto.find(" - 5 - Documento sin datos, n"), std::string::npos) << texto;

  dir.Escribe("no-es-carpeta", "");
  prueba::VariableDeEntorno ninguno(prueba::kVariableEstadoUsuario,
                                    dir.Archivo("no-es-carpeta") + platform::kSeparador + "x");
  falsa.Olvida();
  eventos.clear();
  bandeja = {malo, Cheque()};
  EXPECT_THROW(Ejecuta(), ErrorEjecucion);
  EXPECT_EQ(eventos.size(), 1u);  // the document in hand reaches the host
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 1);
}

#ifndef _WIN32
// An account of the shared group plants links to a root-only file at every
// name a root read writes: images, a claim, the log. The read replaces the
// planted names with its images and never writes through a link.
TEST_F(Ciclo, UnaLecturaDeRootNoEscribeAtravesDeEnlacesPlantados) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "the attack needs root (the victim) and the account nobody (the attacker)";
  }
  const std::string secreto = prueba::SecretoDeRoot(dir.Ruta());
  prueba::CarpetaDelGrupo(dir.Ruta());
  for (const char* nombre :
       {"ANV00491234567.tif", "REV00491234567.tif", "ANV00491234567.jpg", "ERRANV2.tif",
        "ERRREV2.tif", "vardel-numero-1.reserva", "Lectora.log"}) {
    ASSERT_TRUE(prueba::PlantaEnlace(dir.Archivo(nombre), secreto)) << nombre;
  }
  Documento sinLinea = Cheque("?");
  sinLinea.falloImagen[1] = -3;  // logged, and traced
  bandeja = {Cheque(), sinLinea};
  Ejecuta(Boolean::True);
  EXPECT_TRUE(prueba::SecretoIntacto(secreto));
  EXPECT_EQ(dir.Lee("ANV00491234567.tif"), "frente");
  EXPECT_FALSE(std::filesystem::is_symlink(dir.Archivo("ANV00491234567.tif")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Archivo("Lectora.log")));
}

// How long a race against root's reads and saves runs: long enough for
// thousands of swaps against each step of the walk.
constexpr auto kCarrera = std::chrono::milliseconds(1500);

// Races, as the attacker would run them: while root reads again and again,
// the group's image and log folders are swapped for links to a root-only
// folder and back as fast as the attacker can. Not one file lands there.
TEST_F(Ciclo, CarpetasCambiadasPorEnlacesAMitadDeLecturasDeRoot) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "the attack needs root (the victim) and the account nobody (the attacker)";
  }
  const std::string secreto = prueba::SecretoDeRoot(dir.Ruta());
  const std::string privado = dir.Archivo("privado");
  for (const char* carpeta : {"grupo", "grupo/img", "grupo/log"}) {
    std::filesystem::create_directory(dir.Archivo(carpeta));
    prueba::CarpetaDelGrupo(dir.Archivo(carpeta));
  }
  dir.Escribe("Config.ini",
              "[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nDirectorioImg=" + dir.Archivo("grupo/img") +
                  "\r\nDirectorioLog =" + dir.Archivo("grupo/log") + "\r\n");
  int lecturas = 0;
  {
    const prueba::AtacanteEnBucle atacante([&] {
      prueba::CambiaPorEnlace(dir.Archivo("grupo/img"), privado);
      prueba::CambiaPorEnlace(dir.Archivo("grupo/log"), privado);
    });
    for (const auto fin = std::chrono::steady_clock::now() + kCarrera;
         std::chrono::steady_clock::now() < fin; ++lecturas) {
      bandeja = {Cheque(), Cheque("?")};
      try {
        Ejecuta(Boolean::True);
      } catch (const ErrorEjecucion&) {
        // A read the swap ended is refused, never redirected.
      }
    }
  }
  EXPECT_GT(lecturas, 10);
  EXPECT_TRUE(prueba::SecretoIntacto(secreto));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(privado), {}), 1);
}

// Settings give a root read no more reach than their editors have: a group
// that may change Config.ini cannot send root's images into a root-only
// folder, nor its log into a folder only root may write.
TEST_F(Ciclo, LosAjustesNoLlevanARootDondeSusEditoresNoEscriben) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "the rule concerns root reading settings a group may change";
  }
  const std::string privado = dir.Archivo("privado");
  std::filesystem::create_directory(privado);
  std::filesystem::permissions(privado, std::filesystem::perms::owner_all);
  const std::string grupo = dir.Archivo("grupo");
  std::filesystem::create_directory(grupo);
  prueba::CarpetaDelGrupo(grupo);
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nDirectorioImg=" + privado +
                                "\r\nDirectorioLog =" + privado + "\r\n");
  ::chown(dir.Archivo("Config.ini").c_str(), 0, 65534);
  ::chmod(dir.Archivo("Config.ini").c_str(), 0664);
  bandeja = {Cheque()};
  try {
    Ejecuta(Boolean::True);
    ADD_FAILURE() << "a read into a folder the group cannot write";
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 70);
    EXPECT_NE(e.Descripcion().find("DirectorioImg de " + dir.Archivo("Config.ini") +
                                   " nombra la carpeta " + privado),
              std::string::npos)
        << e.Descripcion();
    EXPECT_NE(e.Descripcion().find("el grupo nogroup"), std::string::npos) << e.Descripcion();
  }
  EXPECT_EQ(falsa.Cuenta("MTMICRProcessCheck"), 0);
  EXPECT_TRUE(std::filesystem::is_empty(privado));

  // Into the group's own folder the read goes, and the log goes to root's
  // own folder rather than the root-only one.
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nDirectorioImg=" + grupo +
                                "\r\nDirectorioLog =" + privado + "\r\n");
  ::chown(dir.Archivo("Config.ini").c_str(), 0, 65534);
  bandeja = {Cheque("?")};
  Ejecuta(Boolean::True);
  EXPECT_TRUE(std::filesystem::exists(grupo + "/ERRANV1.tif"));
  EXPECT_TRUE(std::filesystem::is_empty(privado));
}

#endif

// A second name of Config.ini at the log's name, in the group's folder:
// the line is refused there, and Config.ini is untouched.
TEST_F(Ciclo, UnEnlaceDuroEnElNombreDelLogNoRecibeLineas) {
  const std::string grupo = dir.Archivo("grupo");
  std::filesystem::create_directory(grupo);
  std::filesystem::permissions(grupo, std::filesystem::perms::all);
  dir.Escribe("ajeno.ini", "[LectoraUSB]\r\n");
  std::filesystem::create_hard_link(dir.Archivo("ajeno.ini"), grupo + "/Lectora.log");
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nDirectorioImg=" + dir.Ruta() +
                                "\r\nDirectorioLog =" + grupo + "\r\n");
  bandeja = {Cheque("?")};
  Ejecuta(Boolean::True);
  EXPECT_EQ(dir.Lee("ajeno.ini"), "[LectoraUSB]\r\n");
}

}  // namespace
}  // namespace vardel
