#include "capture/directorio_imagenes.h"

#include "core/text.h"
#include "settings/configuracion.h"
#include "settings/registro.h"
#include "vardel/error.h"

namespace vardel::capture {

namespace {

// Where the operator mends the folder: the key, its value and the file.
std::string DondeSeConfigura(const std::string& directorio) {
  return "carpeta de imágenes \"" + directorio + "\" (DirectorioImg en " +
         Configuracion::RutaConfig() + ")";
}

[[noreturn]] void DirectorioNoValido(const std::string& directorio, const std::string& motivo) {
  ErrorEjecucion error(errores::kRutaNoEncontrada, DescripcionError(errores::kRutaNoEncontrada) +
                                                       ": DirectorioImg de Config.ini " + motivo);
  error.AnadeDetalle(DondeSeConfigura(directorio));
  if (const std::string aviso = Configuracion::AvisoMarcaUtf8(); !aviso.empty()) {
    error.AnadeDetalle(aviso);
  }
  throw error;
}

}  // namespace

std::string DirectorioImagenes() {
  std::string directorio = Configuracion::LeeAjuste("DirectorioImg");
  if (Recorta(directorio).empty()) {
    DirectorioNoValido(directorio, "está vacío o no se puede leer");
  }
  if (Configuracion::AjusteCortado("DirectorioImg", directorio)) {
    DirectorioNoValido(
        directorio,
        "tiene más de " + std::to_string(Configuracion::kLargoMaximoValor) + " caracteres");
  }
  return directorio;
}

platform::Carpeta CarpetaImagenes(const std::string& directorio) {
  platform::Carpeta carpeta(directorio);
  platform::CompruebaAlcance(carpeta, Configuracion::RutaConfig(), "DirectorioImg");
  return carpeta;
}

platform::Carpeta CompruebaAntesDeCapturar(Boolean blnLogActivo) {
  std::string directorio;
  try {
    directorio = DirectorioImagenes();
    platform::Carpeta carpeta = CarpetaImagenes(directorio);
    carpeta.CompruebaEscritura(kEspacioPorCheque);
    return carpeta;
  } catch (ErrorEjecucion& error) {
    if (error.Detalle().empty()) {
      error.AnadeDetalle(DondeSeConfigura(directorio));
    }
    if (EsVerdadero(blnLogActivo)) {
      Configuracion::EscribeLog(Configuracion::LineaLog(
          error.Numero(), " - No se pueden guardar las imágenes: " + error.Descripcion() + " "));
    }
    throw;
  }
}

}  // namespace vardel::capture
