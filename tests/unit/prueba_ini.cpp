// The settings reads and writes, against one table of files, each read as
// an ANSI file and as a Unicode (UTF-16LE) one. Natively the project's own
// engine answers; under Wine the system's private-profile functions do, and
// the engine is checked against the same table, so a difference between the
// two shows as a failure on one side.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "capture/directorio_imagenes.h"
#include "platform/ansi.h"
#include "platform/codificacion_ini.h"
#include "platform/motor_ini.h"
#include "settings/configuracion.h"
#include "support/directorio_prueba.h"
#include "vardel/error.h"

namespace vardel {
namespace {

using Configuracion::EscribeIni;
using Configuracion::LeeIni;
using testing::HasSubstr;

// A file's text saved as Unicode: the UTF-16LE mark, then the text.
std::string Unicode(std::string_view texto) {
  return "\xFF\xFE" + platform::ini::Utf8AUtf16(texto);
}

struct CasoLectura {
  const char* nombre;
  const char* contenido;
  const char* seccion;
  const char* clave;
  const char* esperado;
};

const CasoLectura kLecturas[] = {
    {"valor simple", "[LectoraUSB]\r\nName=EXCELLA.EXC001\r\n", "LectoraUSB", "Name",
     "EXCELLA.EXC001"},
    {"valor vacio", "[LectoraUSB]\r\nName=\r\n", "LectoraUSB", "Name", ""},
    {"clave ausente", "[LectoraUSB]\r\nOtra=1\r\n", "LectoraUSB", "Name", ""},
    {"seccion ausente", "[Otra]\r\nName=1\r\n", "LectoraUSB", "Name", ""},
    {"archivo vacio", "", "LectoraUSB", "Name", ""},
    {"minusculas en el archivo", "[lectorausb]\r\nname=abc\r\n", "LectoraUSB", "Name", "abc"},
    {"blancos alrededor", "[LectoraUSB]\r\n  Name  =   abc def  \r\n", "LectoraUSB", "Name",
     "abc def"},
    {"tabuladores", "[LectoraUSB]\r\n\tName\t=\tabc\t\r\n", "LectoraUSB", "Name", "abc"},
    {"clave pedida con blanco", "[LectoraUSB]\r\nDirectorioLog=C:\\Log\r\n", "LectoraUSB",
     "DirectorioLog ", "C:\\Log"},
    {"seccion pedida con blancos", "[ LectoraUSB ]\r\nName=x\r\n", " LectoraUSB", "Name", "x"},
    {"comillas dobles", "[LectoraUSB]\r\nPrintData=\"PAGADO  \"\r\n", "LectoraUSB", "PrintData",
     "PAGADO  "},
    {"comillas simples", "[LectoraUSB]\r\nPrintData='abc'\r\n", "LectoraUSB", "PrintData", "abc"},
    {"comillas distintas", "[LectoraUSB]\r\nPrintData=\"abc'\r\n", "LectoraUSB", "PrintData",
     "\"abc'"},
    {"una sola comilla", "[LectoraUSB]\r\nPrintData=\"\r\n", "LectoraUSB", "PrintData", "\""},
    {"comillas vacias", "[LectoraUSB]\r\nPrintData=\"\"\r\n", "LectoraUSB", "PrintData", ""},
    {"punto y coma no es comentario", "[LectoraUSB]\r\nName=a ; b\r\n", "LectoraUSB", "Name",
     "a ; b"},
    {"primer igual", "[LectoraUSB]\r\nName=a=b\r\n", "LectoraUSB", "Name", "a=b"},
    {"linea sin igual", "[LectoraUSB]\r\nName\r\n", "LectoraUSB", "Name", ""},
    {"primera clave gana", "[LectoraUSB]\r\nName=uno\r\nName=dos\r\n", "LectoraUSB", "Name", "uno"},
    {"primera seccion gana", "[LectoraUSB]\r\nA=1\r\n[LectoraUSB]\r\nName=dos\r\n", "LectoraUSB",
     "Name", ""},
    {"solo LF", "[LectoraUSB]\nA=1\nName=lf\n", "LectoraUSB", "Name", "lf"},
    {"solo CR", "[LectoraUSB]\rA=1\rName=cr\r", "LectoraUSB", "Name", "cr"},
    {"sin fin de linea", "[LectoraUSB]\r\nName=fin", "LectoraUSB", "Name", "fin"},
    {"corchete sin cerrar no es seccion", "[LectoraUSB]\r\n[Otra\r\nName=x\r\n", "LectoraUSB",
     "Name", "x"},
    {"nombre hasta el ultimo corchete", "[Lectora]USB]\r\nName=x\r\n", "Lectora]USB", "Name", "x"},
    {"clave fuera de seccion", "Name=x\r\n[LectoraUSB]\r\n", "LectoraUSB", "Name", ""},
    {"seccion siguiente no cuenta", "[LectoraUSB]\r\nA=1\r\n[Otra]\r\nName=x\r\n", "LectoraUSB",
     "Name", ""},
};

class LecturaIni : public testing::TestWithParam<CasoLectura> {};

TEST_P(LecturaIni, LeeIniDaElValorEsperado) {
  const CasoLectura& caso = GetParam();
  prueba::DirectorioPrueba dir;
  for (const std::string& contenido : {std::string(caso.contenido), Unicode(caso.contenido)}) {
    dir.Escribe("Config.ini", contenido);
    EXPECT_EQ(LeeIni(caso.seccion, caso.clave, dir.Archivo("Config.ini")), caso.esperado);
  }
}

TEST_P(LecturaIni, ElMotorPropioDaLoMismo) {
  const CasoLectura& caso = GetParam();
  for (const std::string& contenido : {std::string(caso.contenido), Unicode(caso.contenido)}) {
    EXPECT_EQ(platform::DesdeAnsi(
                  platform::ini::ValorEnAnsi(contenido, caso.seccion, caso.clave).value_or("")),
              caso.esperado);
  }
}

INSTANTIATE_TEST_SUITE_P(Tabla, LecturaIni, testing::ValuesIn(kLecturas),
                         [](const testing::TestParamInfo<CasoLectura>& info) {
                           std::string nombre = info.param.nombre;
                           for (char& c : nombre) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) {
                               c = '_';
                             }
                           }
                           return nombre;
                         });

