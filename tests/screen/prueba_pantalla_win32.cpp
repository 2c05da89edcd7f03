// The real settings dialog under a desktop: shown through the component's
// request on this thread, driven from a second thread as an operator would,
// with the settings file checked afterwards. Screenshots go to the folder
// named by VARDEL_ARTEFACTOS.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "conductor_ventanas.h"
#include "device/lectora.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "screen/frm_config_lector_usb.h"
#include "screen/win32/identificadores.h"
#include "settings/configuracion.h"
#include "support/directorio_prueba.h"
#include "support/lectora_falsa.h"
#include "support/oyente_anotador.h"
#include "vardel/comunica.h"

namespace vardel {
namespace {

using namespace std::chrono_literals;
using prueba::ConductorVentanas;
using prueba::OyenteAnotador;
using testing::HasSubstr;
namespace id = win32;

const std::wstring kTitulo = L"Configuración de la Lectora de Cheques con Imágenes Orbesca";

std::string Artefacto(const std::string& nombre) {
  const char* carpeta = std::getenv("VARDEL_ARTEFACTOS");
  return carpeta == nullptr ? std::string() : std::string(carpeta) + "\\" + nombre;
}

// The colour on screen just inside a field's right edge, clear of its text.
COLORREF ColorDentro(HWND campo) {
  RECT caja{};
  GetWindowRect(campo, &caja);
  HDC pantalla = GetDC(nullptr);
  const COLORREF color = GetPixel(pantalla, caja.right - 6, (caja.top + caja.bottom) / 2);
  ReleaseDC(nullptr, pantalla);
  return color;
}

class PantallaWin32 : public testing::Test {
 protected:
  PantallaWin32() {
    dir.Escribe("Config.ini",
                "[LectoraUSB]\r\nResolution1=200x200\r\nResolution2=200x200\r\n"
                "FileType1=BMP\r\nFileType2=BMP\r\nPrintData=CAJA 01\r\n"
                "DocFeed=CMC7\r\nDirectorioImg=" +
                    dir.Ruta() + "\\\r\n");
  }

  // Shows the screen on this thread while `guion` drives it from another.
  void Muestra(const std::function<void(ConductorVentanas&)>& guion) {
    std::thread conductor([&] {
      guion(operador);
      // Whatever happened, let this thread go: answer boxes, then close.
      for (int intento = 0; intento < 20; ++intento) {
        HWND dialogo = FindWindowW(L"#32770", kTitulo.c_str());
        if (dialogo == nullptr || !IsWindowVisible(dialogo)) {
          break;
        }
        operador.Anota("the screen was still open at the end of the script");
        HWND caja = operador.EsperaMensaje(dialogo, 200ms);
        if (caja != nullptr) {
          PostMessageW(caja, WM_COMMAND, IDYES, 0);
        } else {
          PostMessageW(dialogo, WM_COMMAND, MAKEWPARAM(id::kIdCmdOK, BN_CLICKED), 0);
        }
        std::this_thread::sleep_for(200ms);
      }
    });
    EXPECT_TRUE(comunica.MostrarConfiguracion().EsEmpty());
    conductor.join();
    for (const auto& problema : operador.problemas) {
      ADD_FAILURE() << problema;
    }
  }

  std::string Ajuste(const char* clave) { return Configuracion::LeeAjuste(clave); }

