// The settings screen on a terminal, typed at through a pseudo-terminal: a
// child process shows it through the component's request while this one
// plays the operator, then the settings file is checked.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "device/lectora.h"
#include "platform/archivos.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/configuracion.h"
#include "support/directorio_prueba.h"
#include "support/lectora_falsa.h"
#include "vardel/comunica.h"

namespace vardel {
namespace {

using namespace std::chrono_literals;
using testing::HasSubstr;

class OyenteContador : public OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<Collection>&) override {}
  void LectoraError(std::int32_t, const std::string&) override {}
  void LectoraActiva(Boolean OnOff) override { activas += EsVerdadero(OnOff) ? "T" : "F"; }
  std::string activas;
};

// What the child runs on the terminal: the screen through the component's
// request, with a reader present and a fast presence watch, then a line
// with what the watch told.
[[noreturn]] void MuestraEnElHijo() {
  prueba::LectoraFalsa falsa;
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  prueba::SustitucionLectora enUso(falsa);
  OyenteContador oyente;
  int salida = 0;
  try {
    Comunica comunica(&oyente);
    frmConfigLectorUSB::Instancia(device::LectoraActual())->TmrOnOff().Interval(30ms);
    comunica.MostrarConfiguracion();
  } catch (...) {
    salida = 2;
  }
  std::fprintf(stderr, "\nFIN activas=%s\n", oyente.activas.c_str());
  std::fflush(stderr);
  _exit(salida);
}

class PantallaTerminal : public testing::Test {
 protected:
  PantallaTerminal() {
    dir.Escribe("Config.ini",
                "[LectoraUSB]\nResolution1=200x200\nFileType1=BMP\n"
                "PrintData=CAJA 01\nDocFeed=CMC7\nDirectorioImg=" +
                    dir.Ruta() + "/\n");
  }
  ~PantallaTerminal() override {
    if (hijo_ > 0) {
      kill(hijo_, SIGKILL);
      waitpid(hijo_, nullptr, 0);
    }
    if (maestro_ >= 0) {
      close(maestro_);
    }
  }

  void Arranca() {
    hijo_ = forkpty(&maestro_, nullptr, nullptr, nullptr);
    ASSERT_GE(hijo_, 0);
    if (hijo_ == 0) {
      MuestraEnElHijo();
    }
  }

  // Reads the terminal until `texto` appears after what was already seen;
  // false after the limit.
  bool Espera(const std::string& texto, std::chrono::milliseconds limite = 5s) {
    const auto fin = std::chrono::steady_clock::now() + limite;
    for (;;) {
      const auto hallado = salida_.find(texto, visto_);
      if (hallado != std::string::npos) {
        visto_ = hallado + texto.size();
        return true;
      }
      const auto queda = std::chrono::duration_cast<std::chrono::milliseconds>(
          fin - std::chrono::steady_clock::now());
      if (queda.count() <= 0) {
        return false;
      }
      pollfd maestro{maestro_, POLLIN, 0};
      if (poll(&maestro, 1, static_cast<int>(queda.count())) <= 0) {
        continue;
      }
      char bloque[4096];
      const ssize_t leidos = read(maestro_, bloque, sizeof bloque);
      if (leidos <= 0) {
        return salida_.find(texto, visto_) != std::string::npos;
      }
      salida_.append(bloque, static_cast<std::size_t>(leidos));
    }
  }

  void Teclea(const std::string& texto) {
    ASSERT_EQ(write(maestro_, texto.data(), texto.size()), static_cast<ssize_t>(texto.size()));
  }

  // Waits for the child's end; its exit status.
  int Termina() {
    EXPECT_TRUE(Espera("FIN activas=")) << salida_;
    Espera("\n", 1s);
    int estado = 0;
    waitpid(hijo_, &estado, 0);
    hijo_ = -1;
    return WIFEXITED(estado) ? WEXITSTATUS(estado) : -1;
  }

  // What the watch told, from the child's last line.
  std::string Activas() const {
    const auto desde = salida_.rfind("FIN activas=");
    if (desde == std::string::npos) {
      return "?";
    }
    const auto inicio = desde + std::string("FIN activas=").size();
    return salida_.substr(inicio, salida_.find_first_of("\r\n", inicio) - inicio);
  }

  std::string Ajuste(const char* clave) { return Configuracion::LeeAjuste(clave); }

  // From the menu: a new endorsement text, then Aceptar, up to its question.
  bool EditaYAcepta(const std::string& cadena) {
    Teclea("1\n");
    if (!Espera("> ")) {
      return false;
    }
    Teclea(cadena + "\n");
    if (!Espera("[cambios pendientes]") || !Espera("Opción: ")) {
      return false;
    }
    Teclea("a\n");
    return Espera("¿Está seguro de querer guardar estos cambios?");
  }

  prueba::DirectorioPrueba dir;
  pid_t hijo_ = -1;
  int maestro_ = -1;
  std::string salida_;
  std::size_t visto_ = 0;
};

