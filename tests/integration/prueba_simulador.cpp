// The reader simulator through the component's binding, as the component
// uses it: enumeration, open and close, status reply, options document,
// the tray, jams, images, the journal, and calls in a wrong state.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "device/lectora.h"
#include "platform/componente.h"
#include "support/directorio_prueba.h"
#include "support/lectora_falsa.h"
#include "support/simulador_prueba.h"

namespace vardel {
namespace {

using prueba::DirectorioPrueba;
using prueba::SimuladorPrueba;
using testing::AllOf;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::Not;

constexpr const char* kLectora = "EXCELLA.EXC001";

std::string HastaNul(const std::string& texto) {
  return texto.substr(0, texto.find('\0'));
}

class Simulador : public testing::Test {
 protected:
  void Escenario(const std::string& texto) {
    if (simulador_) {
      simulador_->Escenario(texto);
    } else {
      simulador_ = std::make_unique<SimuladorPrueba>(directorio_.Ruta(), texto);
    }
  }
  device::Lectora& L() { return device::LectoraActual(); }

  // Names listed until the first non-zero status, as the presence check
  // enumerates them.
  std::vector<std::string> Listados() {
    std::vector<std::string> nombres;
    for (int32_t indice = 1; indice < 20; ++indice) {
      std::string nombre(200, ' ');
      if (L().MTMICRGetDevice(indice, nombre) != 0) {
        break;
      }
      nombres.push_back(HastaNul(nombre));
    }
    return nombres;
  }

  int32_t Procesa(std::string& respuesta) {
    respuesta.assign(4096, '\0');
    int32_t longitud = 4096;
    const int32_t resultado = L().MTMICRProcessCheck(kLectora, opciones_, respuesta, longitud);
    EXPECT_EQ(longitud, 4096) << "the size told stays for the next capture";
    respuesta = HastaNul(respuesta);
    return resultado;
  }

  std::string Valor(const std::string& documento, const std::string& seccion,
                    const std::string& clave, int32_t* resultado = nullptr) {
    std::string valor(1024, '\0');
    int32_t longitud = 1024;
    const int32_t r = L().MTMICRGetValue(documento, seccion, clave, valor, longitud);
    if (resultado != nullptr) {
      *resultado = r;
    }
    return HastaNul(valor);
  }

  std::string ValorIndice(const std::string& documento, const std::string& clave, int32_t k,
                          int32_t* resultado, const std::string& seccion = "ImageInfo") {
    std::string valor(1024, '\0');
    int32_t longitud = 1024;
    *resultado = L().MTMICRGetIndexValue(documento, seccion, clave, k, valor, longitud);
    return HastaNul(valor);
  }

