// The vardel command end to end: the command, the component library and
// the reader simulator copied into a fresh folder with their Config.ini and
// a scenario, run as an operator runs them, checked by what they print,
// the image files and the activity log they leave.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "device/lectora_biblioteca.h"
#include "ejecuta_programa.h"
#include "platform/ansi.h"
#include "platform/componente.h"
#include "support/directorio_prueba.h"
#include "support/simulador_prueba.h"

namespace vardel {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using prueba::DirectorioEjecutable;
using prueba::DirectorioPrueba;
using prueba::EjecutaPrograma;
using prueba::ModoEjecucion;
using prueba::ResultadoPrograma;
using testing::AllOf;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using testing::Not;
using testing::StartsWith;

// A cheque with an amount, an unreadable line, a jam, a document the
// reader did not read well, and a cheque with a due date whose back image
// cannot be fetched.
constexpr const char* kBandeja = R"([Reader]
journal=diario.log

[Document1]
micr=C1234567E0049C1234E0123456789B00B0012A000012345C
image1=imagenes-bandeja/cheque01-anverso.tif
image2=imagenes-bandeja/cheque01-reverso.tif
image3=imagenes-bandeja/cheque01-anverso.jpg

[Document2]
micr=C7890123E0049C?234E01234?6789B00B0012A000004999C
image1=imagenes-bandeja/cheque07-anverso.tif
image2=imagenes-bandeja/cheque07-reverso.tif
image3=imagenes-bandeja/cheque07-anverso.jpg

[Document3]
micr=C8901234E0182C0100E0209876543B00B0012A000099999C
jam=yes
result=204
image1=imagenes-bandeja/cheque08-anverso.tif

[Document4]
res=5 Double feed
micr=C2345678E0075C0310E0200012345B00B0012A
image1=imagenes-bandeja/cheque02-anverso.tif

[Document5]
micr=C4567890E2100C0813E0200098765B00B0017A311226D
image1=imagenes-bandeja/cheque04-anverso.tif
image2=imagenes-bandeja/cheque04-reverso.tif
fetch2=-3
image3=imagenes-bandeja/cheque04-anverso.jpg
)";

std::string Json(const std::string& texto) {
  std::string salida = "\"";
  for (const char c : texto) {
    salida += (c == '\\' || c == '"') ? std::string{'\\', c} : std::string{c};
  }
  return salida + "\"";
}

std::vector<std::string> Lineas(const std::string& texto) {
  std::vector<std::string> lineas;
  std::istringstream entrada(texto);
  std::string linea;
  while (std::getline(entrada, linea)) {
    if (!linea.empty() && linea.back() == '\r') {
      linea.pop_back();
    }
    lineas.push_back(linea);
  }
  return lineas;
}

// Every line of a --json output as an object with its "tipo".
std::vector<json> LineasJson(const std::string& salida) {
  std::vector<json> objetos;
  for (const std::string& linea : Lineas(salida)) {
    SCOPED_TRACE(linea);
    json objeto = json::parse(linea, nullptr, false);
    EXPECT_TRUE(objeto.is_object() && objeto.contains("tipo") && objeto["tipo"].is_string());
    objetos.push_back(std::move(objeto));
  }
  return objetos;
}

// A script's input that stays open and never answers: a read that waited
// for the operator there would hang until killed.
const ModoEjecucion kSinOperador{true, std::chrono::seconds(120)};

// What a document line says of a cheque to feed again.
const std::string kAviso = "\"vuelva a pasar el talón\"";

// The first word of a line that only English would use, outside paths,
// options, JSON keys and the square brackets a library's own words are
// quoted in; "" when there is none. A short list of the words every
// English system or library message carries.
std::string PalabraInglesa(const std::string& linea) {
  static const std::set<std::string> kIngles = {
      "the",        "cannot",  "could",    "not",         "such",    "shared",
      "object",     "already", "address",  "failed",      "value",   "range",
      "building",   "reading", "checking", "configuring", "file",    "directory",
      "permission", "denied",  "invalid",  "expected",    "required"};
  std::string palabra;
  int citas = 0;
  for (std::size_t i = 0; i <= linea.size(); ++i) {
    const char c = i < linea.size() ? linea[i] : ' ';
    citas += c == '[' ? 1 : c == ']' && citas > 0 ? -1 : 0;
    if (citas > 0) {
      palabra.clear();
      continue;
    }
    if (c == ' ' || c == '(' || c == ')' || c == ',' || c == '.' || c == ';') {
      std::string minusculas;
      for (const char letra : palabra) {
        minusculas += static_cast<char>(std::tolower(static_cast<unsigned char>(letra)));
      }
      // A path, an option or a quoted name is not a sentence's word.
      const bool nombre = palabra.find_first_of("/\\-\"=_") != std::string::npos;
      if (!nombre && kIngles.count(minusculas) != 0) {
        return palabra;
      }
      palabra.clear();
      continue;
    }
    palabra += c;
  }
  return "";
}

