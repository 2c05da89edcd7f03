#include "screen/recoge_datos.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/lanza_error.h"
#include "platform/conversion.h"

namespace vardel {

namespace {

// The code line's control symbols arrive as the capital letters A to E; a
// "?" is a character the reader could not read.
constexpr char32_t kSimboloA = U'A';
constexpr char32_t kSimboloB = U'B';
constexpr char32_t kSimboloC = U'C';
constexpr char32_t kSimboloD = U'D';
constexpr char32_t kSimboloE = U'E';
constexpr char32_t kIlegible = U'?';

constexpr char32_t kReemplazo = 0xFFFD;

// Positions are 16-bit signed values; a larger one is an overflow.
constexpr std::size_t kPosicionMaxima = 32767;

// Decodes UTF-8 into characters; every byte of a malformed sequence becomes
// U+FFFD, so arbitrary bytes still give a line of characters.
std::u32string DecodificaUtf8(std::string_view bytes) {
  std::u32string texto;
  texto.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto primero = static_cast<unsigned char>(bytes[i]);
    std::size_t largo = 0;
    char32_t codigo = 0;
    char32_t minimo = 0;
    if (primero < 0x80) {
      largo = 1;
      codigo = primero;
    } else if (primero >= 0xC2 && primero <= 0xDF) {
      largo = 2;
      codigo = primero & 0x1F;
      minimo = 0x80;
    } else if (primero >= 0xE0 && primero <= 0xEF) {
      largo = 3;
      codigo = primero & 0x0F;
      minimo = 0x800;
    } else if (primero >= 0xF0 && primero <= 0xF4) {
      largo = 4;
      codigo = primero & 0x07;
      minimo = 0x10000;
    }
    bool valido = largo != 0 && i + largo <= bytes.size();
    for (std::size_t j = 1; valido && j < largo; ++j) {
      const auto siguiente = static_cast<unsigned char>(bytes[i + j]);
      valido = (siguiente & 0xC0) == 0x80;
      codigo = (codigo << 6) | (siguiente & 0x3F);
    }
    valido =
        valido && codigo >= minimo && codigo <= 0x10FFFF && (codigo < 0xD800 || codigo > 0xDFFF);
    if (valido) {
      texto.push_back(codigo);
      i += largo;
    } else {
      texto.push_back(kReemplazo);
      ++i;
    }
  }
  return texto;
}

std::string CodificaUtf8(std::u32string_view texto) {
  std::string bytes;
  bytes.reserve(texto.size());
  for (const char32_t c : texto) {
    if (c < 0x80) {
      bytes.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      bytes.push_back(static_cast<char>(0xE0 | (c >> 12)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      bytes.push_back(static_cast<char>(0xF0 | (c >> 18)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return bytes;
}

// Blanks and NULs are noise between the symbols the reader writes.
std::u32string Limpia(std::u32string texto) {
  std::erase(texto, U' ');
  std::erase(texto, U'\0');
  return texto;
}

// The 1-based position of the first `simbolo` in `texto`, 0 when absent.
std::int32_t Posicion(std::u32string_view texto, char32_t simbolo) {
  const std::size_t indice = texto.find(simbolo);
  if (indice == std::u32string_view::npos) {
    return 0;
  }
  if (indice + 1 > kPosicionMaxima) {
    LanzaError(errores::kDesbordamiento);
  }
  return static_cast<std::int32_t>(indice + 1);
}

// Up to `largo` characters from the 1-based position `inicio`.
std::u32string_view Medio(std::u32string_view texto, std::int32_t inicio,
                          std::size_t largo = std::u32string_view::npos) {
  const auto desde = static_cast<std::size_t>(inicio - 1);
  return desde >= texto.size() ? std::u32string_view() : texto.substr(desde, largo);
}

std::u32string_view Izquierda(std::u32string_view texto, std::int32_t largo) {
  return texto.substr(0, static_cast<std::size_t>(largo));
}

// Everything after the 1-based position `posicion`.
std::u32string_view Despues(std::u32string_view texto, std::int32_t posicion) {
  return Medio(texto, posicion + 1);
}

struct Campos {
  std::u32string_view num_doc, entidad, oficina, cuenta, tipo_doc;
  double importe = 0.0;
  std::optional<Fecha> fecha_vto;
};

// Splits the cleaned line into the cheque fields; nullopt when it does not
// have the code line's layout or a field does not convert.
std::optional<Campos> SeparaCampos(std::u32string_view linea) {
  Campos campos;
  const std::int32_t c = Posicion(linea, kSimboloC);
  const std::int32_t e = Posicion(linea, kSimboloE);
  const std::int32_t largo_num_doc = e - c - 1;
  if (largo_num_doc < 0) {
    return std::nullopt;
  }
  campos.num_doc = Medio(linea, c + 1, static_cast<std::size_t>(largo_num_doc));
  if (e < 3) {
    return std::nullopt;
  }

  // The bank code is exactly four characters closed by a "C".
  const std::u32string_view r1 = Despues(linea, e);
  if (Posicion(r1, kSimboloC) != 5) {
    return std::nullopt;
  }
  campos.entidad = Izquierda(r1, 4);
  const std::u32string_view r2 = Despues(r1, 5);

  campos.oficina = Izquierda(r2, 4);
  const std::int32_t fin_oficina = Posicion(r2, kSimboloE);
  const std::u32string_view r3 = fin_oficina == 0 ? r2 : Despues(r2, fin_oficina);

  const std::int32_t fin_cuenta = Posicion(r3, kSimboloB);
  if (fin_cuenta == 0) {
    return std::nullopt;
  }
  campos.cuenta = Izquierda(r3, fin_cuenta - 1);
  const std::u32string_view r4 = Despues(r3, fin_cuenta);

  campos.tipo_doc = Medio(r4, Posicion(r4, kSimboloB) + 1, 4);
  const std::int32_t a = Posicion(r4, kSimboloA);
  const std::u32string_view r5 = a == 0 ? r4 : Despues(r4, a);

  // An amount field excludes a due date; nine or more characters carry
  // hundredths in the last two.
  const std::int32_t k = Posicion(r5, kSimboloC);
  if (k != 0) {
    const auto importe = platform::TextoANumero(CodificaUtf8(Izquierda(r5, k - 1)));
    if (!importe) {
      return std::nullopt;
    }
    campos.importe = k > 9 ? *importe / 100.0 : *importe;
    return campos;
  }
  const std::int32_t d = Posicion(r5, kSimboloD);
  if (d != 0) {
    campos.fecha_vto = platform::TextoAFecha(CodificaUtf8(Izquierda(r5, d - 1)));
    if (!campos.fecha_vto) {
      return std::nullopt;
    }
  }
  return campos;
}

std::shared_ptr<Collection> Construye(const Campos& campos) {
  auto datos = std::make_shared<Collection>();
  datos->Add(Variant::String(CodificaUtf8(campos.num_doc)), "NumDoc");
  datos->Add(Variant::String(CodificaUtf8(campos.entidad)), "Entidad");
  datos->Add(Variant::String(CodificaUtf8(campos.oficina)), "Oficina");
  datos->Add(Variant::String(CodificaUtf8(campos.cuenta)), "Cuenta");
  datos->Add(campos.importe != 0.0 ? Variant::Double(campos.importe) : Variant::String(""),
             "Importe");
  datos->Add(Variant::String(CodificaUtf8(campos.tipo_doc)), "TipoDoc");
  datos->Add(campos.fecha_vto ? Variant::Date(*campos.fecha_vto) : Variant::String(""), "FechaVto");
  return datos;
}

}  // namespace

std::shared_ptr<Collection> RecogeDatos(const std::string& Dato) {
  // Every failure, a run-time one included, gives the null result: the
  // capture cycle treats it as an unreadable line.
  try {
    const std::u32string linea = Limpia(DecodificaUtf8(Dato));
    if (linea.empty() || linea.find(kIlegible) != std::u32string::npos) {
      return nullptr;
    }
    const auto campos = SeparaCampos(linea);
    return campos ? Construye(*campos) : nullptr;
  } catch (...) {
    return nullptr;
  }
}

}  // namespace vardel