TEST(LeeIni, UnValorLargoSeCortaA127Caracteres) {
  prueba::DirectorioPrueba dir;
  const std::string largo(200, 'x');
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nPrintData=" + largo + "\r\n");
  EXPECT_EQ(LeeIni("LectoraUSB", "PrintData", dir.Archivo("Config.ini")), std::string(127, 'x'));
  // Characters of the code page, however many bytes their UTF-8 takes on
  // POSIX: 127 whole "ñ", never half of one.
  std::string enes;
  for (int i = 0; i < 200; ++i) {
    enes += "ñ";
  }
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nPrintData=" + platform::AAnsi(enes) + "\r\n");
  EXPECT_EQ(LeeIni("LectoraUSB", "PrintData", dir.Archivo("Config.ini")), enes.substr(0, 2 * 127));
  dir.Escribe("Config.ini", Unicode("[LectoraUSB]\r\nPrintData=" + enes + "\r\n"));
  EXPECT_EQ(LeeIni("LectoraUSB", "PrintData", dir.Archivo("Config.ini")), enes.substr(0, 2 * 127));
}

// A file saved on a Windows machine: 120 characters of Windows-1252, 20 of
// them accented, are 140 bytes once UTF-8, and still a whole value.
TEST(LeeIni, UnValorDeWindows1252SeCuentaEnCaracteres) {
  prueba::DirectorioPrueba dir;
  std::string enArchivo;
  std::string utf8;
  for (int i = 0; i < 20; ++i) {
    enArchivo += "/sede\xE1";
    utf8 += "/sedeá";
  }
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nDirectorioImg=" + enArchivo + "\r\n");
  EXPECT_EQ(Configuracion::LeeAjuste("DirectorioImg"), utf8);
  EXPECT_FALSE(Configuracion::AjusteCortado("DirectorioImg", utf8));
  EXPECT_EQ(capture::DirectorioImagenes(), utf8);
}

