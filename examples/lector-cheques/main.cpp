// A small host of the cheque reader component: it reads the cheques in the
// tray, shows each as the component reports it, and then watches the
// reader for a few seconds, pumping the thread's loop so the component's
// presence watch can tick.
//
//   lector-cheques [SEGUNDOS_DE_VIGILANCIA]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "vardel/bucle.h"
#include "vardel/comunica.h"
#include "vardel/configuracion.h"
#include "vardel/error.h"

namespace {

// What the host hears from the component. Events arrive on the thread that
// created the Comunica, while it runs a call or pumps its loop.
class Oyente final : public vardel::OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<vardel::Collection>& Dato) override {
    ++documentos;
    if (!Dato) {
      std::printf("documento %d: sin datos\n", documentos);
    } else if (Dato->Contiene("IDERR")) {
      std::printf("documento %d: línea no legible (%s)\n", documentos,
                  vardel::ATexto(Dato->Item("Error")).c_str());
    } else {
      std::printf("documento %d: entidad %s, cheque %s, importe %s\n", documentos,
                  vardel::ATexto(Dato->Item("Entidad")).c_str(),
                  vardel::ATexto(Dato->Item("NumDoc")).c_str(),
                  vardel::ATexto(Dato->Item("Importe")).c_str());
    }
  }

  void LectoraError(std::int32_t Error, const std::string& Descripcion) override {
    std::printf("error de la lectora %d: %s\n", Error, Descripcion.c_str());
  }

  void LectoraActiva(vardel::Boolean OnOff) override {
    std::printf("lectora %s\n", vardel::EsVerdadero(OnOff) ? "conectada" : "desconectada");
  }

  void ImagenGuardada(std::int32_t imagen, const std::string& ruta) override {
    ++imagenes;
    std::printf("  imagen %d: %s\n", imagen, ruta.c_str());
  }

  int documentos = 0;
  int imagenes = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const int segundos = argc > 1 ? std::atoi(argv[1]) : 2;
  Oyente oyente;
  try {
    std::printf("configuración: %s\n", vardel::RutaConfiguracion().c_str());
    vardel::Comunica lectora(&oyente);
    if (!vardel::EsVerdadero(lectora.LectoraONOFF())) {
      std::printf("no hay ninguna lectora conectada\n");
      return 2;
    }
    lectora.Terminate();  // reads every cheque in the tray
    std::printf("%d documentos, %d imágenes\n", oyente.documentos, oyente.imagenes);

    // The presence watch ticks only while this thread pumps its loop.
    const auto fin = std::chrono::steady_clock::now() + std::chrono::seconds(segundos);
    while (std::chrono::steady_clock::now() < fin) {
      vardel::platform::BombeaMensajes(std::chrono::milliseconds(100));
    }
  } catch (const vardel::ErrorEjecucion& error) {
    std::fprintf(stderr, "error %d: %s\n", error.Numero(), error.Descripcion().c_str());
    return 1;
  }
  return 0;
}