class OrdenVardel : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path origen = DirectorioEjecutable();
    const fs::path destino = dir_.Ruta();
    prueba::CopiaOrdenVardel(dir_.Ruta());
    fs::create_directory(destino / "imagenes-bandeja");
    for (const char* cheque : {"cheque01", "cheque02", "cheque04", "cheque07", "cheque08"}) {
      for (const char* cara : {"-anverso.tif", "-reverso.tif", "-anverso.jpg"}) {
        const std::string nombre = std::string(cheque) + cara;
        fs::copy_file(origen / "tray" / nombre, destino / "imagenes-bandeja" / nombre);
      }
    }
    fs::create_directory(destino / "imagenes");
    Configura(Imagenes());
    Escenario(kBandeja);
    // The simulator beside the command reads its own scenario file; a
    // display would make Wine show the jam's message box and wait.
    prueba::PonVariableEntorno("MTXSIM_SCENARIO", "");
    prueba::PonVariableEntorno("DISPLAY", "");
  }

  std::string Imagenes() const { return dir_.Archivo("imagenes"); }
  std::string Imagen(const std::string& nombre) const {
    return Imagenes() + platform::kSeparador + nombre;
  }
  std::string Bandeja(const std::string& nombre) const {
    return dir_.Lee(std::string("imagenes-bandeja") + platform::kSeparador + nombre);
  }
  std::string LeeImagen(const std::string& nombre) const {
    return dir_.Lee(std::string("imagenes") + platform::kSeparador + nombre);
  }

  void Configura(const std::string& directorioImagenes,
                 const std::string& nombre = "EXCELLA.EXC001") const {
    dir_.Escribe("Config.ini",
                 "[LectoraUSB]\r\nName=" + nombre +
                     "\r\nLogActivo=S\r\nDirectorioLog=\r\n"
                     "DirectorioImg=" +
                     directorioImagenes +
                     "\r\nEndorse=BACK\r\nNumber=3\r\nFileType1=TIF\r\nFileType3=JPG\r\n");
  }
  void Escenario(const std::string& texto) const { dir_.Escribe("mtxmlmcr.scenario", texto); }

  // Every run of every case is also checked for one language: what the
  // operator reads is Spanish, whatever the library or the system said.
  ResultadoPrograma Vardel(const std::vector<std::string>& argumentos,
                           const ModoEjecucion& modo = {}) const {
    ResultadoPrograma r =
        EjecutaPrograma(dir_.Archivo(VARDEL_ORDEN), argumentos, dir_.Ruta(), modo);
    for (const std::string& texto : {r.salida, r.errores}) {
      for (const std::string& linea : Lineas(texto)) {
        if (const std::string palabra = PalabraInglesa(linea); !palabra.empty()) {
          ADD_FAILURE() << "English (\"" << palabra << "\") in what the operator reads: " << linea;
        }
      }
    }
    return r;
  }

  // Lines of the journal that are captures.
  int Capturas() const {
    int capturas = 0;
    for (const std::string& linea : Lineas(dir_.Lee("diario.log"))) {
      capturas += linea.rfind("MTMICRProcessCheck\t", 0) == 0 ? 1 : 0;
    }
    return capturas;
  }

  DirectorioPrueba dir_;
};

TEST(Idioma, LasPalabrasInglesasSeVenYLasEspanolasNo) {
  for (const char* ingles : {"vardel: error 48: cannot open shared object file",
                             "no se puede escuchar: Address already in use",
                             "--port: Value 99999 not in range", "demo: building the component"}) {
    EXPECT_NE(PalabraInglesa(ingles), "") << ingles;
  }
  for (const char* espanol : {"Resumen: 2 documentos: 1 cheque leído, 0 sin datos.",
                              "  imagen    /srv/cheques/ANV00491234567.tif (1480 bytes)",
                              "{\"tipo\":\"resumen\",\"documentos\":2}",
                              "vardel: opción no reconocida: --nada (vardel read --help)"}) {
    EXPECT_EQ(PalabraInglesa(espanol), "") << espanol;
  }
}

