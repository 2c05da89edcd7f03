#include "screen/recoge_datos.h"

#include <gmock/gmock.h>

#include <optional>
#include <string>
#include <vector>

#include "vardel/fecha.h"

namespace vardel {
namespace {

using namespace std::string_literals;

// The line every variation below starts from, split where the rows change it.
const std::string kInicio = "C1234567E0049C1234E0123456789";
const std::string kEjemplo = kInicio + "B00B0012A000012345C";

Variant Texto(const char* t) {
  return Variant::String(t);
}

Variant Dia(int dia, int mes, int anio) {
  return Variant::Date(*FechaDesdeCivil(FechaCivil{anio, mes, dia}));
}

struct Campos {
  std::string num_doc, entidad, oficina, cuenta;
  Variant importe;
  std::string tipo_doc;
  Variant fecha_vto;
};

const Campos kCamposEjemplo{"1234567", "0049",   "1234", "0123456789", Variant::Double(123.45),
                            "0012",    Texto("")};

Campos Con(std::string Campos::*campo, std::string valor) {
  Campos c = kCamposEjemplo;
  c.*campo = std::move(valor);
  return c;
}

Campos ConImporte(Variant importe, Variant fecha = Texto("")) {
  Campos c = kCamposEjemplo;
  c.importe = std::move(importe);
  c.fecha_vto = std::move(fecha);
  return c;
}

struct Caso {
  const char* nombre;
  std::string linea;
  std::optional<Campos> esperado;  // nullopt: the line is rejected
};

void PrintTo(const Caso& caso, std::ostream* os) {
  *os << caso.nombre;
}

const std::vector<Caso> kCasos = {
    {"ejemplo", kEjemplo, kCamposEjemplo},
    {"importe_de_ocho_cifras_en_unidades", kInicio + "B00B0012A00012345C",
     ConImporte(Variant::Double(12345))},
    {"importe_de_diez_cifras_en_centesimas", kInicio + "B00B0012A0000000001C",
     ConImporte(Variant::Double(0.01))},
    {"vacia", "", std::nullopt},
    {"solo_blancos_y_nulos", "  \0 \0\0  "s, std::nullopt},
    {"blancos_dentro_y_nulos_al_final",
     "C 1234567 E0049 C1234E 0123456789 B00 B0012 A000012345 C\0\0\0"s, kCamposEjemplo},
    {"interrogacion_en_campo_ignorado", "?" + kEjemplo, std::nullopt},
    {"interrogacion_tras_el_importe", kEjemplo + "12?", std::nullopt},
    {"primera_e_en_posicion_2", "CE0049C1234E0123456789B00B0012A000012345C", std::nullopt},
    {"primera_e_en_posicion_3", "C1E0049C1234E0123456789B00B0012A000012345C",
     Con(&Campos::num_doc, "1")},
    {"num_doc_vacio", "XCE0049C1234E0123456789B00B0012A000012345C", Con(&Campos::num_doc, "")},
    {"texto_ante_la_primera_c_ignorado", "XY" + kEjemplo, kCamposEjemplo},
    {"sin_c_ante_la_primera_e", "1234567E0049C1234E0123456789B00B0012A000012345C", std::nullopt},
    {"c_minuscula_es_contenido", "C12c4567E0049C1234E0123456789B00B0012A000012345C",
     Con(&Campos::num_doc, "12c4567")},
    {"entidad_de_tres", "C1234567E049C1234E0123456789B00B0012A000012345C", std::nullopt},
    {"entidad_de_cinco", "C1234567E00490C1234E0123456789B00B0012A000012345C", std::nullopt},
    {"entidad_no_ascii_cuenta_caracteres",
     "C1234567E0\u00f1\u20ac9C1234E0123456789B00B0012A000012345C",
     Con(&Campos::entidad, "0\u00f1\u20ac9")},
    {"oficina_larga_se_corta", "C1234567E0049C123456E0123456789B00B0012A000012345C",
     kCamposEjemplo},
    // The branch is the first four characters, even across its closing "E".
    {"oficina_corta_toma_cuatro_caracteres", "C1234567E0049C12E0123456789B00B0012A000012345C",
     Con(&Campos::oficina, "12E0")},
    {"resto_mas_corto_que_la_oficina", "C1E0049C1B2",
     [] {
       Campos c{"1", "0049", "1B2", "1", Texto(""), "2", Texto("")};
       return c;
     }()},
    {"sin_e_tras_la_oficina_la_cuenta_la_incluye",
     "C1234567E0049C12340123456789B00B0012A000012345C", Con(&Campos::cuenta, "12340123456789")},
    {"sin_b_tras_la_cuenta", kInicio, std::nullopt},
    {"cuenta_vacia", "C1234567E0049C1234EB00B0012A000012345C", Con(&Campos::cuenta, "")},
    {"tipo_doc_sin_segunda_b", kInicio + "B0012A000012345C", kCamposEjemplo},
    {"tipo_doc_son_cuatro_caracteres_aunque_siga_la_a", kInicio + "B00B12A000012345C",
     Con(&Campos::tipo_doc, "12A0")},
    {"sin_a_el_importe_sigue_al_tipo", kInicio + "B000012345C", Con(&Campos::tipo_doc, "0000")},
    {"importe_cero", kInicio + "B00B0012A0000000000C", ConImporte(Texto(""))},
    {"importe_vacio", kInicio + "B00B0012AC", std::nullopt},
    {"importe_no_numerico", kInicio + "B00B0012A12X45C", std::nullopt},
    {"termina_tras_el_tipo", kInicio + "B00B0012A", ConImporte(Texto(""))},
    {"fecha_ddmmaa", kInicio + "B00B0012A311226D", ConImporte(Texto(""), Dia(31, 12, 2026))},
    {"fecha_ddmmaaaa", kInicio + "B00B0012A01031995D", ConImporte(Texto(""), Dia(1, 3, 1995))},
    {"fecha_inexistente", kInicio + "B00B0012A310426D", std::nullopt},
    {"fecha_vacia", kInicio + "B00B0012AD", std::nullopt},
    {"importe_y_fecha_la_fecha_no_se_lee", kEjemplo + "999999D", kCamposEjemplo},
    {"caracter_invalido_se_sustituye",
     "C12\xff"
     "4567E0049C1234E0123456789B00B0012A000012345C",
     Con(&Campos::num_doc,
         "12\xef\xbf\xbd"
         "4567")},
};

class RecogeDatosTabla : public testing::TestWithParam<Caso> {};

TEST_P(RecogeDatosTabla, DaLosSieteCamposONada) {
  const Caso& caso = GetParam();
  const auto datos = RecogeDatos(caso.linea);
  if (!caso.esperado) {
    EXPECT_EQ(datos, nullptr);
    return;
  }
  ASSERT_NE(datos, nullptr);
  ASSERT_EQ(datos->Count(), 7);
  const Campos& e = *caso.esperado;
  const std::vector<std::pair<std::string, Variant>> esperados = {
      {"NumDoc", Variant::String(e.num_doc)},
      {"Entidad", Variant::String(e.entidad)},
      {"Oficina", Variant::String(e.oficina)},
      {"Cuenta", Variant::String(e.cuenta)},
      {"Importe", e.importe},
      {"TipoDoc", Variant::String(e.tipo_doc)},
      {"FechaVto", e.fecha_vto}};
  for (std::int32_t i = 1; i <= 7; ++i) {
    const auto& [clave, valor] = esperados[static_cast<std::size_t>(i - 1)];
    EXPECT_EQ(datos->Clave(i), clave);
    EXPECT_EQ(datos->Item(i), valor) << clave << ": " << ATexto(datos->Item(i));
  }
}

INSTANTIATE_TEST_SUITE_P(Lineas, RecogeDatosTabla, testing::ValuesIn(kCasos),
                         [](const auto& info) { return std::string(info.param.nombre); });

// Positions are 16-bit values: a delimiter beyond position 32767 rejects the
// line, one just inside it does not.
TEST(RecogeDatos, PosicionesMasAllaDe32767Rechazan) {
  const std::string prefijo_limite(32758, '9');  // the first "E" lands on 32767
  const auto dentro = RecogeDatos(prefijo_limite + kEjemplo);
  ASSERT_NE(dentro, nullptr);
  EXPECT_EQ(dentro->Item("NumDoc"), Variant::String("1234567"));
  EXPECT_EQ(RecogeDatos(prefijo_limite + "9" + kEjemplo), nullptr);
}

TEST(RecogeDatos, LoQueSigueAlImporteNoCuentaParaLasPosiciones) {
  const auto datos = RecogeDatos(kEjemplo + std::string(40000, '7'));
  ASSERT_NE(datos, nullptr);
  EXPECT_EQ(datos->Item("Importe"), Variant::Double(123.45));
}

TEST(RecogeDatos, CadaLlamadaDaUnaColeccionNueva) {
  const auto primera = RecogeDatos(kEjemplo);
  const auto segunda = RecogeDatos(kEjemplo);
  ASSERT_NE(primera, nullptr);
  EXPECT_NE(primera, segunda);
}

}  // namespace
}  // namespace vardel
