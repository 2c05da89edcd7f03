// The settings screen's dialog logic, written once for every rendering.
#include "screen/dialogo_configuracion.h"

#include <new>
#include <utility>

#include "core/text.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "screen/frm_config_lector_usb.h"
#include "screen/textos_configuracion.h"
#include "settings/configuracion.h"
#include "settings/global.h"
#include "vardel/error.h"
#include "vardel/interaccion.h"

namespace vardel {

namespace {

using platform::BotonesMensaje;
using platform::IconoMensaje;
using platform::RespuestaMensaje;

thread_local VistaConfiguracion* vistaSustituta = nullptr;

std::size_t Indice(Campo campo) {
  return static_cast<std::size_t>(campo);
}

// The fields whose change marks the settings as changed: all but the reading
// mode.
bool Rastreado(Campo campo) {
  return campo != Campo::ModoLectura;
}

RespuestaMensaje Pregunta(const char* texto, IconoMensaje icono) {
  return platform::InteraccionActual().MuestraMensaje(texto, kTituloPantalla, BotonesMensaje::SiNo,
                                                      icono);
}

void MuestraError(std::int32_t numero, const std::string& descripcion) {
  // Number and description run together, as the operator has always seen it.
  platform::InteraccionActual().MuestraMensaje(std::to_string(numero) + descripcion,
                                               kTituloPantalla, BotonesMensaje::Aceptar,
                                               IconoMensaje::Exclamacion);
}

}  // namespace

void DialogoConfiguracion::CargaControles(const Collection& col) {
  const auto corto = [](const Variant& valor) {
    return PrimerosCaracteres(ATexto(valor), kLimiteCorto);
  };
  PonTexto(Campo::ResolucionAR, corto(col.Item("Resolution1")));
  PonTexto(Campo::TipoAR, corto(col.Item("FileType1")));
  PonTexto(Campo::CadenaImpre, ATexto(col.Item("PrintData")));
  PonTexto(Campo::ModoLectura, ATexto(col.Item("DocFeed")));
  PonTexto(Campo::DirecImagenes, ATexto(col.Item("DirectorioImg")));
}

void DialogoConfiguracion::MuestraModal(VistaConfiguracion& vista) {
  vista_ = &vista;
  errorPendiente_ = nullptr;
  vista.MuestraModal(*this);
  // Also when the view ended the display on its own (no desktop, no input).
  vista_ = nullptr;
  if (errorPendiente_) {
    std::rethrow_exception(std::exchange(errorPendiente_, nullptr));
  }
}

void DialogoConfiguracion::Hide() {
  if (vista_ != nullptr) {
    VistaConfiguracion* vista = std::exchange(vista_, nullptr);
    vista->Oculta();
  }
}

void DialogoConfiguracion::PonTexto(Campo campo, std::string texto) {
  std::string& actual = textos_[Indice(campo)];
  if (actual == texto) {
    return;  // no change, no change event
  }
  actual = std::move(texto);
  if (vista_ != nullptr) {
    vista_->PonTexto(campo, actual);
  }
  if (Rastreado(campo)) {
    CambioEnControl();
  }
}

const std::string& DialogoConfiguracion::Texto(Campo campo) const {
  return textos_[Indice(campo)];
}

void DialogoConfiguracion::TextoCambiado(Campo campo, const std::string& texto) {
  std::string& actual = textos_[Indice(campo)];
  if (actual == texto) {
    return;
  }
  actual = texto;
  if (Rastreado(campo)) {
    CambioEnControl();
  }
}

void DialogoConfiguracion::ListaPulsada(Lista) {
  CambioEnControl();
}

void DialogoConfiguracion::CambioEnControl() {
  if (EsVerdadero(blnCargando)) {
    return;
  }
  blnCambios = Boolean::True;
  if (!cambiosSenalados_) {
    cambiosSenalados_ = true;
    if (vista_ != nullptr) {
      vista_->SenalaCambios();
    }
  }
}

void DialogoConfiguracion::SelDirectorioPulsado() {
  Atiende([this] {
    const std::string carpeta = Global::SeleccionaDirectorio();
    if (carpeta.empty()) {
      return;  // cancelled
    }
    const std::string corta = Configuracion::RutaCorta(carpeta);
    // A folder that has gone (or was typed wrong) has no short form; a lone
    // separator would make the images land in the root, so keep the field.
    if (corta.empty()) {
      return;
    }
    PonTexto(Campo::DirecImagenes, corta + platform::kSeparador);
  });
}

void DialogoConfiguracion::GuardarPulsado() {
  Atiende([this] { Guarda(); });
}

void DialogoConfiguracion::Guarda() {
  if (!EsVerdadero(blnCambios)) {
    return;
  }
  try {
    if (Pregunta(kPreguntaGuardar, IconoMensaje::Informacion) == RespuestaMensaje::No) {
      Hide();
      blnCambios = Boolean::False;
      return;
    }
    Collection col;
    col.Add(Variant::String(Texto(Campo::ResolucionAR)), "Resolution1");
    col.Add(Variant::String(Texto(Campo::TipoAR)), "FileType1");
    col.Add(Variant::String(Texto(Campo::ResolucionAR)), "Resolution2");
    col.Add(Variant::String(Texto(Campo::TipoAR)), "FileType2");
    col.Add(Variant::String(Texto(Campo::CadenaImpre)), "PrintData");
    col.Add(Variant::String(Texto(Campo::ModoLectura)), "DocFeed");
    col.Add(Variant::String(Texto(Campo::DirecImagenes)), "DirectorioImg");
    Configuracion::GuardaConfiguracion(col);

    const std::string directorio = Recorta(Texto(Campo::DirecImagenes));
    if (!platform::ExisteRuta(directorio) &&
        Pregunta(kPreguntaCrearDirectorio, IconoMensaje::Exclamacion) == RespuestaMensaje::Si) {
      platform::CreaDirectorio(directorio);
    }
    Hide();
    blnCambios = Boolean::False;
  } catch (const ErrorEjecucion& error) {
    MuestraError(error.Numero(), error.Descripcion());
  } catch (const std::bad_alloc&) {
    MuestraError(errores::kMemoriaInsuficiente, DescripcionError(errores::kMemoriaInsuficiente));
  }
}

void DialogoConfiguracion::CancelarPulsado() {
  Atiende([this] { Cancela(); });
}

void DialogoConfiguracion::CierrePedido() {
  // The close box, Alt+F4 or Escape ask the same as Cancelar: typed changes
  // are never dropped without the question, and the screen (with the
  // presence watch's timer) stays loaded.
  Atiende([this] { Cancela(); });
}

void DialogoConfiguracion::Cancela() {
  if (EsVerdadero(blnCambios)) {
    if (Pregunta(kPreguntaDescartar, IconoMensaje::Informacion) == RespuestaMensaje::Si) {
      blnCambios = Boolean::False;
      Hide();
    }
    return;
  }
  Hide();
}

void DialogoConfiguracion::Atiende(const std::function<void()>& accion) {
  try {
    accion();
  } catch (...) {
    // Nothing may unwind through the platform's window procedures: the error
    // ends the display and reaches the caller of MuestraModal.
    errorPendiente_ = std::current_exception();
    Hide();
  }
}

// The screen object's side of the dialog.

void frmConfigLectorUSB::SustituyeVista(VistaConfiguracion* vista) {
  vistaSustituta = vista;
}

DialogoConfiguracion& frmConfigLectorUSB::Dialogo() {
  if (!dialogo_) {
    Load();
  }
  return *dialogo_;
}

void frmConfigLectorUSB::Inicializar() {
  DialogoConfiguracion& dialogo = Dialogo();
  const auto col = Configuracion::LeeConfiguracion();
  dialogo.CargaControles(*col);
  // The next tick of the presence watch reports the reader's state afresh.
  blnLectoraOn = Boolean::False;
  dialogo.blnCargando = Boolean::False;
}

void frmConfigLectorUSB::MuestraModal() {
  Dialogo();
  // Held for the display: a host may let the screen go from an event
  // handler while it is shown.
  const std::shared_ptr<DialogoConfiguracion> dialogo = dialogo_;
  std::shared_ptr<VistaConfiguracion> vista;
  if (vistaSustituta != nullptr) {
    vista = std::shared_ptr<VistaConfiguracion>(vistaSustituta, [](VistaConfiguracion*) {});
  } else {
    if (!vistaPlataforma_) {
      vistaPlataforma_ = CreaVistaPlataforma();
    }
    vista = vistaPlataforma_;
  }
  dialogo->MuestraModal(*vista);
}

}  // namespace vardel