TEST_F(OrdenVardel, LeeLaBandejaEnJson) {
  const ResultadoPrograma r = Vardel({"read", "--json"}, kSinOperador);
  ASSERT_EQ(r.codigo, 0) << r.errores;

  const std::vector<std::string> lineas = Lineas(r.salida);
  ASSERT_EQ(lineas.size(), 6u) << r.salida;
  EXPECT_EQ(lineas[0],
            "{\"tipo\":\"documento\",\"documento\":1,\"datos\":{\"NumDoc\":\"1234567\","
            "\"Entidad\":\"0049\",\"Oficina\":\"1234\",\"Cuenta\":\"0123456789\",\"Importe\":"
            "123.45,\"TipoDoc\":\"0012\",\"FechaVto\":null},\"imagenes\":[" +
                Json(Imagen("ANV00491234567.tif")) + "," + Json(Imagen("REV00491234567.tif")) +
                "," + Json(Imagen("ANV00491234567.jpg")) + "],\"no_guardadas\":[],\"aviso\":null}");
  EXPECT_EQ(lineas[1],
            "{\"tipo\":\"documento\",\"documento\":2,\"datos\":{\"IDERR\":2,\"Error\":\"Error: "
            "99 - No se ha recogido ningún dato del documento. Vuelva a pasar el talón.\"},"
            "\"imagenes\":[" +
                Json(Imagen("ERRANV2.tif")) + "," + Json(Imagen("ERRREV2.tif")) + "," +
                Json(Imagen("ERRANV2.jpg")) + "],\"no_guardadas\":[],\"aviso\":" + kAviso + "}");
  // The jam is a line of its own where it happened, answered without
  // waiting; the document with a bad status carries no data at all, never
  // the cheque before it.
  EXPECT_EQ(lineas[2],
            "{\"tipo\":\"atasco\",\"texto\":\"Error 204 - Cheque atascado en bandeja.\",\"aviso\":"
            "\"el cheque atascado no se ha leído: vuelva a pasarlo cuando la lectora haya vaciado "
            "el recorrido\"}");
  EXPECT_EQ(lineas[3],
            "{\"tipo\":\"documento\",\"documento\":3,\"datos\":null,\"imagenes\":[],"
            "\"no_guardadas\":[],\"aviso\":" +
                kAviso + "}");
  // The cheque whose back could not be fetched is never shown as delivered.
  EXPECT_EQ(lineas[4],
            "{\"tipo\":\"documento\",\"documento\":4,\"datos\":{\"NumDoc\":\"4567890\","
            "\"Entidad\":\"2100\",\"Oficina\":\"0813\",\"Cuenta\":\"0200098765\",\"Importe\":"
            "null,\"TipoDoc\":\"0017\",\"FechaVto\":\"2026-12-31\"},\"imagenes\":[" +
                Json(Imagen("ANV21004567890.tif")) + "," + Json(Imagen("ANV21004567890.jpg")) +
                "],\"no_guardadas\":[{\"imagen\":2,\"ruta\":" + Json(Imagen("REV21004567890.tif")) +
                ",\"numero\":-3}],\"aviso\":" + kAviso + "}");
  const std::vector<json> objetos = LineasJson(r.salida);
  json resumen = objetos.back();
  EXPECT_TRUE(std::regex_match(resumen["inicio"].get<std::string>(),
                               std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)")))
      << resumen["inicio"];
  EXPECT_TRUE(resumen["segundos"].is_number());
  resumen.erase("inicio");
  resumen.erase("segundos");
  // Only the first cheque came whole; the one without its back is to be
  // fed again like the others, and the counts add up to the list.
  EXPECT_EQ(resumen, json({{"tipo", "resumen"},
                           {"documentos", 4},
                           {"cheques", 1},
                           {"no_leidos", 1},
                           {"sin_datos", 1},
                           {"imagenes", 8},
                           {"directorio_imagenes", Imagenes()},
                           {"atascos", 1},
                           {"imagenes_no_guardadas", 1},
                           {"volver_a_pasar", {2, 3, 4}},
                           {"incompletos", 1}}));

  // Every image the cycle stored holds the reader's bytes unchanged; the
  // jammed document, the bad status and the failed fetch stored none.
  const std::pair<const char*, const char*> imagenes[] = {
      {"ANV00491234567.tif", "cheque01-anverso.tif"},
      {"REV00491234567.tif", "cheque01-reverso.tif"},
      {"ANV00491234567.jpg", "cheque01-anverso.jpg"},
      {"ERRANV2.tif", "cheque07-anverso.tif"},
      {"ERRREV2.tif", "cheque07-reverso.tif"},
      {"ERRANV2.jpg", "cheque07-anverso.jpg"},
      {"ANV21004567890.tif", "cheque04-anverso.tif"},
      {"ANV21004567890.jpg", "cheque04-anverso.jpg"},
  };
  for (const auto& [guardada, original] : imagenes) {
    SCOPED_TRACE(guardada);
    ASSERT_FALSE(Bandeja(original).empty());
    EXPECT_EQ(LeeImagen(guardada), Bandeja(original));
  }
  std::vector<std::string> escritas;
  for (const auto& entrada : fs::directory_iterator(Imagenes())) {
    // The day's sweep marker is the only file of the component's own.
    if (entrada.path().filename().string().rfind("vardel-barrido-", 0) != 0) {
      escritas.push_back(entrada.path().filename().string());
    }
  }
  EXPECT_EQ(escritas.size(), std::size(imagenes)) << "no other file, no temporary left behind";

  // Logging is on: the jam and the failed fetch, each one line; every
  // document the host got no whole data for is named whatever the switch.
  // In the files' encoding, which platform::AAnsi gives.
  const std::vector<std::string> registro = Lineas(platform::DesdeAnsi(dir_.Lee("Lectora.log")));
  EXPECT_THAT(
      registro,
      ElementsAre(HasSubstr(" - 204 - Atasco de cheques en bandeja de entrada/salida "),
                  HasSubstr(" - 5 - Documento sin datos, número de error 4, línea "
                            "\"\" Vuelva a pasar el talón "),
                  HasSubstr(" - -3 - Error al procesar imagen 2 "),
                  HasSubstr(" - -3 - Imagen 2 no guardada (" + Imagen("REV21004567890.tif") +
                            "), número de error 5, línea "
                            "\"C4567890E2100C0813E0200098765B00B0017A311226D\" Vuelva a "
                            "pasar el talón ")));
  EXPECT_THAT(dir_.Lee("Lectora.log"), HasSubstr("salida \r\n"));
}

TEST_F(OrdenVardel, LeeLaBandejaEnTexto) {
  const ResultadoPrograma r = Vardel({"read"}, kSinOperador);
  ASSERT_EQ(r.codigo, 0) << r.errores;
  const std::vector<std::string> lineas = Lineas(r.salida);
  EXPECT_THAT(lineas, testing::IsSupersetOf(std::vector<std::string>{
                          "Documento 1: cheque",
                          "  NumDoc    1234567",
                          "  Entidad   0049",
                          "Documento 2: línea no legible (IDERR 2)",
                          "Documento 4: cheque",
                          "Documento 3: la lectora no dio datos del documento. Vuelva a pasar el "
                          "talón.",
                          "  imagen 2  NO GUARDADA " + Imagen("REV21004567890.tif") +
                              " (número -3): vuelva a pasar el talón.",
                          "Resumen: 4 documentos: 1 cheque leído, 1 sin todas sus imágenes, 1 "
                          "sin línea legible, 1 sin datos; 1 cheque atascado.",
                          "Vuelva a pasar: los documentos 2, 3, 4; el cheque atascado.",
                      }));
  EXPECT_THAT(r.salida,
              HasSubstr("  imagen    " + Imagen("ANV00491234567.jpg") + " (" +
                        std::to_string(Bandeja("cheque01-anverso.jpg").size()) + " bytes)"));
  // No terminal to answer the jam's message box: it is a JSON line on
  // standard error, answered at once, and the text output shows it too.
  EXPECT_THAT(Lineas(r.errores),
              testing::Contains(HasSubstr("{\"tipo\":\"atasco\",\"texto\":\"Error 204 - Cheque "
                                          "atascado en bandeja.\",\"aviso\":")));
  EXPECT_THAT(r.salida, HasSubstr("Atasco: Error 204 - Cheque atascado en bandeja. Al aceptar el "
                                  "aviso, la lectora vacía el recorrido"));
}

// Amounts print in plain decimals with at most two of them, however large
// or small the code line's amount is; and what a read says of its tray.
TEST_F(OrdenVardel, ImportesSinExponente) {
  Escenario(R"([Reader]
[Document1]
micr=C1234567E0049C1234E0123456789B00B0012A12345678901234567890C
[Document2]
micr=C1234568E0049C1234E0123456789B00B0012A0000000001C
[Document3]
micr=C1234569E0049C1234E0123456789B00B0012A0000000029C
)");
  const ResultadoPrograma r = Vardel({"--json", "read"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  std::vector<std::string> importes;
  for (const std::string& linea : Lineas(r.salida)) {
    const auto inicio = linea.find("\"Importe\":");
    if (inicio != std::string::npos) {
      importes.push_back(linea.substr(inicio + 10, linea.find(',', inicio) - inicio - 10));
    }
  }
  // The first is beyond what a double holds in cents: a whole number.
  EXPECT_THAT(importes, ElementsAre(AllOf(StartsWith("1234567890123456"), testing::SizeIs(18)),
                                    "0.01", "0.29"))
      << r.salida;
  // For the operator, two decimals always, in the locale's form (C here).
  const ResultadoPrograma texto = Vardel({"read"}, kSinOperador);
  EXPECT_THAT(Lineas(texto.salida), testing::IsSupersetOf(std::vector<std::string>{
                                        "  Importe   0.01", "  Importe   0.29"}));

  // A tray empty from the start says so, rather than "0 documentos".
  Escenario("[Reader]\n");
  const ResultadoPrograma vacia = Vardel({"read"}, kSinOperador);
  EXPECT_EQ(vacia.codigo, 0) << vacia.errores;
  EXPECT_THAT(vacia.salida, HasSubstr("Resumen: la bandeja estaba vacía; no se ha leído ningún "
                                      "documento"));
  EXPECT_THAT(vacia.salida, Not(HasSubstr("0 documentos")));
}

TEST_F(OrdenVardel, SinDirectorioDeImagenesNoAlimentaNingunCheque) {
  const std::string ausente = dir_.Archivo("no-existe");
  Configura(ausente);
  const ResultadoPrograma r = Vardel({"read"});
  EXPECT_EQ(r.codigo, 1);
  // The number and description, then what to mend and where.
  EXPECT_THAT(Lineas(r.errores),
              ElementsAre("vardel: error 76: No se ha encontrado la ruta de acceso",
                          "  no existe la carpeta de imágenes \"" + ausente +
                              "\" (DirectorioImg en " + dir_.Archivo("Config.ini") + ")"));
  // Refused before the reader was touched: no cheque left the tray to be
  // lost at its first image.
  EXPECT_EQ(Capturas(), 0);

  const ResultadoPrograma enJson = Vardel({"read", "--json"});
  EXPECT_EQ(enJson.codigo, 1);
  const std::vector<json> lineas = LineasJson(enJson.salida);
  ASSERT_EQ(lineas.size(), 1u);
  EXPECT_EQ(lineas[0]["tipo"], "error");
  EXPECT_EQ(lineas[0]["numero"], 76);
  EXPECT_EQ(lineas[0]["descripcion"], "No se ha encontrado la ruta de acceso");
  EXPECT_THAT(lineas[0]["detalle"].get<std::string>(), HasSubstr(ausente));

#ifndef _WIN32
  // A file an editor saved with the UTF-8 mark: the section on its first
  // line is hidden, as on Windows, and the detail says so and how to save
  // it. (Wine skips the mark, unlike Windows: natively only.)
  dir_.Escribe("Config.ini", "\xEF\xBB\xBF" + dir_.Lee("Config.ini"));
  const ResultadoPrograma conMarca = Vardel({"read"});
  EXPECT_EQ(conMarca.codigo, 1);
  EXPECT_THAT(conMarca.errores, HasSubstr("empieza con la marca de UTF-8 (EF BB BF)"));
#endif
}

// The reader library cannot be loaded: the component's error names every
// path it tried and the loader's reason.
TEST_F(OrdenVardel, SinBibliotecaDeLaLectoraDiceQueSeProbo) {
  fs::remove(dir_.Archivo(device::kArchivoLectora));
  const ResultadoPrograma r = Vardel({"status"});
  EXPECT_EQ(r.codigo, 1);
  EXPECT_THAT(Lineas(r.errores),
              ElementsAre("vardel: error 48: Error al cargar la DLL",
                          AllOf(StartsWith("  no se ha podido cargar la biblioteca; probado: "),
                                HasSubstr(dir_.Archivo(device::kArchivoLectora) + " ("),
                                HasSubstr("; " + std::string(device::kArchivoLectora) + " ("))));
}

TEST_F(OrdenVardel, SinLectoraNoLeeYSaleConSuCodigo) {
  Escenario("[Reader]\npresent=no\njournal=diario.log\n");
  const ResultadoPrograma r = Vardel({"read"});
  EXPECT_EQ(r.codigo, 2);
  EXPECT_THAT(r.errores,
              AllOf(HasSubstr("no hay ninguna lectora conectada"),
                    HasSubstr("\"EXCELLA.EXC001\" (Name en " + dir_.Archivo("Config.ini") + ")")));
  EXPECT_EQ(Capturas(), 0);
}

TEST_F(OrdenVardel, SoloSeListanLasImagenesEscritasEnLaLectura) {
  // An earlier read's back image of the cheque whose back fetch fails.
  dir_.Escribe(std::string("imagenes") + platform::kSeparador + "REV21004567890.tif", "antigua");
  fs::last_write_time(Imagen("REV21004567890.tif"),
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  const ResultadoPrograma r = Vardel({"read", "--json"});
  ASSERT_EQ(r.codigo, 0) << r.errores;
  EXPECT_THAT(r.salida, HasSubstr("\"imagenes\":[" + Json(Imagen("ANV21004567890.tif")) + "," +
                                  Json(Imagen("ANV21004567890.jpg")) + "],"));
}

TEST_F(OrdenVardel, EstadoConLaLectoraPresenteYAusente) {
  const ResultadoPrograma presente = Vardel({"status"});
  EXPECT_EQ(presente.codigo, 0) << presente.errores;
  EXPECT_THAT(Lineas(presente.salida), ElementsAre("Lectora conectada."));
  EXPECT_THAT(dir_.Lee("Lectora.log"), IsEmpty());

  Escenario("[Reader]\npresent=no\n");
  const ResultadoPrograma ausente = Vardel({"--json", "status"});
  EXPECT_EQ(ausente.codigo, 2) << ausente.errores;
  const std::vector<json> lineas = LineasJson(ausente.salida);
  ASSERT_EQ(lineas.size(), 1u);
  EXPECT_EQ(lineas[0]["tipo"], "estado");
  EXPECT_EQ(lineas[0]["conectada"], false);
  EXPECT_THAT(lineas[0]["detalle"].get<std::string>(), HasSubstr(dir_.Archivo("Config.ini")));
  // The failed open at creation is logged whatever the logging switch says,
  // in the files' encoding (on Windows the code page: "ó" is 0xF3).
  EXPECT_THAT(Lineas(dir_.Lee("Lectora.log")),
              ElementsAre(HasSubstr(platform::AAnsi(" - -1 - No se ha podido establecer conexión "
                                                    "con la lectora EXCELLA.EXC001"))));
}

TEST_F(OrdenVardel, AyudaVersionYUsoIncorrecto) {
  const ResultadoPrograma ayuda = Vardel({"--help"});
  EXPECT_EQ(ayuda.codigo, 0);
  EXPECT_THAT(ayuda.salida, AllOf(HasSubstr("Uso: vardel [OPCIONES] ORDEN"), HasSubstr("  read "),
                                  HasSubstr("  status "), HasSubstr("  watch "),
                                  HasSubstr("  64   uso incorrecto")));
  const ResultadoPrograma ayudaLeer = Vardel({"read", "--help"});
  EXPECT_EQ(ayudaLeer.codigo, 0);
  EXPECT_THAT(ayudaLeer.salida, AllOf(HasSubstr("Uso: vardel read"), HasSubstr("--json")));

  const ResultadoPrograma version = Vardel({"--version"});
  EXPECT_EQ(version.codigo, 0);
  EXPECT_THAT(Lineas(version.salida), ElementsAre("vardel " VARDEL_VERSION));

  // Refused before anything is done: one line, with the help to read.
  const std::pair<std::vector<std::string>, std::string> mal[] = {
      {{"leer"}, "orden desconocida: leer (vardel --help"},
      {{"read", "--nada"}, "opción no reconocida: --nada (vardel read --help"},
      {{"status", "--seconds", "5"}, "opción no reconocida: --seconds (vardel status --help"},
      {{"watch", "--seconds", "0"}, "número de segundos no válido"},
      {{"settings", "sobra"}, "argumento no reconocido: sobra (vardel settings --help"},
      {{"--seconds", "5", "read"}, "--seconds solo vale para watch"},
      {{"settings", "--json"}, "settings no tiene salida JSON"},
      {{"serve", "--allow-origin", "https://cajero.example/app"}, "origen no válido"},
      {{"--json", "serve"}, "serve no tiene salida --json"},
  };
  for (const auto& [argumentos, mensaje] : mal) {
    SCOPED_TRACE(argumentos.back());
    const ResultadoPrograma r = Vardel(argumentos);
    EXPECT_EQ(r.codigo, 64);
    EXPECT_THAT(Lineas(r.errores), ElementsAre(StartsWith("vardel: " + mensaje)));
    EXPECT_THAT(r.salida, IsEmpty());
  }
  EXPECT_EQ(Capturas(), 0);
}

// The image folder goes away between the second cheque's first and second
// image: the read ends with the error, and that cheque, fed and half
// stored, is shown before it as not delivered, never as a document read.
// The summary still comes, counting it to be fed again, then the error
// naming the file and the folder, and the last cheque delivered whole.
TEST_F(OrdenVardel, UnErrorAMitadDeChequeLoMuestraSinEntregarYResume) {
  Escenario(R"([Reader]
[Document1]
micr=C1234567E0049C1234E0123456789B00B0012A000012345C
image1=imagenes-bandeja/cheque01-anverso.tif
image2=imagenes-bandeja/cheque01-reverso.tif
[Document2]
micr=C2345678E0075C0310E0200012345B00B0012A
image1=imagenes-bandeja/cheque02-anverso.tif
image2=imagenes-bandeja/cheque02-reverso.tif
[Event1]
call=MTMICRGetImage:4
do=remove
path=imagenes
)");
  const std::string perdida = Imagen("REV00752345678.tif");
  const ResultadoPrograma r = Vardel({"--json", "read"});
  EXPECT_EQ(r.codigo, 1);
  const std::vector<json> lineas = LineasJson(r.salida);
  ASSERT_EQ(lineas.size(), 4u) << r.salida;
  EXPECT_EQ(lineas[0]["aviso"], nullptr);
  EXPECT_EQ(lineas[1]["tipo"], "documento");
  EXPECT_EQ(lineas[1]["datos"], nullptr);
  EXPECT_EQ(lineas[1]["imagenes"], json::array({Imagen("ANV00752345678.tif")}));
  EXPECT_EQ(lineas[1]["no_guardadas"],
            json::array({{{"imagen", 2}, {"ruta", perdida}, {"numero", 76}}}));
  EXPECT_EQ(lineas[1]["aviso"], "vuelva a pasar el talón");
  EXPECT_EQ(lineas[2]["tipo"], "resumen");
  EXPECT_EQ(lineas[2]["documentos"], 2);
  EXPECT_EQ(lineas[2]["cheques"], 1);
  EXPECT_EQ(lineas[2]["sin_datos"], 1);
  EXPECT_EQ(lineas[2]["volver_a_pasar"], json::array({2}));
  EXPECT_EQ(lineas[3]["tipo"], "error");
  EXPECT_EQ(lineas[3]["numero"], 76);
  EXPECT_THAT(lineas[3]["detalle"].get<std::string>(),
              AllOf(HasSubstr("no se ha podido guardar la imagen \"" + perdida + "\""),
                    HasSubstr("carpeta de imágenes \"" + Imagenes() + "\" (DirectorioImg en "),
                    HasSubstr("que ya no existe")));
  EXPECT_EQ(lineas[3]["ultimo_documento"], 1);
  EXPECT_EQ(lineas[3]["datos"]["NumDoc"], "1234567");

  fs::create_directory(Imagenes());
  Escenario(dir_.Lee("mtxmlmcr.scenario") + "\n");  // the event fires again
  const ResultadoPrograma texto = Vardel({"read"});
  EXPECT_EQ(texto.codigo, 1);
  EXPECT_THAT(Lineas(texto.salida),
              testing::IsSupersetOf(std::vector<std::string>{
                  "Resumen: 2 documentos: 1 cheque leído, 0 sin todas sus imágenes, 0 sin línea "
                  "legible, 1 sin datos; 0 cheques atascados.",
                  "Vuelva a pasar: el documento 2."}));
  EXPECT_THAT(Lineas(texto.errores),
              ElementsAre("vardel: error 76: No se ha encontrado la ruta de acceso",
                          AllOf(StartsWith("  no se ha podido guardar la imagen \"" + perdida),
                                HasSubstr("que ya no existe")),
                          "  el último documento entregado entero es el 1 (cheque 0049 1234567). "
                          "Vuelva a pasar los que lo siguen."));
}

// "Name" names a device the library does not list, while the presence
// check, which looks for its own fixed name, finds the reader: the read's
// open fails and its one capture fails too, which is not an empty tray.
TEST_F(OrdenVardel, ConOtroNombreDeLectoraNoEsUnaBandejaVacia) {
  Configura(Imagenes(), "OTRA.LECTORA");
  const ResultadoPrograma r = Vardel({"read"});
  EXPECT_EQ(r.codigo, 2) << r.salida;
  EXPECT_THAT(r.salida, Not(HasSubstr("Resumen")));
  EXPECT_THAT(r.errores,
              AllOf(HasSubstr("no se ha podido abrir la lectora \"OTRA.LECTORA\""),
                    HasSubstr("la comprobación de presencia vigila \"EXCELLA.EXC001\"")));

  const ResultadoPrograma estado = Vardel({"status", "--json"});
  const std::vector<json> lineas = LineasJson(estado.salida);
  ASSERT_EQ(lineas.size(), 1u);
  EXPECT_THAT(lineas[0]["aviso"].get<std::string>(), HasSubstr("la lectura abre \"OTRA.LECTORA\""));
}

// The starting state comes at once, also when the watch ends before its
// first tick; --seconds may come before the command.
TEST_F(OrdenVardel, VigilarDiceElEstadoInicial) {
  const ResultadoPrograma r = Vardel({"--seconds", "1", "--json", "watch"});
  EXPECT_EQ(r.codigo, 0) << r.errores;
  const std::vector<json> lineas = LineasJson(r.salida);
  ASSERT_EQ(lineas.size(), 1u) << r.salida;
  EXPECT_EQ(lineas[0]["tipo"], "lectora");
  EXPECT_EQ(lineas[0]["conectada"], true);
}

#ifndef _WIN32
// Ctrl+C and SIGTERM in the middle of the first cheque: it is finished
// (its three images, its line, no trace in the log), the second is never
// fed, and the summary and the exit code say so. A closed output is found
// at the next line written, the second cheque's: that one is finished too,
// the third is not fed, and standard error names the last one delivered.
TEST_F(OrdenVardel, UnaParadaAcabaElChequeEnCursoYNoAlimentaOtro) {
  // The second fetch of the first cheque marks the moment; each fetch
  // takes a while, so the stop lands with the cheque half stored.
  Escenario(R"([Reader]
journal=diario.log
fetchdelay=300
[Document1]
micr=C1234567E0049C1234E0123456789B00B0012A000012345C
image1=imagenes-bandeja/cheque01-anverso.tif
image2=imagenes-bandeja/cheque01-reverso.tif
image3=imagenes-bandeja/cheque01-anverso.jpg
[Document2]
micr=C2345678E0075C0310E0200012345B00B0012A
image1=imagenes-bandeja/cheque02-anverso.tif
[Document3]
micr=C4567890E2100C0813E0200098765B00B0017A311226D
[Event1]
call=MTMICRGetImage:2
do=write
path=en-curso
text=1
)");
  const std::string orden = "./" + std::string(VARDEL_ORDEN) + " --json read";
  // A script's background job starts with SIGINT ignored, which the
  // command leaves so: this one is given it back, as a terminal's is.
  const std::string fondo = "env --default-signal=INT " + orden +
                            " > lineas & p=$!; while [ ! -e en-curso ]; do sleep 0.02; done; ";
  const std::pair<const char*, std::string> casos[] = {
      {"INT", fondo + "kill -INT $p; wait $p; echo $? > codigo"},
      {"TERM", fondo + "kill -TERM $p; wait $p; echo $? > codigo"},
      // The reader of the output goes away after the first line.
      {"PIPE", "{ " + orden + "; echo $? > codigo; } | head -1 > lineas"},
  };
  for (const auto& [caso, guion] : casos) {
    SCOPED_TRACE(caso);
    fs::remove_all(Imagenes());
    fs::create_directory(Imagenes());
    for (const char* resto : {"en-curso", "diario.log", "Lectora.log"}) {
      fs::remove(dir_.Archivo(resto));
    }
    Escenario(dir_.Lee("mtxmlmcr.scenario") + "\n");  // a new text: a full tray
    const ResultadoPrograma r = EjecutaPrograma("/bin/sh", {"-c", guion}, dir_.Ruta());
    const bool tuberia = std::string(caso) == "PIPE";
    EXPECT_EQ(dir_.Lee("codigo"), "4\n") << r.errores;
    EXPECT_EQ(Capturas(), tuberia ? 2 : 1);
    for (const char* imagen : {"ANV00491234567.tif", "REV00491234567.tif", "ANV00491234567.jpg"}) {
      EXPECT_FALSE(LeeImagen(imagen).empty()) << imagen;
    }
    const std::vector<json> lineas = LineasJson(dir_.Lee("lineas"));
    ASSERT_FALSE(lineas.empty());
    EXPECT_EQ(lineas[0]["documento"], 1);
    EXPECT_EQ(lineas[0]["imagenes"].size(), 3u);
    if (tuberia) {
      EXPECT_FALSE(LeeImagen("ANV00752345678.tif").empty());
      EXPECT_THAT(r.errores, HasSubstr("el último documento entregado entero es el 2"));
    } else {
      ASSERT_EQ(lineas.size(), 3u);
      EXPECT_EQ(lineas[1]["tipo"], "resumen");
      EXPECT_EQ(lineas[1]["documentos"], 1);
      EXPECT_EQ(lineas[2]["tipo"], "detenida");
      EXPECT_EQ(lineas[2]["ultimo_documento"], 1);
    }
    EXPECT_THAT(dir_.Lee("Lectora.log"), IsEmpty());
  }
}
#endif

}  // namespace
}  // namespace vardel
