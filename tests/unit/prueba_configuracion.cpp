// The settings screen's read and save of Config.ini.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "settings/configuracion.h"
#include "support/directorio_prueba.h"
#include "support/entorno_prueba.h"
#include "vardel/configuracion.h"
#include "vardel/error.h"

namespace vardel {
namespace {

using Configuracion::GuardaConfiguracion;
using Configuracion::LeeConfiguracion;
using Configuracion::LeeIni;

std::shared_ptr<Collection> DatosDePantalla(const std::string& resolucion) {
  auto col = std::make_shared<Collection>();
  col->Add(Variant::String(resolucion), "Resolution1");
  col->Add(Variant::String("TIF"), "FileType1");
  col->Add(Variant::String(resolucion), "Resolution2");
  col->Add(Variant::String("TIF"), "FileType2");
  col->Add(Variant::String(" PAGADO "), "PrintData");
  col->Add(Variant::String("E13B"), "DocFeed");
  col->Add(Variant::String("/img/"), "DirectorioImg");
  return col;
}

TEST(Configuracion, RutaEsElDirectorioDelComponenteYConfigIni) {
  prueba::DirectorioPrueba dir;
  EXPECT_EQ(Configuracion::RutaConfig(), dir.Archivo("Config.ini"));
}

TEST(LeeConfiguracion, CincoValoresEnOrdenConSusClaves) {
  prueba::DirectorioPrueba dir;
  dir.Escribe("Config.ini",
              "[LectoraUSB]\r\nDirectorioImg=/img\r\nDocFeed=E13B\r\nPrintData=PAGADO\r\n"
              "FileType1=TIF\r\nResolution1=200x200\r\n");
  const auto col = LeeConfiguracion();
  ASSERT_EQ(col->Count(), 5);
  const char* claves[] = {"Resolution1", "FileType1", "PrintData", "DocFeed", "DirectorioImg"};
  const char* valores[] = {"200x200", "TIF", "PAGADO", "E13B", "/img"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(*col->Clave(i + 1), claves[i]);
    EXPECT_EQ(col->Item(i + 1).AsString(), valores[i]);
  }
}

TEST(LeeConfiguracion, SinSeccionSonCincoTextosVacios) {
  prueba::DirectorioPrueba dir;
  dir.Escribe("Config.ini", "[Otra]\r\nResolution1=200\r\n");
  const auto col = LeeConfiguracion();
  ASSERT_EQ(col->Count(), 5);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_EQ(col->Item(i), Variant::String(""));
  }
  EXPECT_EQ(col->Item("directorioimg"), Variant::String(""));
  // A host's own section is read whole, past the component's 127 characters.
  const std::string origenes = "https://cajero.example" + std::string(200, 'x');
  dir.Escribe("Config.ini", "[Otra]\r\nResolution1=200\r\n[Puente]\r\nOrigenes = " + origenes);
  EXPECT_EQ(LeeAjusteDe("puente", "ORIGENES"), origenes);
  EXPECT_EQ(LeeAjusteDe("Puente", "Puerto"), "");
}

TEST(GuardaConfiguracion, EscribeLasSieteClavesEnSuFormaGuardada) {
  prueba::DirectorioPrueba dir;
  GuardaConfiguracion(*DatosDePantalla("200"));
  const std::string archivo = dir.Archivo("Config.ini");
  EXPECT_EQ(LeeIni("LectoraUSB", "Resolution1", archivo), "200x200");
  EXPECT_EQ(LeeIni("LectoraUSB", "Resolution2", archivo), "200x200");
  EXPECT_EQ(LeeIni("LectoraUSB", "FileType1", archivo), "TIF");
  EXPECT_EQ(LeeIni("LectoraUSB", "FileType2", archivo), "TIF");
  EXPECT_EQ(LeeIni("LectoraUSB", "PrintData", archivo), "PAGADO");  // blanks trimmed by the read
  EXPECT_EQ(LeeIni("LectoraUSB", "DocFeed", archivo), "E13B");
  EXPECT_EQ(LeeIni("LectoraUSB", "DirectorioImg", archivo), "/img/");
  EXPECT_EQ(LeeIni("LectoraUSB", "Resolution3", archivo), "");
}

TEST(GuardaConfiguracion, UnElementoQueFaltaParaEnSuClave) {
  prueba::DirectorioPrueba dir;
  auto col = DatosDePantalla("200");
  col->Remove("PrintData");
  try {
    GuardaConfiguracion(*col);
    FAIL() << "se esperaba un error";
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 5);
  }
  const std::string archivo = dir.Archivo("Config.ini");
  EXPECT_EQ(LeeIni("LectoraUSB", "FileType2", archivo), "TIF");  // written before the gap
  EXPECT_EQ(LeeIni("LectoraUSB", "DocFeed", archivo), "");       // never reached
}

