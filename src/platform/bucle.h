#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "vardel/bucle.h"

namespace vardel::platform {

// A timer of the creating thread. Its ticks are delivered by that thread's
// message loop: on Windows SetTimer on a hidden window, pumped by the host's
// loop and by every modal loop; on POSIX a per-thread loop pumped by
// BombeaMensajes, which every modal wait of the operator layer also calls.
class Temporizador {
 public:
  Temporizador(std::chrono::milliseconds intervalo, std::function<void()> alVencer);
  ~Temporizador();
  Temporizador(const Temporizador&) = delete;
  Temporizador& operator=(const Temporizador&) = delete;

  bool Enabled() const;
  void Enabled(bool activo);
  std::chrono::milliseconds Interval() const;
  void Interval(std::chrono::milliseconds intervalo);

  // The platform's state of one timer; public only so the loop can list it.
  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace vardel::platform