TEST_F(PantallaTerminal, EditarYAceptarGuardaTrasLaPregunta) {
  Arranca();
  ASSERT_TRUE(Espera("Configuración de la Lectora de Cheques con Imágenes Orbesca")) << salida_;
  ASSERT_TRUE(Espera("Opción: ")) << salida_;
  const std::string pantalla = salida_;
  EXPECT_THAT(pantalla, HasSubstr("Resolución (dpi):"));
  EXPECT_THAT(pantalla, HasSubstr("[200]"));
  EXPECT_THAT(pantalla, HasSubstr("(solo lectura)"));
  EXPECT_THAT(pantalla, HasSubstr("[CAJA 01]"));
  EXPECT_THAT(pantalla, testing::Not(HasSubstr("[cambios pendientes]")));
  // Long enough for the watch to tick while the screen waits.
  std::this_thread::sleep_for(150ms);
  ASSERT_TRUE(EditaYAcepta("CAJA 77")) << salida_;
  Teclea("s\n");
  EXPECT_EQ(Termina(), 0);
  EXPECT_EQ(Ajuste("PrintData"), "CAJA 77");
  EXPECT_EQ(Ajuste("Resolution1"), "200x200");
  // Inicializar reset the baseline, and the tick came during the wait.
  EXPECT_EQ(Activas(), "T");
}

TEST_F(PantallaTerminal, CtrlDEsElCierreYPreguntaComoCancelar) {
  const std::string carpeta = dir.Archivo("elegida");
  platform::CreaDirectorio(carpeta);
  Arranca();
  ASSERT_TRUE(Espera("Opción: ")) << salida_;
  Teclea("3\n");
  ASSERT_TRUE(Espera("Carpeta (vacío para cancelar): ")) << salida_;
  Teclea(carpeta + "\n");
  ASSERT_TRUE(Espera("[" + carpeta + "/]")) << salida_;  // its short form and the separator
  ASSERT_TRUE(Espera("Opción: ")) << salida_;
  Teclea("\x04");  // Ctrl-D: the close command
  ASSERT_TRUE(Espera("¿Está seguro de querer descartar estos cambios?")) << salida_;
  Teclea("n\n");
  ASSERT_TRUE(Espera("Opción: ")) << salida_;  // still shown
  Teclea("\x04");
  ASSERT_TRUE(Espera("¿Está seguro de querer descartar estos cambios?")) << salida_;
  Teclea("s\n");
  EXPECT_EQ(Termina(), 0);
  EXPECT_EQ(Ajuste("DirectorioImg"), dir.Ruta() + "/");
}

// The image folder's limit counts characters, not the bytes of their UTF-8:
// a path of 127 characters with accented letters is taken and saved, one
// character more is refused.
TEST_F(PantallaTerminal, LaCarpetaDeImagenesSeCuentaEnCaracteres) {
  std::string carpeta = dir.Ruta() + "/";
  for (std::size_t caracteres = carpeta.size(); caracteres < 127; ++caracteres) {
    carpeta += "ó";
  }
  platform::CreaDirectorio(carpeta);
  Arranca();
  ASSERT_TRUE(Espera("Opción: ")) << salida_;
  Teclea("2\n");
  ASSERT_TRUE(Espera("> ")) << salida_;
  Teclea(carpeta + "x\n");
  ASSERT_TRUE(Espera("La ruta tiene más de 127 caracteres")) << salida_;
  ASSERT_TRUE(Espera("Opción: ")) << salida_;
  Teclea("2\n");
  ASSERT_TRUE(Espera("> ")) << salida_;
  Teclea(carpeta + "\n");
  ASSERT_TRUE(Espera("[cambios pendientes]") && Espera("Opción: ")) << salida_;
  Teclea("a\n");
  ASSERT_TRUE(Espera("¿Está seguro de querer guardar estos cambios?")) << salida_;
  Teclea("s\n");
  EXPECT_EQ(Termina(), 0) << salida_;
  EXPECT_EQ(Ajuste("DirectorioImg"), carpeta);
}

// "sí" is yes: the accented letter is upper-cased with the rest.
TEST_F(PantallaTerminal, SiConTildeEsSi) {
  Arranca();
  ASSERT_TRUE(Espera("Opción: ")) << salida_;
  ASSERT_TRUE(EditaYAcepta("CAJA 78")) << salida_;
  Teclea("sí\n");
  EXPECT_EQ(Termina(), 0) << salida_;
  EXPECT_EQ(Ajuste("PrintData"), "CAJA 78");
}

TEST_F(PantallaTerminal, SinCambiosCancelarCierraSinPreguntar) {
  Arranca();
  ASSERT_TRUE(Espera("Opción: ")) << salida_;
  Teclea("c\n");
  EXPECT_EQ(Termina(), 0);
  EXPECT_THAT(salida_, testing::Not(HasSubstr("¿Está seguro")));
}

}  // namespace
}  // namespace vardel