TEST(GuardaConfiguracion, UnaEscrituraFallidaEsUnError) {
  prueba::DirectorioPrueba dir;
  // Config.ini as a directory: no write can succeed.
  platform::SustituyeDirectorioComponente(dir.Archivo("no-existe"));
  try {
    GuardaConfiguracion(*DatosDePantalla("200"));
    FAIL() << "se esperaba un error";
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 75);
  }
}

// The limit counts characters of the code page, as Windows does, not the
// bytes of their UTF-8: 127 accented letters (254 bytes) are a whole value.
TEST(GuardaConfiguracion, UnValorQueLaLecturaCortariaSeRechazaEntero) {
  for (const std::string_view letra : {"c", "é"}) {
    SCOPED_TRACE(letra);
    std::string largo128;
    for (int i = 0; i < 128; ++i) {
      largo128 += letra;
    }
    const std::string largo127 = largo128.substr(0, 127 * letra.size());
    prueba::DirectorioPrueba dir;
    auto col = DatosDePantalla("200");
    col->Remove("DirectorioImg");
    col->Add(Variant::String(largo128), "DirectorioImg");
    try {
      GuardaConfiguracion(*col);
      FAIL() << "se esperaba un error";
    } catch (const ErrorEjecucion& e) {
      EXPECT_EQ(e.Numero(), 5);
      EXPECT_NE(e.Descripcion().find("DirectorioImg"), std::string::npos) << e.Descripcion();
    }
    EXPECT_FALSE(dir.Existe("Config.ini"));  // nothing written

    // 127 characters read back whole.
    col->Remove("DirectorioImg");
    col->Add(Variant::String(largo127), "DirectorioImg");
    GuardaConfiguracion(*col);
    EXPECT_EQ(LeeIni("LectoraUSB", "DirectorioImg", dir.Archivo("Config.ini")), largo127);
    EXPECT_FALSE(Configuracion::AjusteCortado("DirectorioImg", largo127));
    dir.Escribe("Config.ini",
                "[LectoraUSB]\r\nDirectorioImg=" + platform::AAnsi(largo128) + "\r\n");
    EXPECT_EQ(Configuracion::LeeAjuste("DirectorioImg"), largo127);
    EXPECT_TRUE(Configuracion::AjusteCortado("DirectorioImg", largo127));
  }
}

#ifndef _WIN32
TEST(GuardaConfiguracion, ATravesDeUnEnlaceYConSuModo) {
  prueba::DirectorioPrueba dir;
  std::filesystem::create_directory(dir.Archivo("real"));
  dir.Escribe("real/Config.ini", "[LectoraUSB]\r\nName=X\r\n");
  const auto modo = std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                    std::filesystem::perms::group_read;
  std::filesystem::permissions(dir.Archivo("real/Config.ini"), modo);
  std::filesystem::create_symlink(dir.Archivo("real/Config.ini"), dir.Archivo("Config.ini"));
  // A save killed midway left its temporary; a live writer's stays.
  const std::string muerto =
      "real/Config.ini.tmp-" + platform::IdentidadEquipo() + "-99999999-0123456789abcdef";
  const std::string vivo = "real/Config.ini.tmp-" + platform::IdentidadEquipo() + "-" +
                           std::to_string(platform::ProcesoActual()) + "-0123456789abcdef";
  dir.Escribe(muerto, "[LectoraUSB]\r\n");
  dir.Escribe(vivo, "[LectoraUSB]\r\n");
  GuardaConfiguracion(*DatosDePantalla("200"));
  EXPECT_FALSE(dir.Existe(muerto));
  EXPECT_TRUE(dir.Existe(vivo));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Archivo("Config.ini")));
  EXPECT_EQ(LeeIni("LectoraUSB", "DocFeed", dir.Archivo("real/Config.ini")), "E13B");
  EXPECT_EQ(LeeIni("LectoraUSB", "Name", dir.Archivo("real/Config.ini")), "X");
  EXPECT_EQ(std::filesystem::status(dir.Archivo("real/Config.ini")).permissions(), modo);
}

