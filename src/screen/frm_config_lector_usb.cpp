#include "screen/frm_config_lector_usb.h"

#include <algorithm>

#include "screen/dialogo_configuracion.h"
#include "screen/recoge_datos.h"
#include "screen/vista_configuracion.h"
#include "vardel/error.h"

namespace vardel {

std::shared_ptr<frmConfigLectorUSB> frmConfigLectorUSB::Instancia(device::Lectora& lectora) {
  // Weak, so the object goes with its last holder and the thread keeps no
  // window or timer nobody uses.
  thread_local std::weak_ptr<frmConfigLectorUSB> compartida;
  auto instancia = compartida.lock();
  if (!instancia) {
    instancia = std::make_shared<frmConfigLectorUSB>(lectora);
    compartida = instancia;
  }
  return instancia;
}

frmConfigLectorUSB::frmConfigLectorUSB(device::Lectora& lectora) : lectora_(lectora) {}

frmConfigLectorUSB::~frmConfigLectorUSB() {
  Unload();
}

void frmConfigLectorUSB::Suscribe(OyentePantalla* oyente) {
  if (std::find(oyentes_.begin(), oyentes_.end(), oyente) == oyentes_.end()) {
    oyentes_.push_back(oyente);
  }
}

void frmConfigLectorUSB::Desuscribe(OyentePantalla* oyente) {
  oyentes_.erase(std::remove(oyentes_.begin(), oyentes_.end(), oyente), oyentes_.end());
}

platform::Temporizador& frmConfigLectorUSB::TmrOnOff() {
  if (!tmrOnOff_) {
    Load();
  }
  return *tmrOnOff_;
}

void frmConfigLectorUSB::Load() {
  // The window's creation: its fields start with change tracking off.
  dialogo_ = std::make_shared<DialogoConfiguracion>();
  tmrOnOff_ = std::make_unique<platform::Temporizador>(std::chrono::milliseconds(kIntervaloMs),
                                                       [this] { CompruebaLectora(); });
  tmrOnOff_->Enabled(true);
}

void frmConfigLectorUSB::Unload() {
  if (tmrOnOff_) {
    tmrOnOff_->Enabled(false);
    tmrOnOff_.reset();
  }
  if (dialogo_) {
    dialogo_->Hide();
    dialogo_.reset();
  }
  vistaPlataforma_.reset();
}

void frmConfigLectorUSB::RaiseLectoraActiva(Boolean OnOff) {
  // A copy: a listener may unsubscribe while it is told.
  const auto oyentes = oyentes_;
  for (OyentePantalla* oyente : oyentes) {
    if (std::find(oyentes_.begin(), oyentes_.end(), oyente) != oyentes_.end()) {
      oyente->LectoraActiva(OnOff);
    }
  }
}

void frmConfigLectorUSB::CompruebaLectora() {
  Boolean estado = Boolean::False;
  try {
    estado = EstadoLectora();
  } catch (const ErrorEjecucion&) {
    // A reader library that cannot be called is no reader for this tick;
    // the error must not escape the thread's message loop.
    estado = Boolean::False;
  }
  if (estado == blnLectoraOn) {
    return;
  }
  blnLectoraOn = estado;
  try {
    RaiseLectoraActiva(estado);
  } catch (...) {
    // A host's handler that fails must not end the host's message loop.
  }
}

std::shared_ptr<Collection> frmConfigLectorUSB::RecogeDatos(const std::string& Dato) {
  return vardel::RecogeDatos(Dato);
}

}  // namespace vardel
