#pragma once

#include <windows.h>

#include <unknwn.h>

#include <utility>

namespace vardel::com {

// Holds one reference to an interface: AddRef on copy, Release when it goes
// or is reset. put() is the out-parameter a COM call fills (that reference
// is taken over as it comes), detach() hands the reference to a caller.
template <class T>
class Puntero {
 public:
  Puntero() = default;
  // A reference of its own to `interfaz`.
  explicit Puntero(T* interfaz) noexcept : interfaz_(interfaz) { Suma(); }
  Puntero(const Puntero& otro) noexcept : Puntero(otro.interfaz_) {}
  Puntero(Puntero&& otro) noexcept : interfaz_(otro.detach()) {}
  Puntero& operator=(Puntero otro) noexcept {
    std::swap(interfaz_, otro.interfaz_);
    return *this;
  }
  ~Puntero() { reset(); }

  T* get() const noexcept { return interfaz_; }
  T* operator->() const noexcept { return interfaz_; }
  explicit operator bool() const noexcept { return interfaz_ != nullptr; }

  void reset() noexcept {
    if (interfaz_ != nullptr) {
      std::exchange(interfaz_, nullptr)->Release();
    }
  }
  T** put() noexcept {
    reset();
    return &interfaz_;
  }
  void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
  T* detach() noexcept { return std::exchange(interfaz_, nullptr); }
  // A new reference for an out-parameter; the holder keeps its own.
  T* copy() const noexcept {
    Suma();
    return interfaz_;
  }

 private:
  void Suma() const noexcept {
    if (interfaz_ != nullptr) {
      interfaz_->AddRef();
    }
  }

  T* interfaz_ = nullptr;
};

// A new reference to `interfaz`, handed to the caller through an
// out-parameter.
template <class T>
T* NuevaReferencia(T* interfaz) noexcept {
  return Puntero<T>(interfaz).detach();
}

}  // namespace vardel::com
