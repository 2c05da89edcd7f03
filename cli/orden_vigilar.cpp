// vardel watch: keeps the thread's loop running and shows every change of
// the reader's connected state until interrupted.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "momento.h"
#include "ordenes.h"
#include "salida.h"
#include "vardel/bucle.h"
#include "vardel/comunica.h"

namespace vardel::cli {

namespace {

std::atomic<bool> interrumpido{false};

extern "C" void AlInterrumpir(int) {
  interrumpido = true;
}

class Vigilante final : public OyenteComunica {
 public:
  explicit Vigilante(bool json) : json_(json) {}
  void LectoraDatos(const std::shared_ptr<Collection>&) override {}
  void LectoraError(std::int32_t, const std::string&) override {}
  void LectoraActiva(Boolean OnOff) override {
    const std::string momento = MomentoIso(std::time(nullptr));
    const bool conectada = EsVerdadero(OnOff);
    if (json_) {
      EmiteLinea({{"tipo", "lectora"}, {"momento", momento}, {"conectada", conectada}});
    } else {
      std::printf("%s  %s\n", momento.c_str(),
                  conectada ? "lectora conectada" : "lectora desconectada");
      std::fflush(stdout);
    }
  }

 private:
  bool json_;
};

}  // namespace

int OrdenVigilar(const Opciones& opciones) {
  std::signal(SIGINT, AlInterrumpir);
  std::signal(SIGTERM, AlInterrumpir);
  Vigilante vigilante(opciones.json);
  try {
    Comunica comunica(&vigilante);
    if (!opciones.json) {
      std::printf("Vigilando la lectora cada 5 segundos (Ctrl+C para terminar).\n");
      std::fflush(stdout);
    }
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(opciones.segundos);
    while (!interrumpido && (opciones.segundos <= 0 || std::chrono::steady_clock::now() < limite)) {
      platform::BombeaMensajes(std::chrono::milliseconds(100));
    }
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
