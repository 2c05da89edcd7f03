// The settings screen's dialog logic, driven through a scripted view and the
// scripted operator: loading, change tracking, the folder choice, saving with
// its questions and directory check, cancelling and the close command.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <deque>
#include <functional>

#include "device/lectora.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/bucle.h"
#include "platform/componente.h"
#include "screen/dialogo_configuracion.h"
#include "screen/frm_config_lector_usb.h"
#include "screen/vista_configuracion.h"
#include "settings/configuracion.h"
#include "support/directorio_prueba.h"
#include "support/interaccion_guionizada.h"
#include "support/lectora_falsa.h"
#include "support/oyente_anotador.h"
#include "vardel/comunica.h"

namespace vardel {
namespace {

using namespace std::chrono_literals;
using platform::BotonesMensaje;
using platform::IconoMensaje;
using platform::RespuestaMensaje;
using prueba::OyenteAnotador;
using testing::ElementsAre;
using testing::IsEmpty;

constexpr const char* kTitulo = "Configuración de la Lectora de Cheques con Imágenes Orbesca";
constexpr const char* kGuardar =
    "Se han realizado cambios en los parámetros de configuración de la lectora.\r"
    "¿Está seguro de querer guardar estos cambios?";
constexpr const char* kDescartar =
    "Se han realizado cambios en los parámetros de configuración de la lectora.\r"
    "¿Está seguro de querer descartar estos cambios?";
constexpr const char* kCrear = "No existe el directorio para ubicar las imágenes. ¿Desea crearlo?";

// A rendering that plays a script of operator actions while it is shown.
// When the script runs out with the screen still shown, the display ends and
// `agotado` tells so (a test that expected the screen to close fails).
class VistaGuionizada : public VistaConfiguracion {
 public:
  using Accion = std::function<void(OyenteVista&)>;

  std::deque<Accion> guion;
  int visualizaciones = 0;
  bool agotado = false;
  int senales = 0;
  std::vector<std::string> puestos;  // texts the logic put while shown

  void MuestraModal(OyenteVista& oyente) override {
    ++visualizaciones;
    visible_ = true;
    agotado = false;
    while (visible_) {
      if (guion.empty()) {
        agotado = true;
        break;
      }
      Accion accion = std::move(guion.front());
      guion.pop_front();
      accion(oyente);
    }
    visible_ = false;
  }
  void Oculta() override { visible_ = false; }
  void PonTexto(Campo, const std::string& texto) override { puestos.push_back(texto); }
  void SenalaCambios() override { ++senales; }

  bool Visible() const { return visible_; }

 private:
  bool visible_ = false;
};

// Script steps.
VistaGuionizada::Accion Escribe(Campo campo, std::string texto) {
  return [campo, texto](OyenteVista& o) { o.TextoCambiado(campo, texto); };
}
void Aceptar(OyenteVista& o) {
  o.GuardarPulsado();
}
void Cancelar(OyenteVista& o) {
  o.CancelarPulsado();
}
void Cerrar(OyenteVista& o) {
  o.CierrePedido();
}
void Carpeta(OyenteVista& o) {
  o.SelDirectorioPulsado();
}

class DialogoConfiguracionPrueba : public testing::Test {
 protected:
  DialogoConfiguracionPrueba() {
    frmConfigLectorUSB::SustituyeVista(&vista);
    dir.Escribe("Config.ini",
                "[LectoraUSB]\r\n"
                "Resolution1=200x200\r\n"
                "Resolution2=200x200\r\n"
                "FileType1=BMP\r\n"
                "FileType2=BMP\r\n"
                "PrintData=CAJA 01\r\n"
                "DocFeed=CMC7\r\n"
                "DirectorioImg=" +
                    dir.Ruta() + platform::kSeparador +
                    "\r\n"
                    "LogActivo=N\r\n");
  }
  ~DialogoConfiguracionPrueba() override { frmConfigLectorUSB::SustituyeVista(nullptr); }

  // One display through the component's request.
  void Muestra(std::initializer_list<VistaGuionizada::Accion> pasos) {
    vista.guion.assign(pasos.begin(), pasos.end());
    EXPECT_TRUE(comunica.MostrarConfiguracion().EsEmpty());
  }
  DialogoConfiguracion& Dialogo() {
    return frmConfigLectorUSB::Instancia(device::LectoraActual())->Dialogo();
  }
  std::string Ajuste(const char* clave) { return Configuracion::LeeAjuste(clave); }
  std::vector<std::string> Textos() const {
    std::vector<std::string> textos;
    for (const auto& m : operador.Mensajes()) {
      textos.push_back(m.texto);
    }
    return textos;
  }

