// The fault campaign's host: reads the tray once through the component's
// C++ interface and prints one line per event as it arrives, flushed at
// once, so a run killed at any moment leaves exactly what the host had
// received:
//
//   datos <TAB> Entidad <TAB> NumDoc     a cheque's data
//   sinlinea <TAB> IDERR                 the no-data collection
//   nulo                                 an event without data
//   fin                                  the read ended normally
//   error <TAB> number <TAB> description the read ended with an error
#include <cstdio>
#include <memory>
#include <string>

#include "vardel/comunica.h"
#include "vardel/error.h"

namespace {

using vardel::ATexto;

class Oyente final : public vardel::OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<vardel::Collection>& Dato) override {
    if (!Dato) {
      std::printf("nulo\n");
    } else if (Dato->Contiene("IDERR")) {
      std::printf("sinlinea\t%s\n", ATexto(Dato->Item("IDERR")).c_str());
    } else {
      std::printf("datos\t%s\t%s\n", ATexto(Dato->Item("Entidad")).c_str(),
                  ATexto(Dato->Item("NumDoc")).c_str());
    }
    std::fflush(stdout);
  }
  void LectoraError(std::int32_t, const std::string&) override {}
  void LectoraActiva(vardel::Boolean) override {}
};

}  // namespace

int main() {
  Oyente oyente;
  try {
    vardel::Comunica comunica(&oyente);
    comunica.Terminate();
    std::printf("fin\n");
  } catch (const vardel::ErrorEjecucion& error) {
    std::printf("error\t%d\t%s\n", error.Numero(), error.Descripcion().c_str());
  }
  std::fflush(stdout);
  return 0;
}