  DirectorioPrueba directorio_;
  std::unique_ptr<SimuladorPrueba> simulador_;
  std::string opciones_ = std::string(4096, '\0');
};

TEST_F(Simulador, EnumeraVariosDispositivosHastaElFinDeLaLista) {
  Escenario("[Reader]\ndevices=OTRA.X1, EXCELLA.EXC001, TERCERA\n");
  EXPECT_THAT(Listados(), ElementsAre("OTRA.X1", kLectora, "TERCERA"));
  std::string nombre(200, ' ');
  EXPECT_NE(L().MTMICRGetDevice(0, nombre), 0);
  EXPECT_EQ(nombre, std::string(200, ' ')) << "nothing written past the end of the list";
}

TEST_F(Simulador, LaLectoraApareceYDesapareceEntreLlamadas) {
  Escenario("[Reader]\npresent=no\n");
  EXPECT_TRUE(Listados().empty());
  EXPECT_NE(L().MTMICROpenDevice(kLectora), 0);
  Escenario("[Reader]\npresent=yes\n");
  EXPECT_THAT(Listados(), ElementsAre(kLectora));
  EXPECT_EQ(L().MTMICROpenDevice(kLectora), 0);
  Escenario("[Reader]\npresent=no\n");
  EXPECT_TRUE(Listados().empty());
  EXPECT_NE(L().MTMICRCloseDevice(kLectora), 0) << "a reader that went away is not open";
}

TEST_F(Simulador, SinEscenarioNoHayLectora) {
  Escenario("");
  prueba::PonVariableEntorno("MTXSIM_SCENARIO", directorio_.Archivo("no-existe.scenario"));
  EXPECT_TRUE(Listados().empty());
}

TEST_F(Simulador, AbreYCierra) {
  Escenario("[Reader]\ndevices=EXCELLA.EXC001\n");
  EXPECT_NE(L().MTMICRCloseDevice(kLectora), 0) << "not open yet";
  EXPECT_EQ(L().MTMICROpenDevice(kLectora), 0);
  EXPECT_EQ(L().MTMICROpenDevice(kLectora), 0) << "opening twice is harmless";
  EXPECT_EQ(L().MTMICRCloseDevice(kLectora), 0);
  EXPECT_NE(L().MTMICRCloseDevice(kLectora), 0);
  EXPECT_NE(L().MTMICROpenDevice("excella.exc001"), 0) << "names are exact";
  EXPECT_NE(L().MTMICROpenDevice(""), 0);

  Escenario("[Reader]\nopen=-12\n");
  EXPECT_EQ(L().MTMICROpenDevice(kLectora), -12);
  EXPECT_NE(L().MTMICRCloseDevice(kLectora), 0);
}

TEST_F(Simulador, RespuestaDeEstadoConOSinEtiquetasDeTinta) {
  for (const std::string estado : {"<STATUS>READY</STATUS><INK>OK</INK>", "<INK>EMPTY</INK>",
                                   "<ink>NotSup</ink>", "<STATUS>READY</STATUS>"}) {
    SCOPED_TRACE(estado);
    Escenario("[Reader]\nstatus=" + estado + "\n");
    ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
    std::string buffer(4096, '\0');
    int32_t longitud = 4096;
    EXPECT_EQ(L().MTMICRQueryInfo(kLectora, "DeviceStatus", buffer, longitud), 0);
    EXPECT_EQ(HastaNul(buffer), estado);
    EXPECT_EQ(buffer.size(), 4096u);
    EXPECT_EQ(L().MTMICRCloseDevice(kLectora), 0);
  }
}

TEST_F(Simulador, ConsultaSinAbrirOConBufferPequenoFalla) {
  Escenario("[Reader]\nstatus=<INK>OK</INK>\n");
  std::string buffer(4096, '\0');
  int32_t longitud = 4096;
  EXPECT_NE(L().MTMICRQueryInfo(kLectora, "DeviceStatus", buffer, longitud), 0);
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string pequeno(5, '\0');
  longitud = 5;
  EXPECT_NE(L().MTMICRQueryInfo(kLectora, "DeviceStatus", pequeno, longitud), 0);
  EXPECT_EQ(pequeno, std::string(5, '\0'));
  EXPECT_EQ(longitud, 5) << "the size needed is bounded by the buffer";
  longitud = 4096;
  EXPECT_NE(L().MTMICRQueryInfo(kLectora, "Unknown", buffer, longitud), 0);
}

TEST_F(Simulador, DocumentoDeOpcionesIdaYVuelta) {
  Escenario("");
  std::string documento(4096, '\0');
  int32_t longitud = 4096;
  EXPECT_EQ(L().MTMICRSetValue(documento, "Application", "Transfer", "HTTP", longitud), 0);
  EXPECT_EQ(L().MTMICRSetValue(documento, "ProcessOptions", "Endorse", "NO", longitud), 0);
  EXPECT_EQ(
      L().MTMICRSetIndexValue(documento, "ImageOptions", "Resolution", 1, "200x200", longitud), 0);
  EXPECT_EQ(L().MTMICRSetIndexValue(documento, "ImageOptions", "Resolution", 3, "", longitud), 0);
  EXPECT_EQ(L().MTMICRSetValue(documento, "Application", "Transfer", "MEMORY", longitud), 0);
  EXPECT_EQ(longitud, 4096) << "the capacity is kept for the next call";
  EXPECT_EQ(documento.size(), 4096u);

  EXPECT_EQ(Valor(documento, "Application", "Transfer"), "MEMORY");
  EXPECT_EQ(Valor(documento, "processoptions", "endorse"), "NO");
  int32_t resultado = -1;
  EXPECT_EQ(ValorIndice(documento, "Resolution", 1, &resultado, "ImageOptions"), "200x200");
  EXPECT_EQ(resultado, 0);
  EXPECT_EQ(ValorIndice(documento, "Resolution", 3, &resultado, "ImageOptions"), "");
  EXPECT_EQ(resultado, 0);
  ValorIndice(documento, "Resolution", 2, &resultado, "ImageOptions");
  EXPECT_NE(resultado, 0);

  std::string lleno(32, '\0');
  int32_t corto = 32;
  EXPECT_NE(
      L().MTMICRSetValue(lleno, "ImageOptions", "FilterB", "a value far too long for it", corto),
      0);
  EXPECT_EQ(lleno, std::string(32, '\0')) << "nothing written when it does not fit";
}

constexpr const char* kTresDocumentos =
    "[Document1]\nmicr=C1234567E0049C1234E0123456789B00B0012A000012345C\nimage1=size:300\n"
    "[Document2]\nres=5 Bad document\nmicr=C7E0075C0001E1B00B0001A\n"
    "[Document3]\nmicr=C9E2100C0002E2B00B0002A\n";

TEST_F(Simulador, BandejaDeTresDocumentosConDocPresentHastaElUltimo) {
  Escenario(kTresDocumentos);
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  std::vector<std::string> lineas;
  for (int pasada = 1; pasada <= 3; ++pasada) {
    SCOPED_TRACE(pasada);
    EXPECT_EQ(Procesa(respuesta), 0);
    lineas.push_back(Valor(respuesta, "DocInfo", "MICRRaw"));
    EXPECT_EQ(respuesta.find("DOCPRESENT") != std::string::npos, pasada < 3);
  }
  EXPECT_THAT(lineas, ElementsAre("C1234567E0049C1234E0123456789B00B0012A000012345C",
                                  "C7E0075C0001E1B00B0001A", "C9E2100C0002E2B00B0002A"));
  EXPECT_NE(Procesa(respuesta), 0) << "the tray is empty";
  EXPECT_THAT(respuesta, Not(HasSubstr("DOCPRESENT")));
  EXPECT_THAT(respuesta, Not(HasSubstr(">204<")));
}

TEST_F(Simulador, EstadoDelDocumentoEnCommandStatus) {
  Escenario(kTresDocumentos);
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  Procesa(respuesta);
  EXPECT_EQ(Valor(respuesta, "CommandStatus", "res"), "0");
  Procesa(respuesta);
  EXPECT_EQ(Valor(respuesta, "CommandStatus", "res"), "5 Bad document");
}

TEST_F(Simulador, CapturaSinAbrirFalla) {
  Escenario(kTresDocumentos);
  std::string respuesta(4096, '\0');
  int32_t longitud = 4096;
  // An earlier result in the buffer is replaced, not left to be read again.
  prueba::LectoraFalsa::EscribeEnBuffer(respuesta, "[CommandStatus]\nDocPresent=DOCPRESENT\n");
  EXPECT_NE(L().MTMICRProcessCheck(kLectora, opciones_, respuesta, longitud), 0);
  EXPECT_THAT(HastaNul(respuesta), Not(HasSubstr("DOCPRESENT")));
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  EXPECT_EQ(Procesa(respuesta), 0) << "the document was not fed";
  EXPECT_EQ(Valor(respuesta, "DocInfo", "MICRRaw"),
            "C1234567E0049C1234E0123456789B00B0012A000012345C");
}

TEST_F(Simulador, LaPosicionDeLaBandejaSobreviveARelecturas) {
  const std::string bandeja = "[Tray]\ngeneration=1\n" + std::string(kTresDocumentos);
  Escenario("[Reader]\nstatus=<INK>OK</INK>\n" + bandeja);
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  Procesa(respuesta);
  // Another reader section, same tray: the second document comes next.
  Escenario("[Reader]\nstatus=<INK>EMPTY</INK>\n" + bandeja);
  Procesa(respuesta);
  EXPECT_EQ(Valor(respuesta, "DocInfo", "MICRRaw"), "C7E0075C0001E1B00B0001A");
  // A new generation fills the tray again.
  Escenario("[Reader]\nstatus=<INK>EMPTY</INK>\n[Tray]\ngeneration=2\n" +
            std::string(kTresDocumentos));
  Procesa(respuesta);
  EXPECT_EQ(Valor(respuesta, "DocInfo", "MICRRaw"),
            "C1234567E0049C1234E0123456789B00B0012A000012345C");
}

TEST_F(Simulador, AtascoMarcadoHastaLimpiarElCamino) {
  Escenario(
      "[Document1]\nmicr=C1E0049C1E1B1A\njam=yes\nresult=204\n"
      "[Document2]\nmicr=C2E0049C1E1B1A\n");
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  EXPECT_EQ(Procesa(respuesta), 204);
  EXPECT_THAT(respuesta, HasSubstr(">204<"));
  EXPECT_THAT(respuesta, HasSubstr("DOCPRESENT"));

  EXPECT_NE(Procesa(respuesta), 0) << "the path is still blocked";
  EXPECT_THAT(respuesta, HasSubstr(">204<"));

  std::string buffer(1024, '\0');
  int32_t longitud = 1024;
  EXPECT_EQ(L().MTMICRSendCommand(kLectora, "ClearPathExit", buffer, longitud), 0);
  EXPECT_EQ(L().MTMICRSendCommand(kLectora, "ClearPathEntry", buffer, longitud), 0);
  EXPECT_NE(L().MTMICRSendCommand(kLectora, "Launch", buffer, longitud), 0);
  EXPECT_EQ(Procesa(respuesta), 0);
  EXPECT_THAT(respuesta, Not(HasSubstr(">204<")));
  EXPECT_EQ(Valor(respuesta, "DocInfo", "MICRRaw"), "C2E0049C1E1B1A");
}

TEST_F(Simulador, AtascoConCapturaCorrectaYFalloDeCaptura) {
  Escenario(
      "[Document1]\nmicr=C1E0049C1E1B1A\njam=yes\n"
      "[Document2]\nmicr=C2E0049C1E1B1A\nresult=-30\n");
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  EXPECT_EQ(Procesa(respuesta), 0);
  EXPECT_THAT(respuesta, HasSubstr(">204<"));
  std::string buffer(1024, '\0');
  int32_t longitud = 1024;
  L().MTMICRSendCommand(kLectora, "ClearPathExit", buffer, longitud);
  L().MTMICRSendCommand(kLectora, "ClearPathEntry", buffer, longitud);
  EXPECT_EQ(Procesa(respuesta), -30);
  EXPECT_THAT(respuesta, Not(HasSubstr("DOCPRESENT")));
}

TEST_F(Simulador, ImagenesTamanoNombreYDescarga) {
  const std::string anverso("II*\0tiff-bytes-of-the-front", 27);
  directorio_.Escribe("anverso.tif", anverso);
  Escenario(
      "[Document1]\nmicr=C1E0049C1E1B1A\nimage1=anverso.tif\nimage2=none\nimage3=size:2048\n"
      "fetch3=-3\n");
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  ASSERT_EQ(Procesa(respuesta), 0);

  int32_t resultado = -1;
  EXPECT_EQ(ValorIndice(respuesta, "ImageSize", 1, &resultado), std::to_string(anverso.size()));
  EXPECT_EQ(resultado, 0);
  const std::string url = ValorIndice(respuesta, "ImageURL", 1, &resultado);
  EXPECT_FALSE(url.empty());
  std::vector<uint8_t> bytes(anverso.size(), 0);
  int32_t longitud = static_cast<int32_t>(bytes.size());
  EXPECT_EQ(L().MTMICRGetImage(kLectora, url, bytes, longitud), 0);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), anverso);
  EXPECT_EQ(longitud, static_cast<int32_t>(anverso.size()));