  prueba::DirectorioPrueba dir;
  prueba::LectoraFalsa falsa;
  prueba::SustitucionLectora enUso{falsa};
  OyenteAnotador oyente;
  Comunica comunica{&oyente};
  ConductorVentanas operador{kTitulo};
};

TEST_F(PantallaWin32, MuestraLosControlesEnSuSitioYGuardaLoTecleado) {
  const std::string nueva = dir.Archivo("nuevas");
  std::wstring textoPregunta, textoCrear;
  LRESULT predeterminadoAntes = 0, predeterminadoDespues = 0;
  RECT cliente{};
  int ppp = 0;
  std::wstring resolucion, modo;
  LRESULT limite = 0;
  LONG estiloResolucion = 0;
  bool listaVisible = true;
  COLORREF fondoSoloLectura = 0;
  Muestra([&](ConductorVentanas& o) {
    HWND d = o.EsperaDialogo();
    if (d == nullptr) {
      return;
    }
    std::this_thread::sleep_for(400ms);  // painted
    HDC pantalla = GetDC(nullptr);
    ppp = GetDeviceCaps(pantalla, LOGPIXELSY);
    ReleaseDC(nullptr, pantalla);
    GetClientRect(d, &cliente);
    resolucion = o.Texto(GetDlgItem(d, id::kIdTxtResolucionAR));
    modo = o.Texto(GetDlgItem(d, id::kIdTxtModoLectura));
    limite = SendMessageW(GetDlgItem(d, id::kIdTxtResolucionAR), EM_GETLIMITTEXT, 0, 0);
    estiloResolucion = GetWindowLongW(GetDlgItem(d, id::kIdTxtResolucionAR), GWL_STYLE);
    listaVisible = IsWindowVisible(GetDlgItem(d, id::kIdCboModoLectura));
    predeterminadoAntes = SendMessageW(d, DM_GETDEFID, 0, 0);
    fondoSoloLectura = ColorDentro(GetDlgItem(d, id::kIdTxtModoLectura));
    o.CapturaPantalla(d, Artefacto("settings-screen.bmp"));

    o.Escribe(d, id::kIdTxtCadenaImpre, L"CAJA 99 ñ");
    o.Escribe(d, id::kIdTxtDirecImagenes, prueba::Ancho(nueva + "\\"));
    predeterminadoDespues = SendMessageW(d, DM_GETDEFID, 0, 0);
    std::this_thread::sleep_for(200ms);
    o.CapturaPantalla(d, Artefacto("settings-screen-changes.bmp"));

    o.Pulsa(d, id::kIdCmdGuardar);
    HWND pregunta = o.EsperaMensaje(d);
    if (pregunta == nullptr) {
      return;
    }
    for (const auto& t : o.TextosHijos(pregunta)) {
      textoPregunta += t;
    }
    std::this_thread::sleep_for(200ms);
    o.CapturaPantalla(nullptr, Artefacto("settings-screen-question.bmp"));
    PostMessageW(pregunta, WM_COMMAND, IDYES, 0);
    o.EsperaCierre(pregunta);
    HWND crear = o.EsperaMensaje(d);
    if (crear == nullptr) {
      return;
    }
    for (const auto& t : o.TextosHijos(crear)) {
      textoCrear += t;
    }
    PostMessageW(crear, WM_COMMAND, IDYES, 0);
    if (!o.EsperaCierre(d)) {
      o.Anota("Aceptar did not close the screen");
    }
  });
  EXPECT_EQ(cliente.right, MulDiv(6570, ppp, 1440));
  EXPECT_EQ(cliente.bottom, MulDiv(5160, ppp, 1440));
  EXPECT_EQ(resolucion, L"200");
  EXPECT_EQ(modo, L"CMC7");
  EXPECT_EQ(limite, 3);
  EXPECT_NE(estiloResolucion & ES_READONLY, 0);
  EXPECT_FALSE(listaVisible);
  // Read-only fields are painted in the scroll-bar colour (white in Wine's
  // default colours, grey in Windows' classic ones).
  EXPECT_EQ(fondoSoloLectura, GetSysColor(COLOR_SCROLLBAR));
  EXPECT_NE(LOWORD(predeterminadoAntes), id::kIdCmdGuardar);
  EXPECT_EQ(LOWORD(predeterminadoDespues), id::kIdCmdGuardar);
  EXPECT_THAT(prueba::Utf8(textoPregunta), HasSubstr("¿Está seguro de querer guardar"));
  EXPECT_THAT(prueba::Utf8(textoCrear), HasSubstr("No existe el directorio"));
  EXPECT_EQ(Ajuste("PrintData"), "CAJA 99 ñ");
  EXPECT_EQ(Ajuste("DirectorioImg"), nueva + "\\");
  EXPECT_EQ(Ajuste("Resolution1"), "200x200");
  EXPECT_TRUE(platform::ExisteRuta(nueva));
}

TEST_F(PantallaWin32, ElCierreDeLaVentanaPreguntaComoCancelarYNoDescarga) {
  bool abiertaTrasNo = false;
  Muestra([&](ConductorVentanas& o) {
    HWND d = o.EsperaDialogo();
    if (d == nullptr) {
      return;
    }
    o.Escribe(d, id::kIdTxtCadenaImpre, L"DESCARTADO");
    // The close box.
    PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0);
    HWND pregunta = o.EsperaMensaje(d);
    if (pregunta == nullptr) {
      return;
    }
    PostMessageW(pregunta, WM_COMMAND, IDNO, 0);
    o.EsperaCierre(pregunta);
    std::this_thread::sleep_for(200ms);
    abiertaTrasNo = IsWindowVisible(d) != FALSE;
    // Escape.
    PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    pregunta = o.EsperaMensaje(d);
    if (pregunta == nullptr) {
      return;
    }
    PostMessageW(pregunta, WM_COMMAND, IDYES, 0);
    if (!o.EsperaCierre(d)) {
      o.Anota("the close command did not close the screen after Yes");
    }
  });
  EXPECT_TRUE(abiertaTrasNo);
  EXPECT_EQ(Ajuste("PrintData"), "CAJA 01");
  auto pantalla = frmConfigLectorUSB::Instancia(device::LectoraActual());
  EXPECT_TRUE(pantalla->Cargada());
  EXPECT_TRUE(pantalla->TmrOnOff().Enabled());
}

TEST_F(PantallaWin32, ElTemporizadorSigueYLaVentanaDelAnfitrionNoTomaEntrada) {
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  auto pantalla = frmConfigLectorUSB::Instancia(device::LectoraActual());
  pantalla->TmrOnOff().Interval(50ms);
  // A window of the host, on the thread that shows the screen.
  HWND anfitrion = CreateWindowExW(0, L"STATIC", L"anfitrion", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                   0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(anfitrion, nullptr);
  bool habilitadaDurante = true;
  Muestra([&](ConductorVentanas& o) {
    HWND d = o.EsperaDialogo();
    if (d == nullptr) {
      return;
    }
    std::this_thread::sleep_for(400ms);
    habilitadaDurante = IsWindowEnabled(anfitrion) != FALSE;
    ConductorVentanas::Pulsa(d, id::kIdCmdOK);
    if (!o.EsperaCierre(d)) {
      o.Anota("Cancelar did not close the screen");
    }
  });
  EXPECT_THAT(oyente.activas, testing::ElementsAre(Boolean::True));
  EXPECT_FALSE(habilitadaDurante);
  EXPECT_TRUE(IsWindowEnabled(anfitrion));
  DestroyWindow(anfitrion);
}

// A three-character field cut inside "ñ" would show U+FFFD, which differs
// from the loaded text and counts as the operator's change.
TEST_F(PantallaWin32, LosCamposDeTresCaracteresNoPartenUnCaracter) {
  dir.Escribe("Config.ini", platform::AAnsi("[LectoraUSB]\r\nResolution1=20ñx200\r\n"
                                            "FileType1=ñab\r\nDirectorioImg=" +
                                            dir.Ruta() + "\\\r\n"));
  std::wstring resolucion, tipo;
  Muestra([&](ConductorVentanas& o) {
    HWND d = o.EsperaDialogo();
    if (d == nullptr) {
      return;
    }
    resolucion = o.Texto(GetDlgItem(d, id::kIdTxtResolucionAR));
    tipo = o.Texto(GetDlgItem(d, id::kIdTxtTipoAR));
    ConductorVentanas::Pulsa(d, id::kIdCmdOK);
    if (!o.EsperaCierre(d, 3s)) {
      o.Anota("Cancelar asked a question: the loaded fields counted as changes");
    }
  });
  EXPECT_EQ(resolucion, L"20ñ");
  EXPECT_EQ(tipo, L"ñab");
}

// The jam box holds the host's windows too while the capture waits on the
// operator: a second click cannot start a second read inside the first.
TEST_F(PantallaWin32, ElAvisoDeAtascoDetieneLasVentanasDelAnfitrion) {
  HWND anfitrion = CreateWindowExW(0, L"STATIC", L"anfitrion", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                   0, 200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(anfitrion, nullptr);
  bool habilitadaDurante = true;
  std::wstring texto;
  ConductorVentanas atasco{L"Error lectora"};
  std::thread conductor([&] {
    HWND caja = atasco.EsperaDialogo();
    if (caja == nullptr) {
      return;
    }
    habilitadaDurante = IsWindowEnabled(anfitrion) != FALSE;
    for (const auto& t : atasco.TextosHijos(caja)) {
      texto += t;
    }
    PostMessageW(caja, WM_COMMAND, IDOK, 0);
  });
  frmConfigLectorUSB::Instancia(device::LectoraActual())->VaciarBandeja();
  conductor.join();
  for (const auto& problema : atasco.problemas) {
    ADD_FAILURE() << problema;
  }
  EXPECT_THAT(prueba::Utf8(texto), HasSubstr("Cheque atascado en bandeja"));
  EXPECT_FALSE(habilitadaDurante);
  EXPECT_TRUE(IsWindowEnabled(anfitrion));
  EXPECT_EQ(falsa.Cuenta("MTMICRSendCommand"), 2);
  DestroyWindow(anfitrion);
}

TEST_F(PantallaWin32, ElBotonDeCarpetaAbreElExploradorDeCarpetas) {
  std::wstring textos;
  Muestra([&](ConductorVentanas& o) {
    HWND d = o.EsperaDialogo();
    if (d == nullptr) {
      return;
    }
    ConductorVentanas::Pulsa(d, id::kIdCmdSelDirectorio);
    // The shell's browser is a dialog of another title; it shows our request.
    HWND explorador = o.EsperaOtroDialogo(d);
    if (explorador == nullptr) {
      return;
    }
    for (const auto& t : o.TextosHijos(explorador)) {
      textos += t + L"|";
    }
    PostMessageW(explorador, WM_COMMAND, IDCANCEL, 0);
    o.EsperaCierre(explorador);
    std::this_thread::sleep_for(200ms);
    ConductorVentanas::Pulsa(d, id::kIdCmdOK);
    if (!o.EsperaCierre(d)) {
      o.Anota("Cancelar did not close the screen after the browser");
    }
  });
  EXPECT_THAT(prueba::Utf8(textos), HasSubstr("Seleccione el directorio donde guardar"));
  EXPECT_EQ(Ajuste("DirectorioImg"), dir.Ruta() + "\\");
}

}  // namespace
}  // namespace vardel