TEST(LeeIni, UnArchivoUnicodeDaLosValoresEnLaPaginaDeCodigos) {
  prueba::DirectorioPrueba dir;
  const std::string archivo = dir.Archivo("Config.ini");
  // What the code page lacks (a Cyrillic letter, a character beyond 16
  // bits) comes back as the A functions give it.
  dir.Escribe("Config.ini", Unicode("[LectoraUSB]\r\nPrintData=Compensación Ж\r\nName=a𝄞b\r\n"));
  EXPECT_EQ(LeeIni("LectoraUSB", "PrintData", archivo),
            platform::DesdeAnsi(platform::AAnsi("Compensación Ж")));
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", archivo), platform::DesdeAnsi(platform::AAnsi("a𝄞b")));
  // An unpaired surrogate is the default character; a last odd byte is a
  // character whose high byte is 0.
  dir.Escribe("Config.ini", Unicode("[LectoraUSB]\r\nName=a") + std::string("\x00\xD8", 2) +
                                platform::ini::Utf8AUtf16("b\r\nDocFeed=E13B") + "\x41");
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", archivo), "a?b");
#ifndef _WIN32
  // Wine reads the last odd byte together with the byte after its buffer,
  // so what it gives there depends on its heap; the engine gives it as
  // Windows does.
  EXPECT_EQ(LeeIni("LectoraUSB", "DocFeed", archivo), "E13BA");
#endif
}

TEST(LeeIni, ArchivoODirectorioInexistentesLeenVacio) {
  prueba::DirectorioPrueba dir;
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", dir.Archivo("Config.ini")), "");
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", dir.Archivo("no") + "/Config.ini"), "");
}

TEST(LeeIni, UnDirectorioEnLugarDelArchivoLeeVacio) {
  prueba::DirectorioPrueba dir;
  std::filesystem::create_directory(dir.Archivo("Config.ini"));
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", dir.Archivo("Config.ini")), "");
  EXPECT_EQ(EscribeIni("LectoraUSB", "Name", "x", dir.Archivo("Config.ini")), Boolean::False);
}

TEST(LeeIni, TextoDeLaPaginaDeCodigosSeLeeComoUtf8) {
  prueba::DirectorioPrueba dir;
  dir.Escribe("Config.ini", "[LectoraUSB]\r\nPrintData=Compensaci\xF3n\r\n");
  EXPECT_EQ(LeeIni("LectoraUSB", "PrintData", dir.Archivo("Config.ini")), "Compensación");
}

TEST(EscribeIni, ReemplazaAnadeYCrea) {
  prueba::DirectorioPrueba dir;
  const std::string archivo = dir.Archivo("Config.ini");
  // A missing file is created.
  EXPECT_EQ(EscribeIni("LectoraUSB", "Name", "EXCELLA.EXC001", archivo), Boolean::True);
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", archivo), "EXCELLA.EXC001");
  // A new key joins its section, a new section goes at the end.
  EXPECT_EQ(EscribeIni("LectoraUSB", "DocFeed", "E13B", archivo), Boolean::True);
  EXPECT_EQ(EscribeIni("Otra", "Name", "x", archivo), Boolean::True);
  // A key is replaced where it stands, whatever the case it is asked with.
  EXPECT_EQ(EscribeIni("lectorausb", "NAME", "otro", archivo), Boolean::True);
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", archivo), "otro");
  EXPECT_EQ(LeeIni("LectoraUSB", "DocFeed", archivo), "E13B");
  EXPECT_EQ(LeeIni("Otra", "Name", archivo), "x");
  EXPECT_EQ(EscribeIni("LectoraUSB", "PrintData", "Compensación", archivo), Boolean::True);
  EXPECT_EQ(LeeIni("LectoraUSB", "PrintData", archivo), "Compensación");
}

TEST(EscribeIni, ConservaLoDemasDelArchivo) {
  prueba::DirectorioPrueba dir;
  dir.Escribe("Config.ini",
              "[Antes]\r\nA=1\r\n[LectoraUSB]\r\nName=n\r\nLogActivo=S\r\n[Despues]\r\nB=2\r\n");
  const std::string archivo = dir.Archivo("Config.ini");
  EXPECT_EQ(EscribeIni("LectoraUSB", "DirectorioImg", "/img/", archivo), Boolean::True);
  EXPECT_EQ(LeeIni("Antes", "A", archivo), "1");
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", archivo), "n");
  EXPECT_EQ(LeeIni("LectoraUSB", "LogActivo", archivo), "S");
  EXPECT_EQ(LeeIni("LectoraUSB", "DirectorioImg", archivo), "/img/");
  EXPECT_EQ(LeeIni("Despues", "B", archivo), "2");
}

