// A small host of the cheque reader component: it reads the cheques in the
// tray, shows each document whole as the component reports it, lists the
// cheques the operator must feed again, and then watches the reader for a
// few seconds, pumping the thread's loop so the component's presence watch
// can tick. It builds as C++17 and as C++20.
//
//   lector-cheques [SEGUNDOS_DE_VIGILANCIA]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "vardel/bucle.h"
#include "vardel/cheque.h"
#include "vardel/comunica.h"
#include "vardel/configuracion.h"
#include "vardel/error.h"
#include "vardel/fecha.h"

namespace {

// The cheque's fields as the operator reads them.
std::string Describe(const vardel::Cheque& cheque) {
  if (!cheque.NumDoc) {
    return cheque.Error ? "línea no legible (" + *cheque.Error + ")" : "sin datos";
  }
  std::string texto = "entidad " + *cheque.Entidad + ", cheque " + *cheque.NumDoc;
  if (cheque.Importe) {
    char importe[32];
    std::snprintf(importe, sizeof importe, "%.2f", *cheque.Importe);
    texto += std::string(", importe ") + importe;
  }
  if (cheque.FechaVto) {
    const vardel::FechaCivil vto = vardel::CivilDesdeFecha(*cheque.FechaVto);
    char fecha[16];
    std::snprintf(fecha, sizeof fecha, "%02d/%02d/%04d", vto.dia, vto.mes, vto.anio);
    texto += std::string(", vencimiento ") + fecha;
  }
  return texto;
}

// Each document whole: its fields, its images and whether the operator
// must feed it again. Heard on the thread that created the Comunica.
class OyenteDocumentos final : public vardel::OyenteCheques {
 public:
  void ChequeProcesado(const vardel::Cheque& cheque) override {
    ++documentos;
    std::printf("documento %d: %s\n", cheque.documento, Describe(cheque).c_str());
    for (const vardel::ImagenCheque& imagen : cheque.imagenes) {
      ++imagenes;
      std::printf("  imagen %d: %s\n", imagen.imagen, imagen.ruta.c_str());
    }
    for (const vardel::ImagenNoGuardadaCheque& imagen : cheque.imagenesNoGuardadas) {
      std::printf("  imagen %d no guardada (error %d)\n", imagen.imagen, imagen.numero);
    }
    if (cheque.volverAPasar) {
      volverAPasar.push_back(cheque);
    }
  }

  int documentos = 0;
  int imagenes = 0;
  std::vector<vardel::Cheque> volverAPasar;
};

// The reader's comings and goings, which only the per-event listener
// carries.
class OyenteLectora final : public vardel::OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<vardel::Collection>&) override {}

  void LectoraError(std::int32_t Error, const std::string& Descripcion) override {
    std::printf("error de la lectora %d: %s\n", Error, Descripcion.c_str());
  }

  void LectoraActiva(vardel::Boolean OnOff) override {
    std::printf("lectora %s\n", vardel::EsVerdadero(OnOff) ? "conectada" : "desconectada");
  }
};

void MuestraLosQueVuelven(const OyenteDocumentos& oyente) {
  if (oyente.volverAPasar.empty()) {
    return;
  }
  std::printf("vuelva a pasar %zu cheques:\n", oyente.volverAPasar.size());
  for (const vardel::Cheque& cheque : oyente.volverAPasar) {
    std::printf("  documento %d: %s\n", cheque.documento, Describe(cheque).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int segundos = argc > 1 ? std::atoi(argv[1]) : 2;
  OyenteLectora oyenteLectora;
  OyenteDocumentos oyente;
  try {
    std::printf("configuración: %s\n", vardel::RutaConfiguracion().c_str());
    vardel::Comunica lectora(&oyenteLectora);
    lectora.EstableceOyenteCheques(&oyente);
    if (!vardel::EsVerdadero(lectora.LectoraONOFF())) {
      std::printf("no hay ninguna lectora conectada\n");
      return 2;
    }
    try {
      lectora.Terminate();  // reads every cheque in the tray, on this thread
    } catch (const vardel::ErrorEjecucion&) {
      // The cheques already out of the tray still go back to the operator.
      MuestraLosQueVuelven(oyente);
      throw;
    }
    std::printf("%d documentos, %d imágenes\n", oyente.documentos, oyente.imagenes);
    MuestraLosQueVuelven(oyente);

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
