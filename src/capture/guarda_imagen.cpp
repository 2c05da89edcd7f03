#include <cmath>
#include <limits>
#include <new>
#include <optional>

#include "capture/directorio_imagenes.h"
#include "capture/estado_ciclo.h"
#include "capture/nombres_imagen.h"
#include "capture/traza.h"
#include "core/lanza_error.h"
#include "core/text.h"
#include "device/lectora.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "platform/conversion.h"
#include "settings/configuracion.h"
#include "settings/registro.h"

namespace vardel::capture {

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

// The largest image the step accepts: a cheque's image at any resolution
// and colour depth a desk reader offers is a few MiB; a size text beyond
// this is a fault of the reader, not an image worth gigabytes of memory.
constexpr std::size_t kTamanoMaximo = std::size_t{64} * 1024 * 1024;

// The file name of image k of the current document.
std::string NombreDelDocumento(int k, const EstadoCiclo& estado) {
  return estado.datosLinea ? NombreImagenCheque(k, *estado.datosLinea)
                           : NombreImagenError(k, estado.intIndiceError);
}

// The path image k would take, for a trace line; "" when the image
// directory cannot be named.
std::string RutaPrevista(int k, const EstadoCiclo& estado) {
  try {
    return DirectorioImagenes() + platform::kSeparador + NombreDelDocumento(k, estado);
  } catch (const ErrorEjecucion&) {
    return {};
  }
}

// Tells the host through one of its image handlers. A handler that throws
// must not cost the document its other images, its trace or its event: the
// exception is kept and let through once the document has been delivered.
template <typename Aviso>
void AvisaAlAnfitrion(EstadoCiclo& estado, const Aviso& aviso) {
  try {
    aviso();
  } catch (...) {
    if (!estado.excepcionAnfitrion) {
      estado.excepcionAnfitrion = std::current_exception();
    }
  }
}

void Traza(std::int32_t numero, int k, const std::string& ruta, EstadoCiclo& estado) {
  TrazaImagenNoGuardada(numero, k, ruta, estado);
  if (estado.ImagenNoGuardada) {
    AvisaAlAnfitrion(estado, [&] { estado.ImagenNoGuardada(k, ruta, numero); });
  }
}

void GuardaImagenSinTraza(int k, EstadoCiclo& estado, std::string& ruta) {
  device::Lectora& lectora = estado.lectora;

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
  if (tamano > kTamanoMaximo) {
    Traza(errores::kMemoriaInsuficiente, k, RutaPrevista(k, estado), estado);
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
    if (EsVerdadero(estado.blnLogActivo())) {
      Configuracion::EscribeLog(Configuracion::LineaLog(resultado, kErrorFetch[k - 1]));
    }
    Traza(resultado, k, RutaPrevista(k, estado), estado);
    return;
  }

  // A fetch that reports success but hands back no bytes of an image that
  // has some is a lost image, not an empty one: no file, and the trace.
  if (tamano > 0 && longitudImagen <= 0) {
    Traza(resultado, k, RutaPrevista(k, estado), estado);
    return;
  }
  // Only what the reader sent: a shorter transfer is never padded.
  if (longitudImagen >= 0 && static_cast<std::size_t>(longitudImagen) < imagen.size()) {
    imagen.resize(static_cast<std::size_t>(longitudImagen));
  }
  // The settings are read once for the image: its path and its folder.
  const std::string directorio = DirectorioImagenes();
  const std::string nombre = NombreDelDocumento(k, estado);
  ruta = directorio + platform::kSeparador + nombre;
  if (!estado.datosLinea && k == 3) {
    estado.colDatos = ColeccionSinDatos(estado.intIndiceError);
  }
  CarpetaImagenes(directorio).EscribeCompleto(nombre, imagen);
}

}  // namespace

void GuardaImagen(int k, EstadoCiclo& estado) {
  std::string ruta;
  try {
    GuardaImagenSinTraza(k, estado, ruta);
  } catch (const ErrorEjecucion& error) {
    // The document has left the tray: name it before the read ends.
    Traza(error.Numero(), k, ruta.empty() ? RutaPrevista(k, estado) : ruta, estado);
    throw;
  }
  if (!ruta.empty() && estado.ImagenGuardada) {
    AvisaAlAnfitrion(estado, [&] { estado.ImagenGuardada(k, ruta); });
  }
}

}  // namespace vardel::capture