  ValorIndice(respuesta, "ImageSize", 2, &resultado);
  EXPECT_NE(resultado, 0) << "image 2 is missing";

  EXPECT_EQ(ValorIndice(respuesta, "ImageSize", 3, &resultado), "2048");
  EXPECT_EQ(resultado, 0);
  const std::string url3 = ValorIndice(respuesta, "ImageURL", 3, &resultado);
  std::vector<uint8_t> generados(2048, 0);
  longitud = 2048;
  EXPECT_EQ(L().MTMICRGetImage(kLectora, url3, generados, longitud), -3);

  EXPECT_NE(L().MTMICRGetImage(kLectora, "unknown-image", bytes, longitud), 0);
  std::vector<uint8_t> corto(3, 0);
  longitud = 3;
  EXPECT_NE(L().MTMICRGetImage(kLectora, url, corto, longitud), 0) << "buffer too small";
  EXPECT_EQ(longitud, 3);
}

TEST_F(Simulador, ImagenGeneradaDelTamanoPedido) {
  Escenario("[Document1]\nmicr=C1E0049C1E1B1A\nimage2=size:777\n");
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  ASSERT_EQ(Procesa(respuesta), 0);
  int32_t resultado = -1;
  const std::string url = ValorIndice(respuesta, "ImageURL", 2, &resultado);
  std::vector<uint8_t> bytes(777, 0);
  int32_t longitud = 777;
  EXPECT_EQ(L().MTMICRGetImage(kLectora, url, bytes, longitud), 0);
  EXPECT_EQ(longitud, 777);
  EXPECT_NE(bytes[776], 0) << "generated bytes fill the image";
}

