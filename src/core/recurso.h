#pragma once

#include <utility>

namespace vardel {

// Owns one handle of the system's: freed when the holder goes, on every way
// out of a scope, so no early return or exception can leak it. `Tipo` says
// what the handle is (Valor), which value holds nothing (Nulo()) and how it
// is freed (Cierra); the named holders of each platform are aliases of this.
// Members are named as the standard library's own holders name them.
template <class Tipo>
class Recurso {
 public:
  using Valor = typename Tipo::Valor;

  Recurso() = default;
  explicit Recurso(Valor valor) noexcept : valor_(valor) {}
  ~Recurso() { reset(); }
  Recurso(Recurso&& otro) noexcept : valor_(otro.release()) {}
  Recurso& operator=(Recurso&& otro) noexcept {
    reset(otro.release());
    return *this;
  }
  Recurso(const Recurso&) = delete;
  Recurso& operator=(const Recurso&) = delete;

  Valor get() const noexcept { return valor_; }
  explicit operator bool() const noexcept { return valor_ != Tipo::Nulo(); }
  // The handle without its ownership: for a close whose result matters.
  Valor release() noexcept { return std::exchange(valor_, Tipo::Nulo()); }
  void reset(Valor nuevo = Tipo::Nulo()) noexcept {
    if (valor_ != Tipo::Nulo()) {
      Tipo::Cierra(valor_);
    }
    valor_ = nuevo;
  }
  // Where a function writes a new handle (an out-parameter).
  Valor* put() noexcept {
    reset();
    return &valor_;
  }

 private:
  Valor valor_ = Tipo::Nulo();
};

// Runs an action when the scope ends, however it ends, unless dismissed
// first: what undoes a subscription, a registration or a half-made file.
template <class Accion>
class AlSalir {
 public:
  explicit AlSalir(Accion accion) : accion_(std::move(accion)) {}
  ~AlSalir() {
    if (activa_) {
      accion_();
    }
  }
  AlSalir(const AlSalir&) = delete;
  AlSalir& operator=(const AlSalir&) = delete;

  // The work succeeded: nothing to undo.
  void release() noexcept { activa_ = false; }

 private:
  Accion accion_;
  bool activa_ = true;
};

}  // namespace vardel
