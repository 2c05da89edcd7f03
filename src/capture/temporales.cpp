#include <ctime>

#include "capture/directorio_imagenes.h"
#include "capture/reserva_numero.h"
#include "platform/archivos.h"
#include "vardel/error.h"

namespace vardel::capture {

namespace {

// A name this component's image writes or the folder probe give their
// temporaries: an image name ("ANV", "REV", "ERRANV" or "ERRREV", then
// letters, digits, "-" and "_", ".tif" or ".jpg"), "vardel-prueba", the
// numbering hint, or a claim a sweep was taking away.
bool BaseDeTemporalPropio(std::string_view base) {
  if (base == "vardel-prueba" || base == "vardel-numero.pista" ||
      EsNombreReserva(std::string(base))) {
    return true;
  }
  if (base.size() <= 4) {
    return false;
  }
  const std::string_view extension = base.substr(base.size() - 4);
  const std::string_view raiz = base.substr(0, base.size() - 4);
  bool propio = (extension == ".tif" || extension == ".jpg") &&
                (raiz.rfind("ANV", 0) == 0 || raiz.rfind("REV", 0) == 0 ||
                 raiz.rfind("ERRANV", 0) == 0 || raiz.rfind("ERRREV", 0) == 0);
  for (const char c : raiz) {
    const bool letra = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    propio = propio && (letra || (c >= '0' && c <= '9') || c == '-' || c == '_');
  }
  return propio;
}

constexpr std::string_view kMarcaBarrido = "vardel-barrido-";

std::string MarcaDelDia(std::int64_t dia) {
  return std::string(kMarcaBarrido) + platform::IdentidadEquipo() + "-" + std::to_string(dia);
}

// Whether this read is the first of the day on this machine to reach the
// folder: only it creates the day's marker, and it takes away the
// machine's markers of earlier days.
bool TocaBarrer(const platform::Carpeta& carpeta) {
  const std::int64_t hoy = static_cast<std::int64_t>(std::time(nullptr)) / platform::kSegundosDia;
  const std::string marca = MarcaDelDia(hoy);
  if (carpeta.Existe(marca) || !carpeta.CreaExclusivo(marca)) {
    return false;
  }
  const std::string propias = std::string(kMarcaBarrido) + platform::IdentidadEquipo() + "-";
  for (const std::string& vieja : carpeta.Archivos([&](const std::string& nombre) {
         return nombre.rfind(propias, 0) == 0 && nombre != marca;
       })) {
    carpeta.Borra(vieja);
  }
  return true;
}

// Takes away a claim whose holder is gone. It is first renamed aside and
// its content compared: a claim another reader made at that number since
// it was read (after a second sweeper removed the dead one) is put back
// instead of lost.
void QuitaReserva(const platform::Carpeta& carpeta, const std::string& nombre,
                  const std::string& leido) {
  const std::string aparte = platform::NombreTemporal(nombre);
  if (!carpeta.Renombra(nombre, aparte)) {
    return;
  }
  if (carpeta.Lee(aparte) == leido || !carpeta.Renombra(aparte, nombre)) {
    carpeta.Borra(aparte);
  }
}

void BorraReservasAbandonadas(const platform::Carpeta& carpeta) {
  for (const std::string& nombre : carpeta.Archivos(EsNombreReserva)) {
    const auto contenido = carpeta.Lee(nombre, 64);
    if (!contenido) {
      continue;
    }
    // An empty claim is one of an earlier version, or one being written:
    // it goes by its age alone.
    const auto escritor = contenido->empty()
                              ? std::optional<platform::Escritor>(platform::Escritor{})
                              : platform::EscritorDe(*contenido);
    if (escritor && platform::EscritorAusente(*escritor, carpeta.Antiguedad(nombre))) {
      QuitaReserva(carpeta, nombre, *contenido);
    }
  }
}

}  // namespace

void BorraTemporalesHuerfanos(const std::string& directorio) {
  if (directorio.empty()) {
    return;
  }
  try {
    const platform::Carpeta carpeta(directorio);
    if (!TocaBarrer(carpeta)) {
      return;
    }
    platform::BorraTemporalesAbandonados(carpeta, BaseDeTemporalPropio);
    BorraReservasAbandonadas(carpeta);
  } catch (const ErrorEjecucion&) {
    // A folder that cannot be resolved now is left for another day.
  }
}

}  // namespace vardel::capture
