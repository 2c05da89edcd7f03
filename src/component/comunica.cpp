#include "vardel/comunica.h"

#include <exception>
#include <string_view>
#include <thread>

#include "capture/capture.h"
#include "component/cheque_en_curso.h"
#include "device/lectora.h"
#include "screen/frm_config_lector_usb.h"
#include "settings/configuracion.h"
#include "settings/registro.h"
#include "vardel/error.h"

namespace vardel {

static_assert(std::string_view(kDispositivoVigilado) == frmConfigLectorUSB::kDispositivo);

// What one object holds: its listener, its logging switch, and the
// thread's settings screen object, whose events it passes on.
struct VARDEL_LOCAL Comunica::Impl final : OyentePantalla {
  explicit Impl(OyenteComunica* oyente)
      : oyente(oyente),
        lectora(device::LectoraActual()),
        PantallaConfig(frmConfigLectorUSB::Instancia(lectora)) {
    PantallaConfig->Suscribe(this);
  }
  ~Impl() override {
    PantallaConfig->Desuscribe(this);
    // Objects of one thread share the screen: the last one unloads it.
    if (PantallaConfig.use_count() == 1) {
      PantallaConfig->Unload();
    }
  }
  Impl(const Impl&) = delete;
  Impl& operator=(const Impl&) = delete;

  // The class raises its own LectoraDatos from the capture cycle only.
  void LectoraDatos(const std::shared_ptr<Collection>&) override {}

  void LectoraError(std::int32_t Error, const std::string& Descripcion) override {
    if (oyente != nullptr) {
      oyente->LectoraError(Error, Descripcion);
    }
  }

  void LectoraActiva(Boolean OnOff) override {
    if (oyente != nullptr) {
      oyente->LectoraActiva(OnOff);
    }
  }

  void ProcesaCheques();
  void CierraLectora();
  void AvisaCheque(const Cheque& cheque);

