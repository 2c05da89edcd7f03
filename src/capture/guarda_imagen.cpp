#include <cmath>
#include <limits>
#include <new>
#include <optional>

#include "capture/estado_ciclo.h"
#include "capture/nombres_imagen.h"
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

// The log text of a failed fetch of image 1, 2 or 3.
constexpr const char* kErrorFetch[] = {
    " - Error al procesar imagen 1 ",
    " - Error al procesar imagen 2 ",
    " - Error al procesar imagen 3 ",
};

// The image's byte count from its size text, or nullopt when the text reads
// as 0: no image. That test comes before rounding, so "0.4" is an image of
// 0 bytes that is still named and fetched.
std::optional<std::size_t> TamanoImagen(const std::string& texto) {
  const auto numero = platform::TextoANumero(texto);
  if (!numero) {
    LanzaError(errores::kTiposNoCoinciden);
  }
  if (*numero == 0) {
    return std::nullopt;
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

  std::string strValor(static_cast<std::size_t>(kLargoValor), '\0');
  std::int32_t longitud = kLargoValor;
  if (lectora.MTMICRGetIndexValue(estado.strRespuesta, "ImageInfo", "ImageSize", k, strValor,
                                  longitud) != 0) {
    return;
  }
  const auto talla = TamanoImagen(HastaNul(strValor));
  if (!talla) {
    return;
  }
  const std::size_t tamano = *talla;
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
    if (EsVerdadero(estado.blnLogActivo())) {
      Configuracion::EscribeLog(Configuracion::LineaLog(resultado, kErrorFetch[k - 1]));
    }
    return;
  }

  std::string nombre;
  if (estado.datosLinea) {
    nombre = NombreImagenCheque(k, *estado.datosLinea);
  } else {
    nombre = NombreImagenError(k, estado.intIndiceError);
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
