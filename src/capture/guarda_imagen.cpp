#include <cmath>
#include <limits>
#include <new>

#include "capture/estado_ciclo.h"
#include "core/error.h"
#include "core/text.h"
#include "device/lectora.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "platform/conversion.h"
#include "settings/configuracion.h"
#include "settings/registro.h"

namespace vardel::captura {

namespace {

constexpr std::int32_t kLargoValor = 1024;

struct NombresImagen {
  const char* prefijo;
  const char* extension;
  const char* errorFetch;
};

constexpr NombresImagen kImagenes[] = {
    {"ANV", ".tif", " - Error al procesar imagen 1 "},
    {"REV", ".tif", " - Error al procesar imagen 2 "},
    {"ANV", ".jpg", " - Error al procesar imagen 3 "},
};

// A field as it may stand in a file name: every character that is not an
// ASCII letter, a digit, "-" or "_" becomes "_", so no name can leave the
// image directory.
std::string ParaNombreDeArchivo(const std::string& campo) {
  std::string nombre;
  for (std::size_t i = 0; i < campo.size(); ++i) {
    const auto c = static_cast<unsigned char>(campo[i]);
    const bool valido = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (valido) {
      nombre += static_cast<char>(c);
    } else if (c < 0x80 || c >= 0xC0) {
      nombre += '_';  // one "_" per character, not per byte of it
    }
  }
  return nombre;
}

std::size_t TamanoImagen(const std::string& texto) {
  const auto numero = platform::TextoANumero(texto);
  if (!numero) {
    LanzaError(errores::kTiposNoCoinciden);
  }
  const double redondeado = std::nearbyint(*numero);  // halves to the even neighbour
  if (redondeado < 0) {
    LanzaError(errores::kArgumentoNoValido);
  }
  if (redondeado > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    LanzaError(errores::kDesbordamiento);
  }
  return static_cast<std::size_t>(redondeado);
}

std::shared_ptr<Collection> ColeccionSinDatos(std::int16_t indice) {
  auto col = std::make_shared<Collection>();
  col->Add(Variant::Integer(indice), "IDERR");
  col->Add(Variant::String("Error: " + std::to_string(99) + " - " +
                           "No se ha recogido ningún dato del documento. Vuelva a pasar el talón."),
           "Error");
  return col;
}

}  // namespace

void GuardaImagen(int k, EstadoCiclo& estado) {
  device::Lectora& lectora = device::LectoraActual();
  const NombresImagen& nombres = kImagenes[k - 1];

  std::string strValor(static_cast<std::size_t>(kLargoValor), '\0');
  std::int32_t longitud = kLargoValor;
  if (lectora.MTMICRGetIndexValue(estado.strRespuesta, "ImageInfo", "ImageSize", k, strValor,
                                  longitud) != 0) {
    return;
  }
  const std::size_t tamano = TamanoImagen(HastaNul(strValor));
  if (tamano == 0) {
    return;
  }
  std::vector<std::uint8_t> imagen;
  try {
    imagen.assign(tamano, 0);
  } catch (const std::bad_alloc&) {
    LanzaError(errores::kMemoriaInsuficiente);
  }

  longitud = kLargoValor;
  lectora.MTMICRGetIndexValue(estado.strRespuesta, "ImageInfo", "ImageURL", k, strValor, longitud);

  std::int32_t longitudImagen = static_cast<std::int32_t>(tamano);
  const std::int32_t resultado = lectora.MTMICRGetImage(Configuracion::LeeAjuste("Name"),
                                                        HastaNul(strValor), imagen, longitudImagen);
  if (resultado != 0) {
    if (EsVerdadero(estado.blnLogActivo)) {
      Configuracion::EscribeLog(Configuracion::LineaLog(resultado, nombres.errorFetch));
    }
    return;
  }

  std::string nombre;
  if (estado.datosLinea) {
    nombre = std::string(nombres.prefijo) +
             ParaNombreDeArchivo(ATexto(estado.datosLinea->Item("Entidad"))) +
             ParaNombreDeArchivo(ATexto(estado.datosLinea->Item("NumDoc"))) + nombres.extension;
  } else {
    nombre = std::string("ERR") + nombres.prefijo + std::to_string(estado.intIndiceError) +
             nombres.extension;
    if (k == 3) {
      estado.colDatos = ColeccionSinDatos(estado.intIndiceError);
    }
  }
  // The whole image, whatever length the fetch handed back; an existing
  // file is replaced whole, never left with an old image's tail.
  imagen.resize(tamano);
  platform::EscribeArchivoCompleto(
      Configuracion::LeeAjuste("DirectorioImg") + platform::kSeparador + nombre, imagen);
}

}  // namespace vardel::captura
