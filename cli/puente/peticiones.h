#pragma once

#include <deque>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

namespace vardel::cli::puente {

// A page's request for the component, handed from the network thread to
// the component's thread.
struct Peticion {
  enum class Orden { Leer, Estado };
  Orden orden = Orden::Estado;
  nlohmann::ordered_json id;
  std::string token;  // the asking page's session
};

// The hand-over: the network thread puts, the component's thread takes
// between turns of its message loop.
class ColaPeticiones {
 public:
  void Pon(Peticion peticion) {
    const std::lock_guard<std::mutex> cierre(cerrojo_);
    cola_.push_back(std::move(peticion));
  }
  std::deque<Peticion> Toma() {
    const std::lock_guard<std::mutex> cierre(cerrojo_);
    return std::exchange(cola_, {});
  }

 private:
  std::mutex cerrojo_;
  std::deque<Peticion> cola_;
};

}  // namespace vardel::cli::puente
