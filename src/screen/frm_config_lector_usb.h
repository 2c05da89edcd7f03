#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/bucle.h"
#include "vardel/boolean.h"
#include "vardel/collection.h"
#include "vardel/variant.h"

namespace vardel::device {
class Lectora;
}

namespace vardel {

class DialogoConfiguracion;
class VistaConfiguracion;

// The events the settings screen object raises; a Comunica listens to them.
class OyentePantalla {
 public:
  virtual ~OyentePantalla() = default;
  virtual void LectoraDatos(const std::shared_ptr<Collection>& Dato) = 0;
  virtual void LectoraError(std::int32_t Error, const std::string& Descripcion) = 0;
  virtual void LectoraActiva(Boolean OnOff) = 0;
};

// The settings screen object: the operator's dialog over the main settings,
// and the carrier of the reader operations the component calls (the code
// line parser, the presence check and watch, jam clearing).
//
// One instance per thread, shared by every Comunica of that thread. Its
// "window" (with the timer) is loaded at the first use of the timer and
// unloaded when the last holder lets go, or when Unload is called.
class frmConfigLectorUSB {
 public:
  // The device name the presence check always uses.
  static constexpr const char* kDispositivo = "EXCELLA.EXC001";
  static constexpr std::int32_t kIntervaloMs = 5000;

  // The thread's shared instance, created on first use with the reader
  // given. Every Comunica of a thread has the same reader, the one it
  // passes here.
  static std::shared_ptr<frmConfigLectorUSB> Instancia(device::Lectora& lectora);

  // The presence check, its watch and the jam's clearing use `lectora`,
  // which must outlive the screen.
  explicit frmConfigLectorUSB(device::Lectora& lectora);
  ~frmConfigLectorUSB();
  frmConfigLectorUSB(const frmConfigLectorUSB&) = delete;
  frmConfigLectorUSB& operator=(const frmConfigLectorUSB&) = delete;

  void Suscribe(OyentePantalla* oyente);
  void Desuscribe(OyentePantalla* oyente);

  // The presence watch's timer. The first access loads the window, whose
  // load step switches the timer on.
  platform::Temporizador& TmrOnOff();
  bool Cargada() const { return tmrOnOff_ != nullptr; }
  // Destroys the window: the timer stops until the next load.
  void Unload();

  // The reader state last reported to the host.
  Boolean blnLectoraOn = Boolean::False;

  // Reader operations.
  Boolean GetDevice();
  Boolean EstadoLectora();
  // The jam: the operator's message, then the reader given clears its path
  // (the screen's own reader without one).
  Variant VaciarBandeja();
  Variant VaciarBandeja(device::Lectora& lectora);
  std::shared_ptr<Collection> RecogeDatos(const std::string& Dato);

  // The dialog: loads the settings into the fields, and shows the screen
  // modally until the operator closes it.
  void Inicializar();
  void MuestraModal();
  // The dialog's fields and change flags; the first use loads the window.
  DialogoConfiguracion& Dialogo();
  // Test seam: the rendering this thread's screens show (nullptr: the
  // platform's own).
  static void SustituyeVista(VistaConfiguracion* vista);

 private:
  void Load();
  // One tick of the watch.
  void CompruebaLectora();
  void RaiseLectoraActiva(Boolean OnOff);

  device::Lectora& lectora_;
  std::unique_ptr<platform::Temporizador> tmrOnOff_;
  std::shared_ptr<DialogoConfiguracion> dialogo_;
  std::shared_ptr<VistaConfiguracion> vistaPlataforma_;
  std::vector<OyentePantalla*> oyentes_;
};

}  // namespace vardel
