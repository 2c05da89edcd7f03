// vardel watch: keeps the thread's loop running and shows the reader's
// connected state at the start and at every change until interrupted.
#include <chrono>
#include <cstdio>
#include <optional>

#include "ordenes.h"
#include "parada.h"
#include "salida.h"
#include "vardel/bucle.h"
#include "vardel/comunica.h"

namespace vardel::cli {

namespace {

class Vigilante final : public OyenteComunica {
 public:
  explicit Vigilante(bool json) : json_(json) {}
  void LectoraDatos(const std::shared_ptr<Collection>&) override {}
  void LectoraError(std::int32_t, const std::string&) override {}
  void LectoraActiva(Boolean OnOff) override { Muestra(EsVerdadero(OnOff)); }

  // One line per state shown: the first tick after a failed open at
  // creation reports "connected" as a change, which the starting state
  // already showed.
  void Muestra(bool conectada) {
    if (mostrado_ == conectada) {
      return;
    }
    mostrado_ = conectada;
    const ordered_json linea = LineaLectora(conectada);
    if (json_) {
      EmiteLinea(linea);
    } else {
      std::printf("%s  %s\n", linea["momento"].get<std::string>().c_str(),
                  conectada ? "lectora conectada" : "lectora desconectada");
      VuelcaSalida();
    }
  }

 private:
  bool json_;
  std::optional<bool> mostrado_;
};

}  // namespace

int OrdenVigilar(const Opciones& opciones) {
  InstalaParada();
  Vigilante vigilante(opciones.json);
  try {
    Comunica comunica(&vigilante);
    if (!opciones.json) {
      std::printf("Vigilando la lectora cada 5 segundos (Ctrl+C para terminar).\n");
    }
    vigilante.Muestra(EsVerdadero(comunica.LectoraONOFF()));
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(opciones.segundos);
    while (ParadaPedida() == MotivoParada::Ninguno &&
           (opciones.segundos <= 0 || std::chrono::steady_clock::now() < limite)) {
      platform::BombeaMensajes(std::chrono::milliseconds(100));
    }
  } catch (const ErrorEjecucion& error) {
    return InformaError(error, opciones.json);
  }
  return kSalidaCorrecta;
}

}  // namespace vardel::cli
