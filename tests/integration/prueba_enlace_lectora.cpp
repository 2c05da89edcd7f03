// The binding's contract against real libraries: where it finds them, the
// errors it raises, and the bounds it keeps on every buffer and size, shown
// with a library that misbehaves on purpose.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <thread>

#include "device/lectora_biblioteca.h"
#include "platform/biblioteca.h"
#include "platform/componente.h"
#include "support/directorio_prueba.h"
#include "support/simulador_prueba.h"
#include "vardel/error.h"

namespace vardel {
namespace {

using device::LectoraBiblioteca;
using prueba::DirectorioEjecutable;
using prueba::DirectorioPrueba;
using prueba::SimuladorPrueba;

std::string RutaDefectuosa() {
  return DirectorioEjecutable() + platform::kSeparador + VARDEL_BIBLIOTECA_DEFECTUOSA;
}

int32_t NumeroDeError(const std::function<void()>& llamada) {
  try {
    llamada();
  } catch (const ErrorEjecucion& error) {
    return error.Numero();
  }
  return 0;
}

// The detail an operator reads after the number and description.
std::string DetalleDeError(const std::function<void()>& llamada) {
  try {
    llamada();
  } catch (const ErrorEjecucion& error) {
    return error.Detalle();
  }
  return "";
}

TEST(EnlaceLectora, BibliotecaQueNoCargaEsElError48) {
  LectoraBiblioteca lectora({"/no/existe/libmtxmlmcr.so", "vardel-no-existe-mtxmlmcr"});
  EXPECT_EQ(NumeroDeError([&] { lectora.MTMICROpenDevice("EXCELLA.EXC001"); }),
            errores::kErrorCargandoBiblioteca);
  std::string nombre(200, ' ');
  EXPECT_EQ(NumeroDeError([&] { lectora.MTMICRGetDevice(1, nombre); }),
            errores::kErrorCargandoBiblioteca);
  EXPECT_EQ(nombre, std::string(200, ' ')) << "a failed call leaves the caller's buffer alone";
  // Every path tried, each with the loader's reason.
  EXPECT_THAT(DetalleDeError([&] { lectora.MTMICRGetDevice(1, nombre); }),
              testing::MatchesRegex("no se ha podido cargar la biblioteca; probado: "
                                    "/no/existe/libmtxmlmcr.so \\(.+\\); "
                                    "vardel-no-existe-mtxmlmcr \\(.+\\)\\. Instale la biblioteca "
                                    "de la lectora junto al componente"));
}

TEST(EnlaceLectora, CargaLaBibliotecaInstaladaDespuesDeUnFallo) {
  DirectorioPrueba directorio;
  LectoraBiblioteca lectora({directorio.Archivo(device::kArchivoLectora)});
  std::string nombre(200, ' ');
  ASSERT_EQ(NumeroDeError([&] { lectora.MTMICRGetDevice(1, nombre); }),
            errores::kErrorCargandoBiblioteca);

  std::filesystem::copy_file(SimuladorPrueba::RutaSimulador(),
                             directorio.Archivo(device::kArchivoLectora));
  EXPECT_EQ(NumeroDeError([&] { lectora.MTMICRGetDevice(1, nombre); }), 0);
}

TEST(EnlaceLectora, FuncionQueFaltaEsElError453) {
  LectoraBiblioteca lectora({RutaDefectuosa()});
  std::string respuesta(1024, '\0');
  int32_t longitud = 1024;
  EXPECT_EQ(NumeroDeError([&] {
              lectora.MTMICRSendCommand("EXCELLA.EXC001", "ClearPathExit", respuesta, longitud);
            }),
            errores::kPuntoEntradaNoEncontrado);
  // The library itself is loaded: its other functions answer.
  EXPECT_EQ(lectora.MTMICROpenDevice("EXCELLA.EXC001"), 0);
  // The check a read makes before feeding finds the gap too.
  LectoraBiblioteca otra({RutaDefectuosa()});
  EXPECT_EQ(NumeroDeError([&] { otra.CompruebaFunciones(); }), errores::kPuntoEntradaNoEncontrado);
  // The function (under a 32-bit Windows build, its last spelling tried)
  // and the library.
  EXPECT_THAT(DetalleDeError([&] { otra.CompruebaFunciones(); }),
              testing::AllOf(testing::StartsWith("falta la función "),
                             testing::HasSubstr("MTMICRSendCommand"),
                             testing::EndsWith(" en " + RutaDefectuosa())));
}

TEST(EnlaceLectora, PrimerasLlamadasDesdeVariosHilosALaVez) {
  LectoraBiblioteca lectora({RutaDefectuosa()});
  std::atomic<int> bien{0};
  std::vector<std::thread> hilos;
  hilos.reserve(8);
  for (int i = 0; i < 8; ++i) {
    hilos.emplace_back([&] {
      std::string buffer(64, '\0');
      int32_t longitud = 64;
      if (lectora.MTMICROpenDevice("D") == 0 &&
          lectora.MTMICRGetValue("doc", "S", "igual", buffer, longitud) == 64) {
        ++bien;
      }
    });
  }
  for (std::thread& hilo : hilos) {
    hilo.join();
  }
  EXPECT_EQ(bien.load(), 8);
}

TEST(EnlaceLectora, LaBusquedaEmpiezaEnElDirectorioDelComponente) {
  DirectorioPrueba directorio;
  EXPECT_THAT(
      device::CandidatosLectora(),
      testing::ElementsAre(directorio.Archivo(device::kArchivoLectora), device::kArchivoLectora));
}

TEST(EnlaceLectora, ElSimuladorExportaLosOnceNombresSinDecorar) {
  platform::BibliotecaDinamica simulador({SimuladorPrueba::RutaSimulador()});
  for (const char* nombre :
       {"MTMICRGetDevice", "MTMICROpenDevice", "MTMICRCloseDevice", "MTMICRQueryInfo",
        "MTMICRSetValue", "MTMICRSetIndexValue", "MTMICRProcessCheck", "MTMICRGetValue",
        "MTMICRGetIndexValue", "MTMICRGetImage", "MTMICRSendCommand"}) {
    EXPECT_NE(simulador.Funcion(nombre), nullptr) << nombre;
  }
}

#if defined(_WIN32) && !defined(_WIN64)
TEST(EnlaceLectora, ResuelveNombresDecoradosDeStdcall) {
  // The test library has only decorated names on this platform...
  platform::BibliotecaDinamica cruda({RutaDefectuosa()});
  EXPECT_EQ(NumeroDeError([&] { cruda.Funcion("MTMICROpenDevice"); }),
            errores::kPuntoEntradaNoEncontrado);
  // ...and the binding still finds the function.
  LectoraBiblioteca lectora({RutaDefectuosa()});
  EXPECT_EQ(lectora.MTMICROpenDevice("EXCELLA.EXC001"), 0);
}
#endif

// One buffer-taking text function of the binding, called with the test
// library's answer mode in its item/key/options argument.
struct FuncionConBuffer {
  const char* nombre;
  std::function<int32_t(LectoraBiblioteca&, const std::string& modo, std::string& buffer,
                        int32_t& longitud)>
      llama;
};

std::vector<FuncionConBuffer> FuncionesConBuffer() {
  return {
      {"QueryInfo", [](LectoraBiblioteca& l, const std::string& m, std::string& b,
                       int32_t& n) { return l.MTMICRQueryInfo("D", m, b, n); }},
      {"SetValue", [](LectoraBiblioteca& l, const std::string& m, std::string& b,
                      int32_t& n) { return l.MTMICRSetValue(b, "S", m, "V", n); }},
      {"SetIndexValue", [](LectoraBiblioteca& l, const std::string& m, std::string& b,
                           int32_t& n) { return l.MTMICRSetIndexValue(b, "S", m, 2, "V", n); }},
      {"ProcessCheck", [](LectoraBiblioteca& l, const std::string& m, std::string& b,
                          int32_t& n) { return l.MTMICRProcessCheck("D", m, b, n); }},
      {"GetValue", [](LectoraBiblioteca& l, const std::string& m, std::string& b,
                      int32_t& n) { return l.MTMICRGetValue("doc", "S", m, b, n); }},
      {"GetIndexValue", [](LectoraBiblioteca& l, const std::string& m, std::string& b,
                           int32_t& n) { return l.MTMICRGetIndexValue("doc", "S", m, 1, b, n); }},
  };
}

TEST(EnlaceLectora, NuncaIndicaMasCapacidadQueLaDelBuffer) {
  LectoraBiblioteca lectora({RutaDefectuosa()});
  for (const auto& funcion : FuncionesConBuffer()) {
    SCOPED_TRACE(funcion.nombre);
    std::string buffer(4096, '\0');
    int32_t longitud = 100000;
    // The library reports the size it was told, and that the binding's NUL
    // follows the buffer.
    EXPECT_EQ(funcion.llama(lectora, "igual", buffer, longitud), 4096);
    EXPECT_EQ(buffer, std::string(4096, 'x')) << "the whole buffer comes back";
    EXPECT_EQ(longitud, 4096);

    std::string otro(64, '\0');
    int32_t negativa = -20;
    EXPECT_EQ(funcion.llama(lectora, "igual", otro, negativa), 0);
    EXPECT_EQ(negativa, 0);
  }
}

TEST(EnlaceLectora, AcotaLosTamanosQueDevuelveLaBiblioteca) {
  LectoraBiblioteca lectora({RutaDefectuosa()});
  struct Caso {
    const char* modo;
    int32_t esperado;
  };
  for (const auto& funcion : FuncionesConBuffer()) {
    for (const Caso& caso : {Caso{"negativo", 0}, Caso{"enorme", 1024}}) {
      SCOPED_TRACE(std::string(funcion.nombre) + " " + caso.modo);
      std::string buffer(1024, '\0');
      int32_t longitud = 1024;
      EXPECT_EQ(funcion.llama(lectora, caso.modo, buffer, longitud), 1024);
      EXPECT_EQ(longitud, caso.esperado);
      EXPECT_EQ(buffer.size(), 1024u);
    }
  }
}

TEST(EnlaceLectora, ImagenDelTamanoExactoYTamanoAcotado) {
  LectoraBiblioteca lectora({RutaDefectuosa()});
  struct Caso {
    const char* nombre;
    int32_t pedido;
    int32_t indicado;
    int32_t devuelto;
  };
  for (const Caso& caso :
       {Caso{"igual", 50, 50, 50}, Caso{"igual", 5000, 50, 50}, Caso{"negativo", 50, 50, 0},
        Caso{"enorme", 50, 50, 50}, Caso{"igual", -3, 0, 0}}) {
    SCOPED_TRACE(std::string(caso.nombre) + " " + std::to_string(caso.pedido));
    std::vector<uint8_t> bytes(50, 0);
    int32_t longitud = caso.pedido;
    EXPECT_EQ(lectora.MTMICRGetImage("D", caso.nombre, bytes, longitud), caso.indicado);
    EXPECT_EQ(longitud, caso.devuelto);
    ASSERT_EQ(bytes.size(), 50u);
    EXPECT_EQ(bytes[49], caso.indicado == 50 ? 0xAB : 0);
  }
}

TEST(EnlaceLectora, ElBufferDelNombreTieneLaCapacidadQueSuponeLaBiblioteca) {
  LectoraBiblioteca lectora({RutaDefectuosa()});
  // The library writes 199 characters and a NUL without being told a size.
  std::string corto(10, ' ');
  EXPECT_EQ(lectora.MTMICRGetDevice(1, corto), 0);
  EXPECT_EQ(corto, std::string(199, 'N') + '\0');

  std::string nombre(200, ' ');
  EXPECT_EQ(lectora.MTMICRGetDevice(1, nombre), 0);
  EXPECT_EQ(nombre, std::string(199, 'N') + '\0');
}

}  // namespace
}  // namespace vardel
