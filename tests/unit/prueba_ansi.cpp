// The 8-bit code page conversions: ASCII (NULs included) passes unchanged,
// and text after an ASCII stretch is still converted.
#include <gtest/gtest.h>

#include <string>

#include "platform/ansi.h"

namespace vardel {
namespace {

using namespace std::string_literals;

TEST(PaginaDeCodigos, IdaYVuelta) {
  struct Caso {
    std::string utf8;
    std::string ansi;
  };
  const Caso casos[] = {
      {"", ""},
      {"res=0\nDocPresent=DOCPRESENT"s + std::string(4000, '\0'),
       "res=0\nDocPresent=DOCPRESENT"s + std::string(4000, '\0')},
      {"conexión", "conexi\xF3n"},
      {"ñ al principio", "\xF1 al principio"},
      {"Importe 12 €\0tras el nulo ü"s, "Importe 12 \x80\0tras el nulo \xFC"s},
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.ansi);
    EXPECT_EQ(platform::AAnsi(caso.utf8), caso.ansi);
    EXPECT_EQ(platform::DesdeAnsi(caso.ansi), caso.utf8);
  }
}

TEST(PaginaDeCodigos, LoQueNoCabeEsInterrogacion) {
  EXPECT_EQ(platform::AAnsi("abc \xE4\xB8\xAD def"), "abc ? def");  // a CJK character
  EXPECT_EQ(platform::AAnsi("abc \xC3"), "abc ?");                  // cut short
}

}  // namespace
}  // namespace vardel