TEST_F(Simulador, ElDiarioAnotaCadaLlamadaConSuResultado) {
  Escenario("[Reader]\ndevices=EXCELLA.EXC001\n");
  std::string nombre(200, ' ');
  L().MTMICRGetDevice(1, nombre);
  L().MTMICRGetDevice(2, nombre);
  L().MTMICROpenDevice(kLectora);
  L().MTMICRCloseDevice(kLectora);
  const auto diario = simulador_->Diario();
  ASSERT_EQ(diario.size(), 4u);
  EXPECT_EQ(diario[0], "MTMICRGetDevice\tindex=1\tresult=0\tname=EXCELLA.EXC001");
  EXPECT_EQ(diario[1], "MTMICRGetDevice\tindex=2\tresult=1");
  EXPECT_EQ(diario[2], "MTMICROpenDevice\tdevice=EXCELLA.EXC001\tresult=0");
  EXPECT_EQ(diario[3], "MTMICRCloseDevice\tdevice=EXCELLA.EXC001\tresult=0");
}

TEST_F(Simulador, ElDiarioEscapaLosDocumentos) {
  Escenario("[Document1]\nmicr=C1E0049C1E1B1A\n");
  std::string documento(4096, '\0');
  int32_t longitud = 4096;
  L().MTMICRSetValue(documento, "Application", "Transfer", "A\tB", longitud);
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  opciones_ = documento;
  std::string respuesta;
  Procesa(respuesta);
  const auto diario = simulador_->Diario();
  ASSERT_EQ(diario.size(), 3u);
  EXPECT_EQ(diario[0],
            "MTMICRSetValue\tsection=Application\titem=Transfer\tvalue=A\\tB\tsize=4096"
            "\tresult=0\tsize=4096");
  EXPECT_THAT(diario[2], HasSubstr("\toptions=[Application]\\nTransfer=A\\tB\\n\t"));
  EXPECT_THAT(diario[2], HasSubstr("\tresult=0\t"));
}