  OyenteComunica* oyente = nullptr;
  OyenteCheques* oyenteCheques = nullptr;
  // The thread's reader when the object was created: every command of its
  // reads goes to it, the jam's clearing among them.
  device::Lectora& lectora;
  // The thread whose loop holds the presence watch and hears the events.
  std::thread::id hilo = std::this_thread::get_id();
  Boolean blnLogActivo = Boolean::False;
  std::shared_ptr<frmConfigLectorUSB> PantallaConfig;
};

Comunica::Comunica(OyenteComunica* oyente) : impl_(std::make_unique<Impl>(oyente)) {
  frmConfigLectorUSB& PantallaConfig = *impl_->PantallaConfig;
  const std::string dispositivo = Configuracion::LeeAjuste("Name");
  const std::int32_t apertura = impl_->lectora.MTMICROpenDevice(dispositivo);
  if (apertura == 0) {
    PantallaConfig.TmrOnOff().Enabled(true);
    PantallaConfig.blnLectoraOn = PantallaConfig.EstadoLectora();
  } else {
    // Written whatever blnLogActivo holds: the host has no other word of it.
    Configuracion::EscribeLog(
        Configuracion::LineaLog(apertura, " - No se ha podido establecer conexión con la lectora " +
                                              Configuracion::LeeAjuste("Name")));
    PantallaConfig.TmrOnOff().Enabled(true);
    PantallaConfig.blnLectoraOn = Boolean::False;
  }
}

Comunica::~Comunica() = default;

void Comunica::EstableceOyente(OyenteComunica* oyente) {
  impl_->oyente = oyente;
}

void Comunica::EstableceOyenteCheques(OyenteCheques* oyente) {
  impl_->oyenteCheques = oyente;
}

Boolean Comunica::blnLogActivo() const {
  return impl_->blnLogActivo;
}

void Comunica::blnLogActivo(Boolean valor) {
  impl_->blnLogActivo = valor;
}

void Comunica::Terminate() {
  // The read stops and restarts the presence watch, a timer of the
  // creating thread's loop, and raises the events on the calling thread:
  // from another thread it would race that loop and deliver the events
  // where the host does not expect them.
  if (std::this_thread::get_id() != impl_->hilo) {
    throw ErrorEjecucion(errores::kArgumentoNoValido,
                         "Terminate se ha llamado desde un hilo distinto del que creó el objeto "
                         "Comunica; llámelo desde ese hilo");
  }
  impl_->blnLogActivo = ABoolean(Configuracion::LeeAjuste("LogActivo") == "S");
  impl_->ProcesaCheques();
  impl_->CierraLectora();
}

void Comunica::Impl::AvisaCheque(const Cheque& cheque) {
  if (oyenteCheques != nullptr) {
    oyenteCheques->ChequeProcesado(cheque);
  }
}

void Comunica::Impl::ProcesaCheques() {
  // The document being read, gathered from its events for OyenteCheques.
  ChequeEnCurso enCurso;
  capture::Contexto contexto(lectora);
  contexto.blnLogActivo = [this] { return blnLogActivo; };
  contexto.PantallaConfig = PantallaConfig.get();
  contexto.LectoraDatos = [this, &enCurso](const std::shared_ptr<Collection>& Dato) {
    const Cheque cheque = enCurso.Completa(Dato);
    // Both listeners hear the document: an exception of the first waits
    // until the second has, then ends the read.
    std::exception_ptr excepcion;
    if (oyente != nullptr) {
      try {
        oyente->LectoraDatos(Dato);
      } catch (...) {
        excepcion = std::current_exception();
      }
    }
    AvisaCheque(cheque);
    if (excepcion) {
      std::rethrow_exception(excepcion);
    }
  };
  contexto.ImagenGuardada = [this, &enCurso](int k, const std::string& ruta) {
    enCurso.ImagenGuardada(k, ruta);
    if (oyente != nullptr) {
      oyente->ImagenGuardada(k, ruta);
    }
  };
  contexto.ImagenNoGuardada = [this, &enCurso](int k, const std::string& ruta,
                                               std::int32_t numero) {
    enCurso.ImagenNoGuardada(k, ruta, numero);
    if (oyente != nullptr) {
      oyente->ImagenNoGuardada(k, ruta, numero);
    }
  };
  contexto.LectoraAbierta = [this](std::int32_t resultado) {
    if (oyente != nullptr) {
      oyente->LectoraAbierta(resultado);
    }
  };
  contexto.CapturaFallida = [this](std::int32_t resultado, bool otroDocumento) {
    if (oyente != nullptr) {
      oyente->CapturaFallida(resultado, otroDocumento);
    }
  };
  contexto.Detener = [this] { return oyente != nullptr && oyente->DetenerLectura(); };
  try {
    capture::ProcesaCheques(contexto);
  } catch (...) {
    // An error after a document's images and before its LectoraDatos: the
    // cheque has left the tray, so the host hears of it before the error.
    if (const std::optional<Cheque> interrumpido = enCurso.Interrumpido()) {
      try {
        AvisaCheque(*interrumpido);
      } catch (...) {
        // The read's own error is the one the host gets.
      }
    }
    throw;
  }
}

void Comunica::Impl::CierraLectora() {
  const std::string dispositivo = Configuracion::LeeAjuste("Name");
  const std::int32_t cierre = lectora.MTMICRCloseDevice(dispositivo);
  if (cierre != 0 && EsVerdadero(blnLogActivo)) {
    Configuracion::EscribeLog(Configuracion::LineaLog(
        cierre, " - No se ha podido cerrar la lectora " + dispositivo + " satisfactoriamente "));
  }
}

Boolean Comunica::LectoraONOFF() {
  return impl_->PantallaConfig->EstadoLectora();
}

Variant Comunica::MostrarConfiguracion() {
  impl_->PantallaConfig->Inicializar();
  impl_->PantallaConfig->MuestraModal();
  return Variant();
}

}  // namespace vardel
