// The activity log: where lines go, their bytes, and that a line that cannot
// be written never ends an operation.
#include <gtest/gtest.h>

#include "platform/componente.h"
#include "platform/reloj.h"
#include "settings/registro.h"
#include "support/directorio_prueba.h"
#include "vardel/fecha.h"

namespace vardel {
namespace {

using Configuracion::EscribeLog;
using Configuracion::LineaLog;
using Configuracion::strDirectorioLog;

class Registro : public testing::Test {
 protected:
  void TearDown() override { strDirectorioLog().clear(); }
  prueba::DirectorioPrueba dir;
};

TEST_F(Registro, SinDirectorioVaAlDirectorioDelComponente) {
  strDirectorioLog().clear();
  EscribeLog("uno");
  EscribeLog("dos");
  EXPECT_EQ(dir.Lee("Lectora.log"), "uno\r\ndos\r\n");
}

// In the system's text encoding: the ANSI code page on Windows, UTF-8 on
// POSIX, so `cat Lectora.log` shows it.
TEST_F(Registro, EnElDirectorioDelRegistroEnElTextoDelSistema) {
  dir.Escribe("placeholder", "");
  strDirectorioLog() = dir.Ruta();
  EscribeLog("No se ha podido establecer conexión con la lectora ");
#ifdef _WIN32
  EXPECT_EQ(dir.Lee("Lectora.log"), "No se ha podido establecer conexi\xF3n con la lectora \r\n");
#else
  EXPECT_EQ(dir.Lee("Lectora.log"), "No se ha podido establecer conexión con la lectora \r\n");
#endif
}

TEST_F(Registro, UnSeparadorFinalDaDosSeguidos) {
  strDirectorioLog() = dir.Ruta() + platform::kSeparador;
  EscribeLog("linea");
  EXPECT_EQ(dir.Lee("Lectora.log"), "linea\r\n");
}

TEST_F(Registro, UnDirectorioInexistenteNoInterrumpe) {
  strDirectorioLog() = dir.Archivo("no-existe");
  EXPECT_NO_THROW(EscribeLog("perdida"));
  EXPECT_FALSE(dir.Existe("no-existe"));
}

TEST_F(Registro, LineaConFechaNumeroYMensaje) {
  const std::string linea = LineaLog(-3, " - Error al procesar imagen 2 ");
  const std::string cola = " - -3 - Error al procesar imagen 2 ";
  ASSERT_GT(linea.size(), cola.size());
  EXPECT_EQ(linea.substr(linea.size() - cola.size()), cola);
  EXPECT_FALSE(linea.substr(0, linea.size() - cola.size()).empty());
}

TEST(FechaHoraGeneral, MedianocheEsSoloLaFecha) {
  const Fecha medianoche = *FechaDesdeCivil({2026, 12, 8, 0, 0, 0});
  const Fecha tarde = *FechaDesdeCivil({2026, 12, 8, 17, 5, 9});
  const std::string soloFecha = platform::FechaHoraGeneral(medianoche);
  const std::string completa = platform::FechaHoraGeneral(tarde);
  EXPECT_EQ(soloFecha.find(' '), std::string::npos) << soloFecha;
  ASSERT_GT(completa.size(), soloFecha.size()) << completa;
  EXPECT_EQ(completa.substr(0, soloFecha.size() + 1), soloFecha + " ") << completa;
  EXPECT_NE(completa.find("05"), std::string::npos) << completa;
}

}  // namespace
}  // namespace vardel