TEST_F(Simulador, UnEscenarioPuedeDevolverTamanosFalsos) {
  Escenario("[Reader]\nreturnsize=-9\nstatus=<INK>OK</INK>\n");
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string buffer(4096, '\0');
  int32_t longitud = 4096;
  EXPECT_EQ(L().MTMICRQueryInfo(kLectora, "DeviceStatus", buffer, longitud), 0);
  EXPECT_EQ(longitud, 0) << "the binding bounds what the library hands back";
  Escenario("[Reader]\nreturnsize=99999\nstatus=<INK>OK</INK>\n");
  longitud = 4096;
  EXPECT_EQ(L().MTMICRQueryInfo(kLectora, "DeviceStatus", buffer, longitud), 0);
  EXPECT_EQ(longitud, 4096);
}

TEST_F(Simulador, RellenaLaBandejaTrasElUltimoDocumentoSiSePide) {
  Escenario(
      "[Tray]\nrefill=yes\n[Document1]\nmicr=C1E0049C1E1B1A\n[Document2]\nmicr=C2E0049C1E1B1A\n");
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  for (const char* linea : {"C1E0049C1E1B1A", "C2E0049C1E1B1A", "C1E0049C1E1B1A"}) {
    EXPECT_EQ(Procesa(respuesta), 0);
    EXPECT_EQ(Valor(respuesta, "DocInfo", "MICRRaw"), linea);
  }
  EXPECT_THAT(respuesta, HasSubstr("DOCPRESENT"));
  EXPECT_EQ(Procesa(respuesta), 0);
  EXPECT_THAT(respuesta, Not(HasSubstr("DOCPRESENT"))) << "each read ends at the last document";
}