  prueba::DirectorioPrueba dir;
  prueba::LectoraFalsa falsa;
  prueba::SustitucionLectora enUso{falsa};
  prueba::InteraccionGuionizada operador;
  VistaGuionizada vista;
  OyenteAnotador oyente;
  Comunica comunica{&oyente};
};

TEST_F(DialogoConfiguracionPrueba, LaCargaLlenaLosCamposYCortaLosDeTresCaracteres) {
  dir.Escribe(
      "Config.ini",
      "[LectoraUSB]\nResolution1=200x200\nFileType1=TIFF(gray)\n"
      "PrintData=UNA CADENA DE IMPRESION LARGA\nDocFeed=CMC70E13B\nDirectorioImg=C:\\IMG\\\n");
  Muestra({Cancelar});
  const DialogoConfiguracion& d = Dialogo();
  EXPECT_EQ(d.Texto(Campo::ResolucionAR), "200");
  EXPECT_EQ(d.Texto(Campo::TipoAR), "TIF");
  EXPECT_EQ(d.Texto(Campo::CadenaImpre), "UNA CADENA DE IMPRESION LARGA");
  EXPECT_EQ(d.Texto(Campo::ModoLectura), "CMC70E13B");
  EXPECT_EQ(d.Texto(Campo::DirecImagenes), "C:\\IMG\\");
  // The first load is not a change: Cancelar closed without asking.
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(operador.Mensajes(), IsEmpty());
  EXPECT_EQ(d.blnCambios, Boolean::False);
  EXPECT_EQ(d.blnCargando, Boolean::False);
}

// The three-character fields count characters: "ñ" is one, never cut in
// half, whatever its bytes.
TEST_F(DialogoConfiguracionPrueba, LosCamposDeTresCaracteresCuentanCaracteres) {
  dir.Escribe("Config.ini", platform::AAnsi("[LectoraUSB]\nResolution1=20ñx200\nFileType1=ñab\n"
                                            "PrintData=ñ\nDirectorioImg=C:\\IMG\\\n"));
  Muestra({Cancelar});
  const DialogoConfiguracion& d = Dialogo();
  EXPECT_EQ(d.Texto(Campo::ResolucionAR), "20ñ");
  EXPECT_EQ(d.Texto(Campo::TipoAR), "ñab");
  EXPECT_FALSE(vista.agotado);
  EXPECT_EQ(d.blnCambios, Boolean::False);
}

TEST_F(DialogoConfiguracionPrueba, AceptarSinCambiosNoHaceNadaYCancelarCierraEnSeguida) {
  Muestra({Aceptar, [this](OyenteVista&) { EXPECT_TRUE(vista.Visible()); }, Cancelar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(operador.Mensajes(), IsEmpty());
  EXPECT_EQ(vista.senales, 0);
}

TEST_F(DialogoConfiguracionPrueba, NoALaPreguntaDeGuardarCierraSinEscribir) {
  const std::string antes = dir.Lee("Config.ini");
  operador.respuestas = {RespuestaMensaje::No};
  Muestra({Escribe(Campo::CadenaImpre, "OTRA"), Aceptar});
  EXPECT_FALSE(vista.agotado);
  ASSERT_EQ(operador.Mensajes().size(), 1u);
  const auto& pregunta = operador.Mensajes()[0];
  EXPECT_EQ(pregunta.texto, kGuardar);
  EXPECT_EQ(pregunta.titulo, kTitulo);
  EXPECT_EQ(pregunta.botones, BotonesMensaje::SiNo);
  EXPECT_EQ(pregunta.icono, IconoMensaje::Informacion);
  EXPECT_EQ(dir.Lee("Config.ini"), antes);
  EXPECT_EQ(Dialogo().blnCambios, Boolean::False);
  EXPECT_EQ(Dialogo().Texto(Campo::CadenaImpre), "OTRA");  // the typed text stays
}

TEST_F(DialogoConfiguracionPrueba, SiGuardaLasSieteEntradasConSusFormasGuardadas) {
  operador.respuestas = {RespuestaMensaje::Si};
  Muestra({Escribe(Campo::CadenaImpre, "CAJA 02"), Aceptar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(Textos(), ElementsAre(kGuardar));  // the directory exists: no second question
  EXPECT_EQ(Ajuste("Resolution1"), "200x200");   // shown as "200", written back whole
  EXPECT_EQ(Ajuste("Resolution2"), "200x200");
  EXPECT_EQ(Ajuste("FileType1"), "BMP");
  EXPECT_EQ(Ajuste("FileType2"), "BMP");
  EXPECT_EQ(Ajuste("PrintData"), "CAJA 02");
  EXPECT_EQ(Ajuste("DocFeed"), "CMC7");
  EXPECT_EQ(Ajuste("DirectorioImg"), dir.Ruta() + platform::kSeparador);
  EXPECT_EQ(Ajuste("LogActivo"), "N");
  EXPECT_EQ(Dialogo().blnCambios, Boolean::False);
}

TEST_F(DialogoConfiguracionPrueba, DirectorioInexistentePreguntaUnaVezYCierraConAmbasRespuestas) {
  for (const RespuestaMensaje respuesta : {RespuestaMensaje::Si, RespuestaMensaje::No}) {
    SCOPED_TRACE(respuesta == RespuestaMensaje::Si ? "Sí" : "No");
    const std::string nombre = respuesta == RespuestaMensaje::Si ? "creado" : "no_creado";
    // Blanks around the text: the check and the creation use it trimmed.
    const std::string escrito = "  " + dir.Archivo(nombre) + platform::kSeparador + " ";
    operador.respuestas = {RespuestaMensaje::Si, respuesta};
    const auto previos = operador.Mensajes().size();
    Muestra({Escribe(Campo::DirecImagenes, escrito), Aceptar});
    EXPECT_FALSE(vista.agotado);
    ASSERT_EQ(operador.Mensajes().size(), previos + 2);
    const auto& pregunta = operador.Mensajes().back();
    EXPECT_EQ(pregunta.texto, kCrear);
    EXPECT_EQ(pregunta.titulo, kTitulo);
    EXPECT_EQ(pregunta.botones, BotonesMensaje::SiNo);
    EXPECT_EQ(pregunta.icono, IconoMensaje::Exclamacion);
    EXPECT_EQ(dir.Existe(nombre), respuesta == RespuestaMensaje::Si);
    EXPECT_EQ(Ajuste("DirectorioImg"), dir.Archivo(nombre) + platform::kSeparador);
    EXPECT_EQ(Dialogo().blnCambios, Boolean::False);
  }
}

TEST_F(DialogoConfiguracionPrueba, SinPadreElErrorSeMuestraYLaPantallaSigueAbierta) {
  const std::string sinPadre =
      dir.Archivo("no_hay") + platform::kSeparador + "imagenes" + platform::kSeparador;
  operador.respuestas = {RespuestaMensaje::Si, RespuestaMensaje::Si, RespuestaMensaje::Si};
  Muestra({Escribe(Campo::DirecImagenes, sinPadre), Aceptar,
           [this](OyenteVista&) {
             EXPECT_TRUE(vista.Visible());
             EXPECT_EQ(Dialogo().blnCambios, Boolean::True);
           },
           Cancelar});
  EXPECT_FALSE(vista.agotado);
  ASSERT_EQ(operador.Mensajes().size(), 4u);
  const auto& error = operador.Mensajes()[2];
  EXPECT_EQ(error.texto, "76No se ha encontrado la ruta de acceso");
  EXPECT_EQ(error.titulo, kTitulo);
  EXPECT_EQ(error.botones, BotonesMensaje::Aceptar);
  EXPECT_EQ(error.icono, IconoMensaje::Exclamacion);
  EXPECT_EQ(operador.Mensajes()[3].texto, kDescartar);  // blnCambios was kept
  // The settings were written before the directory failed.
  EXPECT_EQ(Ajuste("DirectorioImg"), sinPadre);
  EXPECT_FALSE(dir.Existe("no_hay"));
}

TEST_F(DialogoConfiguracionPrueba,
       UnaEscrituraFallidaSeMuestraComoErrorSinPreguntarPorElDirectorio) {
  // The settings live beside the component: a component folder that has
  // gone makes every write fail.
  platform::SustituyeDirectorioComponente(dir.Archivo("ya_no_existe"));
  operador.respuestas = {RespuestaMensaje::Si, RespuestaMensaje::Si};
  Muestra({Escribe(Campo::CadenaImpre, "X"), Aceptar,
           [this](OyenteVista&) { EXPECT_TRUE(vista.Visible()); }, Cerrar});
  platform::SustituyeDirectorioComponente(dir.Ruta());
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(Textos(),
              ElementsAre(kGuardar, testing::StartsWith("75Error de acceso a la ruta o el archivo"),
                          kDescartar));
  EXPECT_EQ(operador.Mensajes()[1].icono, IconoMensaje::Exclamacion);
}

TEST_F(DialogoConfiguracionPrueba, CancelarConCambiosPreguntaYNoLaDejaAbierta) {
  operador.respuestas = {RespuestaMensaje::No, RespuestaMensaje::Si};
  Muestra({Escribe(Campo::CadenaImpre, "TECLEADO"), Cancelar,
           [this](OyenteVista&) { EXPECT_TRUE(vista.Visible()); }, Cancelar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(Textos(), ElementsAre(kDescartar, kDescartar));
  EXPECT_EQ(operador.Mensajes()[0].icono, IconoMensaje::Informacion);
  EXPECT_EQ(operador.Mensajes()[0].botones, BotonesMensaje::SiNo);
  EXPECT_EQ(Dialogo().blnCambios, Boolean::False);
  EXPECT_EQ(Dialogo().Texto(Campo::CadenaImpre), "TECLEADO");  // not restored
  EXPECT_EQ(Ajuste("PrintData"), "CAJA 01");
}

TEST_F(DialogoConfiguracionPrueba, LaSegundaVisualizacionMarcaCambiosAlRecargarOtroTexto) {
  operador.respuestas = {RespuestaMensaje::Si, RespuestaMensaje::No};
  Muestra({Escribe(Campo::CadenaImpre, "TECLEADO"), Cancelar});
  // The reload puts "CAJA 01" back into a field that held "TECLEADO": with
  // tracking on, that is a change, so Aceptar asks at once.
  Muestra({Aceptar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(Textos(), ElementsAre(kDescartar, kGuardar));
  EXPECT_EQ(Dialogo().Texto(Campo::CadenaImpre), "CAJA 01");
}

TEST_F(DialogoConfiguracionPrueba, RecargarLosMismosTextosOElModoDeLecturaNoEsUnCambio) {
  Muestra({Cancelar});
  dir.Escribe("Config.ini", dir.Lee("Config.ini") + "\r\n");  // same values
  Configuracion::EscribeIni("LectoraUSB", "DocFeed", "E13B", Configuracion::RutaConfig());
  Muestra({Aceptar, Cancelar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(operador.Mensajes(), IsEmpty());
  EXPECT_EQ(Dialogo().Texto(Campo::ModoLectura), "E13B");
}

TEST_F(DialogoConfiguracionPrueba, CadaControlRastreadoMarcaCambios) {
  const std::vector<std::pair<const char*, VistaGuionizada::Accion>> casos = {
      {"txtResolucionAR", Escribe(Campo::ResolucionAR, "254")},
      {"txtTipoAR", Escribe(Campo::TipoAR, "JPG")},
      {"txtCadenaImpre", Escribe(Campo::CadenaImpre, "")},
      {"txtDirecImagenes", Escribe(Campo::DirecImagenes, "D")},
      {"cboResolucionAR", [](OyenteVista& o) { o.ListaPulsada(Lista::ResolucionAR); }},
      {"cboTipoAR", [](OyenteVista& o) { o.ListaPulsada(Lista::TipoAR); }},
      {"cboModoLectura", [](OyenteVista& o) { o.ListaPulsada(Lista::ModoLectura); }},
  };
  for (const auto& [control, cambio] : casos) {
    SCOPED_TRACE(control);
    operador.respuestas = {RespuestaMensaje::Si};
    Muestra({cambio, [this](OyenteVista&) { EXPECT_EQ(Dialogo().blnCambios, Boolean::True); },
             Cancelar});
    EXPECT_FALSE(vista.agotado);
    EXPECT_EQ(Dialogo().blnCambios, Boolean::False);
  }
  // Aceptar took the "changes pending" state once, and never gave it back.
  EXPECT_EQ(vista.senales, 1);
  EXPECT_TRUE(Dialogo().CambiosSenalados());
}

TEST_F(DialogoConfiguracionPrueba, ElModoDeLecturaNoSeRastrea) {
  Muestra({Escribe(Campo::ModoLectura, "E13B"), Aceptar, Cancelar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(operador.Mensajes(), IsEmpty());
}

TEST_F(DialogoConfiguracionPrueba, ElegirCarpetaPoneSuFormaCortaConSeparadorYMarcaCambios) {
  const std::string carpeta = dir.Archivo("Carpeta de imagenes larga");
  platform::CreaDirectorio(carpeta);
  operador.carpetas = {carpeta};
  operador.respuestas = {RespuestaMensaje::No};
  Muestra({Carpeta, Aceptar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(operador.TitulosCarpeta(),
              ElementsAre("Seleccione el directorio donde guardar las imágenes."));
  const std::string esperado = Configuracion::RutaCorta(carpeta) + platform::kSeparador;
  EXPECT_EQ(Dialogo().Texto(Campo::DirecImagenes), esperado);
  EXPECT_THAT(vista.puestos, ElementsAre(esperado));  // shown on the screen at once
  EXPECT_THAT(Textos(), ElementsAre(kGuardar));       // the choice was a change
}

TEST_F(DialogoConfiguracionPrueba, CancelarLaCarpetaOUnaCarpetaQueNoExisteDejanElCampo) {
  const std::string antes = dir.Ruta() + platform::kSeparador;
  operador.carpetas = {"", dir.Archivo("no_existe")};
  Muestra({Carpeta, Carpeta, Aceptar, Cancelar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_EQ(Dialogo().Texto(Campo::DirecImagenes), antes);
  EXPECT_THAT(operador.Mensajes(), IsEmpty());
}

TEST_F(DialogoConfiguracionPrueba, ElCierreDeLaVentanaSeComportaComoCancelar) {
  operador.respuestas = {RespuestaMensaje::No, RespuestaMensaje::Si};
  Muestra({Escribe(Campo::CadenaImpre, "TECLEADO"), Cerrar,
           [this](OyenteVista&) { EXPECT_TRUE(vista.Visible()); }, Cerrar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_THAT(Textos(), ElementsAre(kDescartar, kDescartar));
  // The screen stays loaded and the presence watch goes on.
  auto pantalla = frmConfigLectorUSB::Instancia(device::LectoraActual());
  EXPECT_TRUE(pantalla->Cargada());
  EXPECT_TRUE(pantalla->TmrOnOff().Enabled());
  // The reload put the file's text back (a change); then nothing is left
  // to discard and the close command closes at once.
  operador.respuestas = {RespuestaMensaje::Si};
  Muestra({Cerrar});
  Muestra({Cerrar});
  EXPECT_FALSE(vista.agotado);
  EXPECT_EQ(operador.Mensajes().size(), 3u);
}

TEST_F(DialogoConfiguracionPrueba, ElTemporizadorSigueDuranteLaVisualizacion) {
  falsa.ListaDispositivos({"EXCELLA.EXC001"});
  auto pantalla = frmConfigLectorUSB::Instancia(device::LectoraActual());
  pantalla->blnLectoraOn = Boolean::True;  // the host already knows
  pantalla->TmrOnOff().Interval(10ms);
  Muestra({[](OyenteVista&) { platform::BombeaMensajes(60ms); }, Cancelar});
  // Inicializar reset the baseline, so the tick reported the reader again.
  EXPECT_THAT(oyente.activas, ElementsAre(Boolean::True));
  EXPECT_TRUE(pantalla->TmrOnOff().Enabled());
}

TEST_F(DialogoConfiguracionPrueba, DescargarLaPantallaDuranteLaVisualizacionLaCierra) {
  Muestra({[](OyenteVista&) { frmConfigLectorUSB::Instancia(device::LectoraActual())->Unload(); },
           [](OyenteVista&) { ADD_FAILURE() << "the display went on after the unload"; }});
  EXPECT_EQ(vista.guion.size(), 1u);
  // The next use loads the window afresh, with tracking off for its first load.
  operador.respuestas = {RespuestaMensaje::Si};
  Muestra({Aceptar, Cancelar});
  EXPECT_THAT(operador.Mensajes(), IsEmpty());
}

}  // namespace
}  // namespace vardel
