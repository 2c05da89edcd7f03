// The binding's buffer rules, the choice of the reader in force, and the
// recording fake that the other unit tests use.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "device/buffer_lectora.h"
#include "device/lectora.h"
#include "support/lectora_falsa.h"

namespace vardel {
namespace {

using prueba::LectoraFalsa;
using prueba::SustitucionLectora;
using testing::ElementsAre;

TEST(AcotaTamano, DentroDeCeroYLaCapacidad) {
  struct Caso {
    int64_t tamano;
    int32_t capacidad;
    int32_t esperado;
  };
  constexpr int32_t kMaximo = std::numeric_limits<int32_t>::max();
  for (const Caso& caso :
       {Caso{0, 4096, 0}, Caso{100, 4096, 100}, Caso{4096, 4096, 4096}, Caso{4097, 4096, 4096},
        Caso{-1, 4096, 0}, Caso{std::numeric_limits<int32_t>::min(), 4096, 0},
        Caso{int64_t{kMaximo} + 10, kMaximo, kMaximo}, Caso{5, 0, 0}, Caso{5, -3, 0}}) {
    EXPECT_EQ(device::AcotaTamano(caso.tamano, caso.capacidad), caso.esperado)
        << caso.tamano << " in " << caso.capacidad;
  }
}

TEST(BufferTexto, CapacidadDeLaFormaAnsiYNulDeGuarda) {
  // "ñ" is two bytes of UTF-8 and one of the code page.
  device::BufferTexto buffer("año");
  EXPECT_EQ(buffer.Capacidad(), 3);
  EXPECT_EQ(buffer.Datos()[3], '\0');
  buffer.Datos()[0] = 'c';
  EXPECT_EQ(buffer.Utf8(), "cño");
}

TEST(BufferTexto, RellenaHastaLaCapacidadMinima) {
  device::BufferTexto buffer("AB", 5, ' ');
  EXPECT_EQ(buffer.Capacidad(), 5);
  EXPECT_EQ(buffer.Utf8(), "AB   ");
  EXPECT_EQ(buffer.Datos()[5], '\0');
}

TEST(BufferTexto, DevuelveElBufferEnteroConSusNul) {
  device::BufferTexto buffer(std::string(8, '\0'));
  buffer.Datos()[0] = 'O';
  buffer.Datos()[1] = 'K';
  EXPECT_EQ(buffer.Utf8(), std::string("OK\0\0\0\0\0\0", 8));
}

TEST(LectoraActual, LaSustitutaRigeSoloEnSuHilo) {
  LectoraFalsa falsa;
  device::Lectora* otra_hilo = nullptr;
  {
    SustitucionLectora en_uso(falsa);
    EXPECT_EQ(&device::LectoraActual(), &falsa);
    std::thread([&] { otra_hilo = &device::LectoraActual(); }).join();
  }
  EXPECT_NE(otra_hilo, &falsa);
  EXPECT_EQ(&device::LectoraActual(), otra_hilo) << "the loaded library again";
}

TEST(LectoraFalsa, AnotaLasLlamadasEnOrden) {
  LectoraFalsa falsa;
  SustitucionLectora en_uso(falsa);
  device::Lectora& lectora = device::LectoraActual();
  std::string nombre(200, ' ');
  EXPECT_NE(lectora.MTMICRGetDevice(1, nombre), 0);
  EXPECT_EQ(lectora.MTMICROpenDevice("EXCELLA.EXC001"), 0);
  std::string opciones(4096, '\0');
  int32_t longitud = 4096;
  lectora.MTMICRSetIndexValue(opciones, "ImageOptions", "Resolution", 2, "200", longitud);
  std::vector<uint8_t> bytes(10);
  int32_t tamano = 10;
  lectora.MTMICRGetImage("EXCELLA.EXC001", "img", bytes, tamano);

  EXPECT_THAT(falsa.Llamadas(),
              ElementsAre("MTMICRGetDevice(1, [200])", "MTMICROpenDevice(EXCELLA.EXC001)",
                          "MTMICRSetIndexValue([4096], ImageOptions, Resolution, 2, 200, 4096)",
                          "MTMICRGetImage(EXCELLA.EXC001, img, [10], 10)"));
  EXPECT_THAT(falsa.Nombres(), ElementsAre("MTMICRGetDevice", "MTMICROpenDevice",
                                           "MTMICRSetIndexValue", "MTMICRGetImage"));
  EXPECT_EQ(falsa.Registro()[2].argumentos[0], opciones);
  EXPECT_EQ(falsa.Cuenta("MTMICROpenDevice"), 1);
  EXPECT_EQ(opciones, std::string(4096, '\0')) << "buffers are left alone by default";
}

TEST(LectoraFalsa, GuionesDeDispositivosYEstado) {
  LectoraFalsa falsa;
  falsa.ListaDispositivos({"UNA", "EXCELLA.EXC001"});
  falsa.RespuestaEstado("<INK>OK</INK>");
  falsa.al_open_device = [](const std::string&) { return -5; };
  std::string nombre(200, ' ');
  EXPECT_EQ(falsa.MTMICRGetDevice(2, nombre), 0);
  EXPECT_EQ(nombre.substr(0, 15), std::string("EXCELLA.EXC001\0", 15));
  EXPECT_EQ(nombre.size(), 200u);
  EXPECT_NE(falsa.MTMICRGetDevice(3, nombre), 0);
  EXPECT_EQ(falsa.MTMICROpenDevice("X"), -5);
  std::string buffer(4096, '\0');
  int32_t longitud = 4096;
  EXPECT_EQ(falsa.MTMICRQueryInfo("X", "DeviceStatus", buffer, longitud), 0);
  EXPECT_EQ(buffer.substr(0, 14), std::string("<INK>OK</INK>\0", 14));
}

}  // namespace
}  // namespace vardel