TEST_F(Simulador, UnaBandejaConCopiasRepiteSusDocumentosEnOrden) {
  for (const auto& [copias, capturas] : {std::pair{"3", 6}, {"1", 2}, {"0", 2}, {"x", 2}}) {
    SCOPED_TRACE(copias);
    Escenario(std::string("[Tray]\ncopies=") + copias +
              "\n[Document1]\nmicr=C1E0049C1E1B1A\n[Document2]\nmicr=C2E0049C1E1B1A\n");
    ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
    std::string respuesta;
    for (int n = 1; n <= capturas; ++n) {
      ASSERT_EQ(Procesa(respuesta), 0);
      EXPECT_EQ(Valor(respuesta, "DocInfo", "MICRRaw"),
                n % 2 == 1 ? "C1E0049C1E1B1A" : "C2E0049C1E1B1A");
      EXPECT_EQ(respuesta.find("DOCPRESENT") != std::string::npos, n < capturas) << n;
    }
    EXPECT_EQ(Procesa(respuesta), -7) << "the tray is empty";
  }
}

// The image faults: a size text unlike the image, a short transfer that
// still succeeds (journalled with the fingerprint of what it handed back).
TEST_F(Simulador, FallasDeTamanoYEntregaCortaDeUnaImagen) {
  Escenario(
      "[Reader]\njournal=diario.log\n[Document1]\nmicr=C1E0049C1E1B1A\nimage1=size:100\n"
      "size1=12.5\nimage2=size:100\nshort2=40\n");
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  ASSERT_EQ(Procesa(respuesta), 0);
  int32_t resultado = -1;
  EXPECT_EQ(ValorIndice(respuesta, "ImageSize", 1, &resultado), "12.5");
  EXPECT_EQ(ValorIndice(respuesta, "ImageSize", 2, &resultado), "100");
  const std::string url = ValorIndice(respuesta, "ImageURL", 2, &resultado);
  std::vector<uint8_t> bytes(100, 0);
  int32_t longitud = 100;
  EXPECT_EQ(L().MTMICRGetImage(kLectora, url, bytes, longitud), 0);
  EXPECT_EQ(longitud, 40);
  EXPECT_EQ(bytes[40], 0) << "nothing beyond the short transfer";
  // FNV-1a of the 40 bytes handed back, as the journal gives it.
  std::uint64_t fnv = 14695981039346656037ULL;
  for (int i = 0; i < 40; ++i) {
    fnv = (fnv ^ bytes[static_cast<std::size_t>(i)]) * 1099511628211ULL;
  }
  char huella[17];
  std::snprintf(huella, sizeof huella, "%016llx", static_cast<unsigned long long>(fnv));
  EXPECT_THAT(simulador_->Diario().back(),
              HasSubstr(std::string("\tresult=0\tbytes=") + huella + "\tsize=40"));
}

