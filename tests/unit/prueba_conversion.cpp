#include "platform/conversion.h"

#include <gmock/gmock.h>

#include <clocale>
#include <optional>
#include <string>

#include "vardel/fecha.h"

namespace vardel::platform {
namespace {

std::optional<Fecha> Dia(int dia, int mes, int anio) {
  return FechaDesdeCivil(FechaCivil{anio, mes, dia});
}

struct CasoNumero {
  std::string texto;
  std::optional<double> esperado;
};

// Digit strings are what the code line's amount fields hold; they must read
// the same on every platform.
TEST(TextoANumero, CadenasDeDigitosYBasura) {
  const CasoNumero casos[] = {
      {"000012345", 12345.0},
      {"0", 0.0},
      {"0000000000", 0.0},
      {"12345678901234", 12345678901234.0},
      {"9007199254740993", 9007199254740992.0},  // correctly rounded
      {"", std::nullopt},
      {"12A", std::nullopt},
      {"abc", std::nullopt},
      {"--1", std::nullopt},
      {"1-2", std::nullopt},
      {"\xff", std::nullopt},
      {std::string("12\0"
                   "3",
                   4),
       std::nullopt},
  };
  for (const auto& caso : casos) {
    EXPECT_EQ(TextoANumero(caso.texto), caso.esperado) << caso.texto;
  }
}

TEST(TextoANumero, DemasiadoGrandeNoEsNumero) {
  EXPECT_EQ(TextoANumero(std::string(400, '9')), std::nullopt);
}

TEST(TextoANumero, SignoDelante) {
  EXPECT_EQ(TextoANumero("-12"), -12.0);
  EXPECT_EQ(TextoANumero("+12"), 12.0);
}

// Plain numbers read alike on every platform: on Windows the runtime's
// conversion takes blanks around them, a leading "+" and an exponent.
TEST(TextoANumero, BlancosSignoYExponenteComoElRuntime) {
  const CasoNumero casos[] = {
      {" 100", 100.0},         {"100 ", 100.0},      {"  +100  ", 100.0},    {"+5", 5.0},
      {"1e2", 100.0},          {"1E2", 100.0},       {" -1e+2 ", -100.0},    {"25e-2", 0.25},
      {"1e", std::nullopt},    {"e2", std::nullopt}, {"1e2x", std::nullopt}, {" ", std::nullopt},
      {"1e400", std::nullopt},
  };
  for (const auto& caso : casos) {
    EXPECT_EQ(TextoANumero(caso.texto), caso.esperado) << "[" << caso.texto << "]";
  }
}

struct CasoFecha {
  std::string texto;
  std::optional<Fecha> esperado;
};

TEST(TextoAFecha, DigitosSonDiaMesYAnio) {
  const CasoFecha casos[] = {
      {"311226", Dia(31, 12, 2026)},
      {"31122026", Dia(31, 12, 2026)},
      {"010100", Dia(1, 1, 2000)},
      {"291229", Dia(29, 12, 2029)},
      {"010130", Dia(1, 1, 1930)},
      {"311299", Dia(31, 12, 1999)},
      {"290224", Dia(29, 2, 2024)},
      {"29022000", Dia(29, 2, 2000)},
      {"290223", std::nullopt},    // not a leap year
      {"29021900", std::nullopt},  // century, not a leap year
      {"310426", std::nullopt},    // April has 30 days
      {"150026", std::nullopt},    // month 00
      {"151326", std::nullopt},    // month 13
      {"001226", std::nullopt},    // day 00
      {"3112026", std::nullopt},   // seven digits
      {"31122", std::nullopt},
      {"3112202600", std::nullopt},
      {"", std::nullopt},
      {"no es fecha", std::nullopt},
      {"31X226", std::nullopt},
  };
  for (const auto& caso : casos) {
    EXPECT_EQ(TextoAFecha(caso.texto), caso.esperado) << caso.texto;
  }
}

// The user's locale conventions: with the runtime's conversion on Windows
// they depend on the machine, so only the POSIX reading is pinned down.
#ifndef _WIN32
TEST(TextoANumero, SeparadorDecimalDelLocaleC) {
  EXPECT_EQ(TextoANumero("12.5"), 12.5);
  EXPECT_EQ(TextoANumero(".5"), 0.5);
  EXPECT_EQ(TextoANumero("-0.25"), -0.25);
  EXPECT_EQ(TextoANumero("12,5"), std::nullopt);
  EXPECT_EQ(TextoANumero("1,234.5"), std::nullopt);
  EXPECT_EQ(TextoANumero("1.2.3"), std::nullopt);
  EXPECT_EQ(TextoANumero("."), std::nullopt);
  EXPECT_EQ(TextoANumero("1.5e1"), 15.0);
  EXPECT_EQ(TextoANumero(" 12.5 "), 12.5);
}

TEST(TextoANumero, SeparadorDecimalDeUnLocaleConComa) {
  const char* anterior = std::setlocale(LC_NUMERIC, nullptr);
  const std::string guardado = anterior ? anterior : "C";
  if (std::setlocale(LC_NUMERIC, "es_ES.UTF-8") == nullptr &&
      std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  EXPECT_EQ(TextoANumero("12,5"), 12.5);
  EXPECT_EQ(TextoANumero("12.5"), std::nullopt);
  EXPECT_EQ(TextoANumero("000012345"), 12345.0);
  std::setlocale(LC_NUMERIC, guardado.c_str());
}

TEST(TextoAFecha, DiaMesAnioConSeparadores) {
  const CasoFecha casos[] = {
      {"31/12/2026", Dia(31, 12, 2026)}, {"1/3/95", Dia(1, 3, 1995)},
      {"01-03-1995", Dia(1, 3, 1995)},   {"01.03.29", Dia(1, 3, 2029)},
      {"31/04/2026", std::nullopt},      {"29/02/2023", std::nullopt},
      {"15/00/2026", std::nullopt},      {"01/03-1995", std::nullopt},
      {"01/03/195", std::nullopt},       {"001/03/1995", std::nullopt},
      {"01/03/1995/", std::nullopt},     {"/03/1995", std::nullopt},
      {"2026-12-31", std::nullopt},      {"/12345311226", std::nullopt},
      {"1/3/99999999999", std::nullopt},
  };
  for (const auto& caso : casos) {
    EXPECT_EQ(TextoAFecha(caso.texto), caso.esperado) << caso.texto;
  }
}
#endif

}  // namespace
}  // namespace vardel::platform
