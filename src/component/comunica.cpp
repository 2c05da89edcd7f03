#include "vardel/comunica.h"

#include <string_view>

#include "capture/captura.h"
#include "core/recurso.h"
#include "device/lectora.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/configuracion.h"
#include "settings/registro.h"

namespace vardel {

static_assert(std::string_view(kDispositivoVigilado) == frmConfigLectorUSB::kDispositivo);

// Receives the settings screen object's events and passes on the two that
// concern the host.
class Comunica::Receptor final : public OyentePantalla {
 public:
  explicit Receptor(Comunica& comunica) : comunica_(comunica) {}

  // The class raises its own LectoraDatos from the capture cycle only.
  void LectoraDatos(const std::shared_ptr<Collection>&) override {}

  void LectoraError(std::int32_t Error, const std::string& Descripcion) override {
    if (comunica_.oyente_ != nullptr) {
      comunica_.oyente_->LectoraError(Error, Descripcion);
    }
  }

  void LectoraActiva(Boolean OnOff) override {
    if (comunica_.oyente_ != nullptr) {
      comunica_.oyente_->LectoraActiva(OnOff);
    }
  }

 private:
  Comunica& comunica_;
};

Comunica::Comunica(OyenteComunica* oyente)
    : oyente_(oyente),
      PantallaConfig(frmConfigLectorUSB::Instancia()),
      receptor_(std::make_unique<Receptor>(*this)) {
  PantallaConfig->Suscribe(receptor_.get());
  // An object that fails to open leaves no listener behind on the screen.
  AlSalir desuscribe([this] { PantallaConfig->Desuscribe(receptor_.get()); });
  const std::string dispositivo = Configuracion::LeeAjuste("Name");
  const std::int32_t apertura = device::LectoraActual().MTMICROpenDevice(dispositivo);
  if (apertura == 0) {
    PantallaConfig->TmrOnOff().Enabled(true);
    PantallaConfig->blnLectoraOn = PantallaConfig->EstadoLectora();
  } else {
    // Written whatever blnLogActivo holds: the host has no other word of it.
    Configuracion::EscribeLog(
        Configuracion::LineaLog(apertura, " - No se ha podido establecer conexión con la lectora " +
                                              Configuracion::LeeAjuste("Name")));
    PantallaConfig->TmrOnOff().Enabled(true);
    PantallaConfig->blnLectoraOn = Boolean::False;
  }
  desuscribe.release();
}

Comunica::~Comunica() {
  PantallaConfig->Desuscribe(receptor_.get());
  // Objects of one thread share the screen: the last one unloads it.
  if (PantallaConfig.use_count() == 1) {
    PantallaConfig->Unload();
  }
  PantallaConfig.reset();
}

void Comunica::EstableceOyente(OyenteComunica* oyente) {
  oyente_ = oyente;
}

void Comunica::Terminate() {
  blnLogActivo_ = ABoolean(Configuracion::LeeAjuste("LogActivo") == "S");
  ProcesaCheques();
  CierraLectora();
}

void Comunica::ProcesaCheques() {
  captura::Contexto contexto;
  contexto.blnLogActivo = [this] { return blnLogActivo_; };
  contexto.PantallaConfig = PantallaConfig.get();
  contexto.LectoraDatos = [this](const std::shared_ptr<Collection>& Dato) {
    if (oyente_ != nullptr) {
      oyente_->LectoraDatos(Dato);
    }
  };
  contexto.ImagenGuardada = [this](int k, const std::string& ruta) {
    if (oyente_ != nullptr) {
      oyente_->ImagenGuardada(k, ruta);
    }
  };
  contexto.ImagenNoGuardada = [this](int k, const std::string& ruta, std::int32_t numero) {
    if (oyente_ != nullptr) {
      oyente_->ImagenNoGuardada(k, ruta, numero);
    }
  };
  contexto.LectoraAbierta = [this](std::int32_t resultado) {
    if (oyente_ != nullptr) {
      oyente_->LectoraAbierta(resultado);
    }
  };
  contexto.CapturaFallida = [this](std::int32_t resultado, bool otroDocumento) {
    if (oyente_ != nullptr) {
      oyente_->CapturaFallida(resultado, otroDocumento);
    }
  };
  contexto.Detener = [this] { return oyente_ != nullptr && oyente_->DetenerLectura(); };
  captura::ProcesaCheques(contexto);
}

void Comunica::CierraLectora() {
  const std::string dispositivo = Configuracion::LeeAjuste("Name");
  const std::int32_t cierre = device::LectoraActual().MTMICRCloseDevice(dispositivo);
  if (cierre != 0 && EsVerdadero(blnLogActivo_)) {
    Configuracion::EscribeLog(Configuracion::LineaLog(
        cierre, " - No se ha podido cerrar la lectora " + dispositivo + " satisfactoriamente "));
  }
}

Boolean Comunica::LectoraONOFF() {
  return PantallaConfig->EstadoLectora();
}

Variant Comunica::MostrarConfiguracion() {
  PantallaConfig->Inicializar();
  PantallaConfig->MuestraModal();
  return Variant();
}

}  // namespace vardel
