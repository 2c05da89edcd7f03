// The 8-bit conversions. The reader library's code page: ASCII (NULs
// included) passes unchanged, and text after an ASCII stretch is still
// converted. The text files: the ANSI code page on Windows, UTF-8 on POSIX,
// where a file of Windows-1252 still reads.
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
    EXPECT_EQ(platform::APaginaLectora(caso.utf8), caso.ansi);
    EXPECT_EQ(platform::DesdePaginaLectora(caso.ansi), caso.utf8);
  }
}

TEST(PaginaDeCodigos, LoQueNoCabeEsInterrogacion) {
  EXPECT_EQ(platform::APaginaLectora("abc \xE4\xB8\xAD def"), "abc ? def");  // a CJK character
  EXPECT_EQ(platform::APaginaLectora("abc \xC3"), "abc ?");                  // cut short
}

// A settings value's length is counted in characters of the code page, as
// the A functions count it, whatever its UTF-8 takes.
TEST(TextoDeArchivos, LargoEnCaracteresDeLaPaginaDeCodigos) {
  EXPECT_EQ(platform::LargoEnCaracteresAnsi("imágenes €"), 10U);
  EXPECT_EQ(platform::LargoEnCaracteresAnsi("a\xE4\xB8\xAD b"), 4U);  // a CJK character is "?"
}

#ifdef _WIN32
TEST(TextoDeArchivos, PaginaDeCodigosDelSistema) {
  EXPECT_EQ(platform::AAnsi("imágenes"), "im\xE1genes");
  EXPECT_EQ(platform::DesdeAnsi("im\xE1genes"), "imágenes");
}
#else
TEST(TextoDeArchivos, Utf8YLosDeWindows1252SeLeen) {
  struct Caso {
    std::string archivo;
    std::string utf8;
  };
  const Caso casos[] = {
      {"im\xC3\xA1genes \xE2\x82\xAC", "imágenes €"},
      {"im\xE1genes", "imágenes"},  // Windows-1252
      {"pap\xE1", "papá"},          // ends like a cut character
      {"a\xC3\xA1 \xC3", "aá "},    // a read cut inside "á"
      {"\xC0\xAF \xED\xA0\x80",
       "\xC3\x80\xC2\xAF \xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // overlong, surrogate
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.archivo);
    EXPECT_EQ(platform::DesdeAnsi(caso.archivo), caso.utf8);
  }
  EXPECT_EQ(platform::AAnsi("imágenes €"), "im\xC3\xA1genes \xE2\x82\xAC");
}

// The cut falls after whole UTF-8 characters of 2, 3 and 4 bytes; a file of
// Windows-1252 is cut in bytes, one a character.
TEST(TextoDeArchivos, ElCorteNoPartePorDentroUnCaracter) {
  struct Caso {
    std::string archivo;
    std::size_t caracteres;
    std::string cortado;
  };
  const Caso casos[] = {
      {"im\xC3\xA1genes", 3, "im\xC3\xA1"},
      {"12 \xE2\x82\xAC\xE2\x82\xAC", 4, "12 \xE2\x82\xAC"},
      {"a𝄞b", 2, "a𝄞"},
      {"im\xE1genes", 3, "im\xE1"},                        // Windows-1252
      {"a\xC3\xA1\xC3\xA1 \xC3", 3, "a\xC3\xA1\xC3\xA1"},  // a read already cut inside "á"
  };
  for (const Caso& caso : casos) {
    SCOPED_TRACE(caso.archivo);
    EXPECT_EQ(platform::PrimerosCaracteresAnsi(caso.archivo, caso.caracteres), caso.cortado);
  }
}
#endif

}  // namespace
}  // namespace vardel
