// The automation values: the keyed collection's rules and errors, dates;
// and the owners of the system's handles.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/text.h"
#include "platform/archivos.h"
#include "support/directorio_prueba.h"
#include "vardel/collection.h"
#include "vardel/error.h"
#include "vardel/fecha.h"

namespace vardel {
namespace {

int NumeroDeError(const std::function<void()>& accion) {
  try {
    accion();
  } catch (const ErrorEjecucion& e) {
    return e.Numero();
  }
  return 0;
}

TEST(Collection, PosicionesDesdeUnoYClavesSinCaso) {
  Collection col;
  col.Add(Variant::String("a"), "NumDoc");
  col.Add(Variant::Double(123.45), "Importe");
  col.Add(Variant::Integer(7));
  EXPECT_EQ(col.Count(), 3);
  EXPECT_EQ(col.Item(1), Variant::String("a"));
  EXPECT_EQ(col.Item("IMPORTE"), Variant::Double(123.45));
  EXPECT_EQ(col.Item("numdoc"), Variant::String("a"));
  EXPECT_EQ(col.Item(3), Variant::Integer(7));
  EXPECT_FALSE(col.Clave(3).has_value());
}

// Keys match without regard to case for the code page's letters too, as
// the platform's collection does; other letters stay apart.
TEST(Collection, ClavesSinCasoConLetrasAcentuadas) {
  Collection col;
  col.Add(Variant::String("a"), "Año");
  EXPECT_EQ(NumeroDeError([&] { col.Add(Variant::String("b"), "AÑO"); }), 457);
  col.Add(Variant::String("c"), "Ano");
  col.Add(Variant::String("d"), "ÇÀÉÎÕÜÝÞ ŠŒŽŸ");
  EXPECT_EQ(col.Item("aÑo"), Variant::String("a"));
  EXPECT_EQ(col.Item("ANO"), Variant::String("c"));
  EXPECT_EQ(col.Item("çàéîõüýþ šœžÿ"), Variant::String("d"));
  EXPECT_EQ(NumeroDeError([&] { col.Item("Año÷"); }), 5);
  EXPECT_EQ(col.Count(), 3);
}

TEST(Texto, MayusculasYCaracteresEnUtf8) {
  EXPECT_EQ(Mayusculas("sí"), "SÍ");
  EXPECT_EQ(Mayusculas("Sí"), "SÍ");
  EXPECT_EQ(Mayusculas("ñandú ÿ ÷ ß €"), "ÑANDÚ Ÿ ÷ ß €");
  EXPECT_EQ(Mayusculas("\xC3 a\xB1"), "\xC3 A\xB1");  // broken sequences kept as they are
  EXPECT_EQ(CuentaCaracteres("ñab€"), 4u);
  EXPECT_EQ(PrimerosCaracteres("ñab", 3), "ñab");
  EXPECT_EQ(PrimerosCaracteres("20ñx200", 3), "20ñ");
  EXPECT_EQ(PrimerosCaracteres("€uro", 1), "€");
  EXPECT_EQ(PrimerosCaracteres("ab", 0), "");
  EXPECT_EQ(PrimerosCaracteres("ab", 5), "ab");
}

TEST(Collection, ErroresComoLosDelRuntime) {
  Collection col;
  col.Add(Variant::String("a"), "Clave");
  EXPECT_EQ(NumeroDeError([&] { col.Add(Variant::String("b"), "CLAVE"); }), 457);
  EXPECT_EQ(NumeroDeError([&] { col.Item("otra"); }), 5);
  EXPECT_EQ(NumeroDeError([&] { col.Item(0); }), 9);
  EXPECT_EQ(NumeroDeError([&] { col.Item(2); }), 9);
  EXPECT_EQ(NumeroDeError([&] { col.Remove("otra"); }), 5);
  EXPECT_EQ(NumeroDeError([&] { col.Remove(5); }), 9);
  EXPECT_EQ(col.Count(), 1);  // a failed Add leaves nothing behind
}

TEST(Collection, AddAntesYDespuesYRemove) {
  Collection col;
  col.Add(Variant::Long(1), "uno");
  col.Add(Variant::Long(3), "tres");
  col.Add(Variant::Long(2), "dos", 2);
  col.Add(Variant::Long(4), "cuatro", std::nullopt, 3);
  ASSERT_EQ(col.Count(), 4);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(col.Item(i).AsLong(), i);
  }
  col.Remove("DOS");
  col.Remove(1);
  EXPECT_EQ(col.Item(1).AsLong(), 3);
  EXPECT_EQ(col.Item("cuatro").AsLong(), 4);
  EXPECT_FALSE(col.Contiene("dos"));
}

TEST(Variant, TiposDistintosNoSonIguales) {
  EXPECT_NE(Variant::Integer(7), Variant::Long(7));
  EXPECT_NE(Variant::String(""), Variant());
  EXPECT_EQ(Variant::Bool(Boolean::True).AsBoolean(), Boolean::True);
  EXPECT_EQ(static_cast<int>(Boolean::True), -1);
  EXPECT_TRUE(Variant::Object(nullptr).tipo() == Variant::Tipo::Object);
  // Reading a value as another type is the runtime's type mismatch.
  EXPECT_EQ(NumeroDeError([] { (void)Variant::Long(7).AsInteger(); }), 13);
  EXPECT_EQ(NumeroDeError([] { (void)Variant().AsString(); }), 13);
}

TEST(Collection, CopiaIndependienteYMovidaVacia) {
  Collection original;
  original.Add(Variant::Long(1), "uno");
  Collection copia = original;
  copia.Add(Variant::Long(2), "dos");
  Collection movida = std::move(copia);
  EXPECT_EQ(original.Count(), 1);
  EXPECT_EQ(movida.Count(), 2);
  EXPECT_EQ(copia.Count(), 0);  // NOLINT(bugprone-use-after-move): left empty, still usable
}

TEST(Fecha, SerialDeAutomatizacion) {
  EXPECT_EQ(FechaDesdeCivil({1899, 12, 30})->serial, 0.0);
  EXPECT_EQ(FechaDesdeCivil({1900, 1, 1})->serial, 2.0);
  EXPECT_EQ(FechaDesdeCivil({2026, 12, 31})->serial, 46387.0);
  EXPECT_DOUBLE_EQ(FechaDesdeCivil({2000, 1, 1, 12, 0, 0})->serial, 36526.5);
  EXPECT_FALSE(FechaDesdeCivil({2026, 2, 29}).has_value());
  EXPECT_TRUE(FechaDesdeCivil({2024, 2, 29}).has_value());
  EXPECT_FALSE(FechaDesdeCivil({2026, 4, 31}).has_value());
  EXPECT_FALSE(FechaDesdeCivil({2026, 13, 1}).has_value());
  const FechaCivil c = CivilDesdeFecha(Fecha{36526.75});
  EXPECT_EQ(c.anio, 2000);
  EXPECT_EQ(c.mes, 1);
  EXPECT_EQ(c.dia, 1);
  EXPECT_EQ(c.hora, 18);
  EXPECT_EQ(ATexto(Variant::Date(Fecha{46387.0})), "31/12/2026");
}

TEST(Error, NumeroYDescripcionEnCastellano) {
  const ErrorEjecucion e(76);
  EXPECT_EQ(e.Numero(), 76);
  EXPECT_EQ(e.Descripcion(), "No se ha encontrado la ruta de acceso");
  EXPECT_EQ(ErrorEjecucion(457).Descripcion(),
            "Esta clave ya está asociada con un elemento de esta colección");
}

#ifndef _WIN32
// A filter that throws halfway through a folder's listing leaves no listing
// open behind it.
TEST(Recurso, UnListadoQueFallaNoDejaDescriptoresAbiertos) {
  const prueba::DirectorioPrueba carpeta;
  carpeta.Escribe("a.txt", "a");
  const auto abiertos = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
  };
  const auto antes = abiertos();
  EXPECT_THROW(platform::Carpeta(carpeta.Ruta()).Archivos([](const std::string&) -> bool {
    throw ErrorEjecucion(5);
  }),
               ErrorEjecucion);
  EXPECT_EQ(abiertos(), antes);
}
#endif

}  // namespace
}  // namespace vardel