// An account of the shared group replaces the settings file behind the
// component's link with a link of its own: root's save refuses it.
TEST(GuardaConfiguracion, DeRootNoSigueUnConfigIniPlantado) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "the attack needs root (the victim) and the account nobody (the attacker)";
  }
  prueba::DirectorioPrueba dir;
  const std::string secreto = prueba::SecretoDeRoot(dir.Ruta());
  std::filesystem::create_directory(dir.Archivo("etc"));
  prueba::CarpetaDelGrupo(dir.Archivo("etc"));
  std::filesystem::create_symlink(dir.Archivo("etc/Config.ini"), dir.Archivo("Config.ini"));
  ASSERT_TRUE(prueba::PlantaEnlace(dir.Archivo("etc/Config.ini"), secreto));
  try {
    GuardaConfiguracion(*DatosDePantalla("200"));
    ADD_FAILURE() << "a save through the planted link";
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 75);
    EXPECT_NE(e.Descripcion().find(dir.Archivo("etc/Config.ini") + " es un enlace simbólico"),
              std::string::npos)
        << e.Descripcion();
  }
  EXPECT_TRUE(prueba::SecretoIntacto(secreto));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Archivo("etc")), {}), 1);
}

// The same attacks raced against root's saves and reads, as fast as the
// attacker can: the settings file swapped between the attacker's own file
// (mode 0777) and a link to a root-only file, and the group's folder that
// holds it swapped for a link to a root-only folder. No root-only byte
// reaches a file the attacker can read, and nothing is made in the
// root-only folder.
TEST(GuardaConfiguracion, DeRootResisteCambiosAMitadDeGuardar) {
  if (::geteuid() != 0) {
    GTEST_SKIP() << "the attack needs root (the victim) and the account nobody (the attacker)";
  }
  prueba::DirectorioPrueba dir;
  const std::string secreto = prueba::SecretoDeRoot(dir.Ruta());
  const std::string privado = dir.Archivo("privado");
  for (const char* carpeta : {"etc", "etc/sub"}) {
    std::filesystem::create_directory(dir.Archivo(carpeta));
    prueba::CarpetaDelGrupo(dir.Archivo(carpeta));
  }
  const std::string ajustes = dir.Archivo("etc/sub/Config.ini");
  std::filesystem::create_symlink(ajustes, dir.Archivo("Config.ini"));
  dir.Escribe("etc/sub/Config.ini", "[LectoraUSB]\r\n");
  int intentos = 0;
  {
    const prueba::AtacanteEnBucle atacante([&] {
      const std::string propio = dir.Archivo("etc/sub/propio");
      std::ofstream(propio) << "[LectoraUSB]\r\n";
      ::chmod(propio.c_str(), 0777);
      ::rename(propio.c_str(), ajustes.c_str());
      ::symlink(secreto.c_str(), propio.c_str());
      ::rename(propio.c_str(), ajustes.c_str());
      prueba::CambiaPorEnlace(dir.Archivo("etc/sub"), privado);
    });
    for (const auto fin = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
         std::chrono::steady_clock::now() < fin; ++intentos) {
      try {
        GuardaConfiguracion(*DatosDePantalla("200"));
      } catch (const ErrorEjecucion&) {
        // refused: the attacker won that turn, and nothing was written
      }
      LeeConfiguracion();
    }
  }
  EXPECT_GT(intentos, 10);
  EXPECT_TRUE(prueba::SecretoIntacto(secreto));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(privado), {}), 1);
  for (const auto& entrada : std::filesystem::recursive_directory_iterator(dir.Archivo("etc"))) {
    if (entrada.is_regular_file() && !entrada.is_symlink()) {
      std::ifstream archivo(entrada.path());
      const std::string texto((std::istreambuf_iterator<char>(archivo)),
                              std::istreambuf_iterator<char>());
      EXPECT_EQ(texto.find("intacto"), std::string::npos) << entrada.path();
    }
  }
}

// A new Config.ini in the group's setgid folder is the group's to read and
// write, whatever the umask of the account that saved it first.
TEST(GuardaConfiguracion, UnConfigIniNuevoEsDelGrupoConCualquierUmask) {
  prueba::DirectorioPrueba dir;
  std::filesystem::create_directory(dir.Archivo("etc"));
  std::filesystem::permissions(dir.Archivo("etc"), std::filesystem::perms::set_gid,
                               std::filesystem::perm_options::add);
  std::filesystem::create_symlink(dir.Archivo("etc/Config.ini"), dir.Archivo("Config.ini"));
  const mode_t anterior = ::umask(077);
  GuardaConfiguracion(*DatosDePantalla("200"));
  ::umask(anterior);
  const auto permisos = std::filesystem::status(dir.Archivo("etc/Config.ini")).permissions();
  EXPECT_NE(permisos & std::filesystem::perms::group_read, std::filesystem::perms::none);
  EXPECT_NE(permisos & std::filesystem::perms::group_write, std::filesystem::perms::none);
}
#endif

}  // namespace
}  // namespace vardel
