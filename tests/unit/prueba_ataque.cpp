// An operator's account of the shared group "vardel" attacks a root read and
// a root save: links planted at every name the component writes, at the log
// and at Config.ini. A root-only file must stay untouched. Runs as root
// only, the attacker being the account "nobody" in a child process.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <functional>

#include "capture/captura.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/configuracion.h"
#include "settings/registro.h"
#include "support/directorio_prueba.h"
#include "support/interaccion_guionizada.h"
#include "support/lectora_falsa.h"
#include "vardel/error.h"

namespace vardel {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kAtacante = 65534;  // nobody
constexpr gid_t kGrupo = 65534;     // the shared group, as "vardel" is

// Runs `accion` as the attacker, a member of the shared group only.
void ComoAtacante(const std::function<void()>& accion) {
  const pid_t hijo = ::fork();
  ASSERT_GE(hijo, 0);
  if (hijo == 0) {
    const gid_t grupos[] = {kGrupo};
    if (::setgroups(1, grupos) != 0 || ::setgid(kGrupo) != 0 || ::setuid(kAtacante) != 0) {
      ::_exit(2);
    }
    accion();
    ::_exit(0);
  }
  int estado = 0;
  ::waitpid(hijo, &estado, 0);
  ASSERT_TRUE(WIFEXITED(estado) && WEXITSTATUS(estado) == 0) << "the attacker could not act";
}

class Ataque : public testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) {
      GTEST_SKIP() << "the attack needs root (the victim) and the account nobody (the attacker)";
    }
    ::chmod(dir.Ruta().c_str(), 0755);
    secreto = dir.Archivo("secreto");
    dir.Escribe("secreto", "intacto");
    ::chmod(secreto.c_str(), 0600);
    // The packaged layout: the settings, images and log in folders the
    // group may write (setgid), the component's link to the settings.
    for (const char* carpeta : {"etc", "imagenes", "log"}) {
      fs::create_directory(dir.Archivo(carpeta));
      ::chown(dir.Archivo(carpeta).c_str(), 0, kGrupo);
      ::chmod(dir.Archivo(carpeta).c_str(), 02775);
    }
    dir.Escribe("etc/Config.ini",
                "[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nDirectorioImg=" + dir.Archivo("imagenes") +
                    "\r\nDirectorioLog=" + dir.Archivo("log") + "\r\nLogActivo=S\r\n");
    ::chown(dir.Archivo("etc/Config.ini").c_str(), 0, kGrupo);
    ::chmod(dir.Archivo("etc/Config.ini").c_str(), 0664);
    fs::create_symlink(dir.Archivo("etc/Config.ini"), dir.Archivo("Config.ini"));
  }

  void TearDown() override { Configuracion::strDirectorioLog().clear(); }

  void PlantaEnlace(const std::string& nombre) {
    const std::string ruta = dir.Archivo(nombre);
    const std::string destino = secreto;
    ComoAtacante([&] {
      ::unlink(ruta.c_str());
      if (::symlink(destino.c_str(), ruta.c_str()) != 0) {
        ::_exit(3);
      }
    });
  }

  void ExpectSecretoIntacto() {
    struct stat datos {};
    ASSERT_EQ(::lstat(secreto.c_str(), &datos), 0);
    EXPECT_TRUE(S_ISREG(datos.st_mode));
    EXPECT_EQ(datos.st_mode & 07777, 0600u);
    EXPECT_EQ(dir.Lee("secreto"), "intacto");
  }

  prueba::DirectorioPrueba dir;
  std::string secreto;
};

TEST_F(Ataque, UnaLecturaDeRootNoEscribeAtravesDeEnlacesPlantados) {
  for (const char* nombre :
       {"imagenes/ANV00491234567.tif", "imagenes/REV00491234567.tif", "imagenes/ANV00491234567.jpg",
        "imagenes/ERRANV1.tif", "imagenes/ERRREV1.tif", "imagenes/ERRANV1.jpg",
        "imagenes/ERRANV2.tif", "imagenes/vardel-numero-3.reserva", "log/Lectora.log"}) {
    PlantaEnlace(nombre);
  }
  prueba::LectoraFalsa falsa;
  prueba::SustitucionLectora enUso{falsa};
  prueba::InteraccionGuionizada operador;
  frmConfigLectorUSB pantalla;
  pantalla.TmrOnOff();
  // A parsed cheque, then an unparsed one whose back image fails (logged,
  // and traced).
  const std::string lineas[] = {"C1234567E0049C1234E0123456789B00B0012A000012345C", "?"};
  int pase = 0;
  falsa.al_process_check = [&](const std::string&, const std::string&, std::string& respuesta,
                               std::int32_t&) -> std::int32_t {
    if (++pase > 2) {
      return 13;
    }
    prueba::LectoraFalsa::EscribeEnBuffer(respuesta, pase == 1 ? "DOCPRESENT" : "");
    return 0;
  };
  falsa.al_get_value = [&](const std::string&, const std::string&, const std::string& clave,
                           std::string& valor, std::int32_t&) {
    prueba::LectoraFalsa::EscribeEnBuffer(valor, clave == "res" ? "0" : lineas[pase - 1]);
    return 0;
  };
  falsa.al_get_index_value = [](const std::string&, const std::string&, const std::string& clave,
                                std::int32_t k, std::string& valor, std::int32_t&) {
    prueba::LectoraFalsa::EscribeEnBuffer(valor,
                                          clave == "ImageSize" ? "4" : "img" + std::to_string(k));
    return 0;
  };
  falsa.al_get_image = [&](const std::string&, const std::string& nombre,
                           std::vector<std::uint8_t>& bytes, std::int32_t&) -> std::int32_t {
    if (pase == 2 && nombre == "img2") {
      return -3;
    }
    std::fill(bytes.begin(), bytes.end(), 'i');
    return 0;
  };
  captura::Contexto contexto;
  contexto.blnLogActivo = [] { return Boolean::True; };
  contexto.PantallaConfig = &pantalla;
  contexto.LectoraDatos = [](const std::shared_ptr<Collection>&) {};
  captura::ProcesaCheques(contexto);

  ExpectSecretoIntacto();
  // The planted names now hold the images, and the log link is left alone.
  EXPECT_EQ(dir.Lee("imagenes/ANV00491234567.tif"), "iiii");
  EXPECT_FALSE(fs::is_symlink(dir.Archivo("imagenes/ANV00491234567.tif")));
  EXPECT_TRUE(fs::is_symlink(dir.Archivo("log/Lectora.log")));
}

TEST_F(Ataque, UnGuardadoDeRootNoSigueUnConfigIniPlantado) {
  PlantaEnlace("etc/Config.ini");
  auto col = std::make_shared<Collection>();
  for (const char* clave :
       {"Resolution1", "Resolution2", "FileType1", "PrintData", "DocFeed", "DirectorioImg"}) {
    col->Add(Variant::String("x"), clave);
  }
  try {
    Configuracion::GuardaConfiguracion(*col);
    ADD_FAILURE() << "a save through the planted link";
  } catch (const ErrorEjecucion& e) {
    EXPECT_EQ(e.Numero(), 75);
    EXPECT_NE(e.Descripcion().find(dir.Archivo("etc/Config.ini") + " es un enlace simbólico"),
              std::string::npos)
        << e.Descripcion();
  }
  ExpectSecretoIntacto();
  for (const auto& entrada : fs::directory_iterator(dir.Archivo("etc"))) {
    EXPECT_EQ(entrada.path().filename(), "Config.ini") << "nothing else written";
  }
}

}  // namespace
}  // namespace vardel
