#include <windows.h>

#include <map>

#include "platform/bucle.h"
#include "platform/win32/componente.h"

// Timers on a hidden message-only window of the creating thread. WM_TIMER
// reaches it through whatever loop the thread runs: the host's, a modal
// dialog's or a message box's.
namespace vardel::platform {

struct Temporizador::Impl {
  std::chrono::milliseconds intervalo{0};
  std::function<void()> alVencer;
  bool activo = false;
  bool enCurso = false;  // a tick never runs inside itself
  UINT_PTR id = 0;
  HWND ventana = nullptr;
};

namespace {

thread_local std::map<UINT_PTR, Temporizador::Impl*> temporizadores;
thread_local HWND ventanaOculta = nullptr;
thread_local UINT_PTR siguienteId = 1;

LRESULT CALLBACK ProcedimientoVentana(HWND ventana, UINT mensaje, WPARAM w, LPARAM l) {
  if (mensaje == WM_TIMER) {
    const auto encontrado = temporizadores.find(static_cast<UINT_PTR>(w));
    if (encontrado != temporizadores.end() && !encontrado->second->enCurso) {
      Temporizador::Impl* t = encontrado->second;
      t->enCurso = true;
      const auto alVencer = t->alVencer;  // the timer may go away during the tick
      alVencer();
      if (temporizadores.count(static_cast<UINT_PTR>(w)) != 0) {
        t->enCurso = false;
      }
    }
    return 0;
  }
  return DefWindowProcA(ventana, mensaje, w, l);
}

HWND VentanaOculta() {
  if (ventanaOculta == nullptr) {
    static const char* const kClase = "VardelTemporizadores";
    WNDCLASSA clase{};
    clase.lpfnWndProc = ProcedimientoVentana;
    // Under the component's own module: a class registered under the
    // program's would keep the procedure of the first copy loaded, even
    // after it is unloaded.
    clase.hInstance = ModuloPropio();
    clase.lpszClassName = kClase;
    RegisterClassA(&clase);  // fails harmlessly when already registered
    ventanaOculta = CreateWindowExA(0, kClase, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ModuloPropio(), nullptr);
  }
  return ventanaOculta;
}

void Arma(Temporizador::Impl& t) {
  SetTimer(t.ventana, t.id, static_cast<UINT>(t.intervalo.count()), nullptr);
}

}  // namespace

Temporizador::Temporizador(std::chrono::milliseconds intervalo, std::function<void()> alVencer)
    : impl_(std::make_unique<Impl>()) {
  impl_->intervalo = intervalo;
  impl_->alVencer = std::move(alVencer);
  impl_->ventana = VentanaOculta();
  impl_->id = siguienteId++;
  temporizadores[impl_->id] = impl_.get();
}

Temporizador::~Temporizador() {
  if (impl_->activo) {
    KillTimer(impl_->ventana, impl_->id);
  }
  temporizadores.erase(impl_->id);
}

bool Temporizador::Enabled() const {
  return impl_->activo;
}

void Temporizador::Enabled(bool activo) {
  if (activo == impl_->activo) {
    return;
  }
  impl_->activo = activo;
  if (activo) {
    Arma(*impl_);
  } else {
    KillTimer(impl_->ventana, impl_->id);
  }
}

std::chrono::milliseconds Temporizador::Interval() const {
  return impl_->intervalo;
}

void Temporizador::Interval(std::chrono::milliseconds intervalo) {
  impl_->intervalo = intervalo;
  if (impl_->activo) {
    Arma(*impl_);  // SetTimer on the same id starts the new interval afresh
  }
}

void v1::BombeaMensajes(std::chrono::milliseconds espera) {
  const ULONGLONG limite = GetTickCount64() + static_cast<ULONGLONG>(espera.count());
  for (;;) {
    MSG mensaje;
    while (PeekMessageA(&mensaje, nullptr, 0, 0, PM_REMOVE)) {
      if (mensaje.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(mensaje.wParam));  // the host's loop must see it
        return;
      }
      TranslateMessage(&mensaje);
      DispatchMessageA(&mensaje);
    }
    const ULONGLONG ahora = GetTickCount64();
    if (ahora >= limite) {
      return;
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(limite - ahora), QS_ALLINPUT);
  }
}

}  // namespace vardel::platform