TEST(EscribeIni, UnArchivoUnicodeSigueSiendoUnicode) {
  prueba::DirectorioPrueba dir;
  const std::string archivo = dir.Archivo("Config.ini");
  // A line with a character the code page lacks and an unpaired surrogate.
  const std::string otraLinea = platform::ini::Utf8AUtf16("Name=Ж") + std::string("\x00\xD8", 2);
  dir.Escribe("Config.ini", Unicode("[LectoraUSB]\r\nPrintData=x\r\n") + otraLinea +
                                platform::ini::Utf8AUtf16("\r\n"));
  EXPECT_EQ(EscribeIni("LectoraUSB", "PrintData", "Compensación Ж", archivo), Boolean::True);
  const std::string bytes = dir.Lee("Config.ini");
  EXPECT_TRUE(bytes.starts_with("\xFF\xFE"));
  // The value went through the code page, as the A functions pass it; the
  // other lines keep what the code page cannot hold.
  const std::string escrito = platform::DesdeAnsi(platform::AAnsi("Compensación Ж"));
  EXPECT_THAT(bytes, HasSubstr(platform::ini::Utf8AUtf16("PrintData=" + escrito)));
  EXPECT_THAT(bytes, HasSubstr(otraLinea));
  EXPECT_EQ(LeeIni("LectoraUSB", "PrintData", archivo), escrito);
}

TEST(EscribeIni, UnDirectorioInexistenteFalla) {
  prueba::DirectorioPrueba dir;
  EXPECT_EQ(EscribeIni("LectoraUSB", "Name", "x", dir.Archivo("no-existe") + "/Config.ini"),
            Boolean::False);
}

TEST(MotorIni, EscribeComoLoEsperaLaLectura) {
  std::string texto = platform::ini::EscribeValor("", "LectoraUSB", "Name", "a");
  EXPECT_EQ(texto, "[LectoraUSB]\r\nName=a\r\n");
  texto = platform::ini::EscribeValor("[LectoraUSB]\nname = viejo\n\n[Otra]\nX=1\n", "LectoraUSB",
                                      "Name", "nuevo");
  EXPECT_EQ(texto, "[LectoraUSB]\r\nname=nuevo\r\n[Otra]\r\nX=1\r\n");
  texto = platform::ini::EscribeValor(texto, "LectoraUSB", "DocFeed", "E13B");
  EXPECT_EQ(texto, "[LectoraUSB]\r\nname=nuevo\r\nDocFeed=E13B\r\n[Otra]\r\nX=1\r\n");
}

// Windows does not recognise a UTF-8 mark: its bytes hide a section header
// on the first line. Wine skips the mark, so that case is checked natively
// only; the notice follows whatever the platform's functions find.
TEST(AvisoMarcaUtf8, NombraLaMarcaCuandoLaSeccionNoSeEncuentra) {
  prueba::DirectorioPrueba dir;
  dir.Escribe("Config.ini", "\xEF\xBB\xBF[Otra]\r\n");
  EXPECT_THAT(Configuracion::AvisoMarcaUtf8(), HasSubstr("EF BB BF"));
  dir.Escribe("Config.ini", "\xEF\xBB\xBF\r\n[LectoraUSB]\r\nName=x\r\n");
  EXPECT_EQ(Configuracion::AvisoMarcaUtf8(), "");
#ifndef _WIN32
  dir.Escribe("Config.ini", "\xEF\xBB\xBF[LectoraUSB]\r\nDirectorioImg=" + dir.Ruta() + "\r\n");
  EXPECT_EQ(Configuracion::LeeAjuste("DirectorioImg"), "");
  try {
    capture::DirectorioImagenes();
    ADD_FAILURE() << "sin error";
  } catch (const ErrorEjecucion& e) {
    EXPECT_THAT(e.Detalle(), HasSubstr("(EF BB BF)"));
  }
#endif
}

}  // namespace
}  // namespace vardel
