#include <algorithm>
#include <thread>
#include <vector>

#include "platform/bucle.h"

// The POSIX message loop: each thread keeps its own timers, and ticks run
// only inside BombeaMensajes on that thread, as WM_TIMER runs only inside a
// Windows message loop.
namespace vardel::platform {

using Reloj = std::chrono::steady_clock;

struct Temporizador::Impl {
  std::chrono::milliseconds intervalo{0};
  std::function<void()> alVencer;
  bool activo = false;
  bool enCurso = false;  // a tick never runs inside itself
  Reloj::time_point vence;
};

namespace {
thread_local std::vector<Temporizador::Impl*> temporizadores;

bool Registrado(const Temporizador::Impl* t) {
  return std::find(temporizadores.begin(), temporizadores.end(), t) != temporizadores.end();
}
}  // namespace

Temporizador::Temporizador(std::chrono::milliseconds intervalo, std::function<void()> alVencer)
    : impl_(std::make_unique<Impl>()) {
  impl_->intervalo = intervalo;
  impl_->alVencer = std::move(alVencer);
  temporizadores.push_back(impl_.get());
}

Temporizador::~Temporizador() {
  temporizadores.erase(std::remove(temporizadores.begin(), temporizadores.end(), impl_.get()),
                       temporizadores.end());
}

bool Temporizador::Enabled() const {
  return impl_->activo;
}

void Temporizador::Enabled(bool activo) {
  if (activo && !impl_->activo) {
    impl_->vence = Reloj::now() + impl_->intervalo;
  }
  impl_->activo = activo;
}

std::chrono::milliseconds Temporizador::Interval() const {
  return impl_->intervalo;
}

void Temporizador::Interval(std::chrono::milliseconds intervalo) {
  impl_->intervalo = intervalo;
  impl_->vence = Reloj::now() + intervalo;  // a new interval starts counting afresh
}

void v1::BombeaMensajes(std::chrono::milliseconds espera) {
  const auto limite = Reloj::now() + espera;
  for (;;) {
    const auto ahora = Reloj::now();
    // A copy: a tick may create or destroy timers.
    const std::vector<Temporizador::Impl*> vistos = temporizadores;
    for (Temporizador::Impl* t : vistos) {
      if (!Registrado(t) || !t->activo || t->enCurso || t->vence > ahora) {
        continue;
      }
      t->vence = ahora + t->intervalo;
      t->enCurso = true;
      const auto alVencer = t->alVencer;  // the timer may go away during the tick
      alVencer();
      if (Registrado(t)) {
        t->enCurso = false;
      }
    }
    auto siguiente = limite;
    for (const Temporizador::Impl* t : temporizadores) {
      if (t->activo && !t->enCurso) {
        siguiente = std::min(siguiente, t->vence);
      }
    }
    if (Reloj::now() >= limite) {
      return;
    }
    std::this_thread::sleep_until(std::max(siguiente, Reloj::now()));
  }
}

}  // namespace vardel::platform