// The faults of the tray and the reader: events at a call or after a
// document, a failing value read, a size fault per key, a failing capture
// that leaves its document in the tray, a wrong marker, a stubborn jam.
TEST_F(Simulador, SucesosYFallasDeLaBandeja) {
  Escenario(
      "[Reader]\njournal=diario.log\nreturnsize.MICRRaw=3\n"
      "[Document1]\nmicr=C1E0049C1E1B1A\nresult=-3\nfed=no\nfail.res=-6\n"
      "[Document2]\nmicr=C2E0049C1E1B1A\ndocpresent=no\njam=yes\njamclears=2\n"
      "[Document3]\nmicr=C3E0049C1E1B1A\n"
      "[Event1]\ncall=MTMICRSendCommand:1\ndo=write\npath=editado.txt\ntext=a\\r\\nb\n"
      "[Event2]\nafter=3\ndo=unplug\n");
  ASSERT_EQ(L().MTMICROpenDevice(kLectora), 0);
  std::string respuesta;
  EXPECT_EQ(Procesa(respuesta), -3);
  EXPECT_THAT(simulador_->Diario().back(), HasSubstr("\tfed=no\tdocument=1\t"));
  EXPECT_EQ(Procesa(respuesta), 0) << "fed at the second try";
  EXPECT_THAT(simulador_->Diario().back(), AllOf(HasSubstr("\tfed=yes\tdocument=1\tcapture="),
                                                 HasSubstr("\tmicr=C1E0049C1E1B1A\t")));
  int32_t resultado = 0;
  Valor(respuesta, "CommandStatus", "res", &resultado);
  EXPECT_EQ(resultado, -6);
  std::string valor(1024, '\0');
  int32_t longitud = 1024;
  EXPECT_EQ(L().MTMICRGetValue(respuesta, "DocInfo", "MICRRaw", valor, longitud), 0);
  EXPECT_EQ(longitud, 3) << "the size fault of that key";

  EXPECT_EQ(Procesa(respuesta), 0);
  EXPECT_THAT(respuesta, Not(HasSubstr("DOCPRESENT"))) << "the marker forced away";
  std::string buffer(1024, '\0');
  for (int limpieza = 1; limpieza <= 2; ++limpieza) {
    EXPECT_EQ(Procesa(respuesta), -9) << "blocked before clearing " << limpieza;
    longitud = 1024;
    L().MTMICRSendCommand(kLectora, "ClearPathExit", buffer, longitud);
    L().MTMICRSendCommand(kLectora, "ClearPathEntry", buffer, longitud);
  }
  EXPECT_EQ(directorio_.Lee("editado.txt"), "a\r\nb");
  EXPECT_EQ(Procesa(respuesta), 0);
  EXPECT_THAT(simulador_->Diario().back(), HasSubstr("Event\tnumber=2\tdo=unplug\t"));
  EXPECT_EQ(Procesa(respuesta), -1) << "the reader went away after the third document";
}

}  // namespace
}  // namespace vardel

namespace vardel {
namespace {

// The sample tray as the build lays it out beside the simulator: the
// scenario found next to the library, its images in the tray folder.
TEST(BandejaDeMuestra, LeeLosDiezChequesConSusImagenes) {
  prueba::PonVariableEntorno("MTXSIM_SCENARIO", "");
  device::LectoraBiblioteca lectora({SimuladorPrueba::RutaSimulador()});
  ASSERT_EQ(lectora.MTMICROpenDevice(kLectora), 0);
  std::string opciones(4096, '\0');
  std::vector<std::string> lineas;
  int imagenes = 0;
  int atascos = 0;
  for (int pasada = 1; pasada <= 10; ++pasada) {
    SCOPED_TRACE(pasada);
    std::string respuesta(4096, '\0');
    int32_t longitud = 4096;
    const int32_t resultado = lectora.MTMICRProcessCheck(kLectora, opciones, respuesta, longitud);
    respuesta = HastaNul(respuesta);
    EXPECT_EQ(respuesta.find("DOCPRESENT") != std::string::npos, pasada < 10);
    if (respuesta.find(">204<") != std::string::npos) {
      ++atascos;
      std::string buffer(1024, '\0');
      int32_t n = 1024;
      lectora.MTMICRSendCommand(kLectora, "ClearPathExit", buffer, n);
      lectora.MTMICRSendCommand(kLectora, "ClearPathEntry", buffer, n);
    }
    if (resultado != 0) {
      continue;
    }
    for (int32_t k = 1; k <= 3; ++k) {
      std::string tamano(1024, '\0'), url(1024, '\0');
      int32_t n = 1024;
      if (lectora.MTMICRGetIndexValue(respuesta, "ImageInfo", "ImageSize", k, tamano, n) != 0) {
        continue;
      }
      n = 1024;
      lectora.MTMICRGetIndexValue(respuesta, "ImageInfo", "ImageURL", k, url, n);
      std::vector<uint8_t> bytes(static_cast<std::size_t>(std::stoi(HastaNul(tamano))), 0);
      int32_t tam = static_cast<int32_t>(bytes.size());
      if (lectora.MTMICRGetImage(kLectora, HastaNul(url), bytes, tam) == 0) {
        ++imagenes;
        EXPECT_GT(bytes.size(), 500u) << "a real image file";
      }
    }
  }
  EXPECT_EQ(atascos, 1);
  EXPECT_EQ(imagenes, 9 * 3 - 1) << "all but the jammed cheque's and one failed fetch";
  lectora.MTMICRCloseDevice(kLectora);
}

}  // namespace
}  // namespace vardel
