#include "settings/configuracion.h"

#include <filesystem>
#include <fstream>

#include "core/lanza_error.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "platform/perfil.h"

namespace vardel::Configuracion {

namespace {
// The platform functions return at most this many characters minus one.
constexpr std::size_t kCapacidadLectura = kLargoMaximoValor + 1;
// Room enough to see that a value is longer than a read returns.
constexpr std::size_t kCapacidadComprobacion = 4096;

bool CabeEnUnaLectura(const std::string& valor) {
  return platform::LargoEnCaracteresAnsi(valor) <= kLargoMaximoValor;
}

// Read here rather than asked of the platform's functions, which may skip
// the mark (Wine does) or keep it (Windows does).
bool EmpiezaConMarcaUtf8(const std::string& archivo) {
  std::ifstream entrada(std::filesystem::path(std::u8string(archivo.begin(), archivo.end())),
                        std::ios::binary);
  char marca[3] = {};
  return entrada.read(marca, sizeof marca) &&
         std::string_view(marca, sizeof marca) == "\xEF\xBB\xBF";
}
}  // namespace

std::string RutaConfig() {
  return platform::DirectorioComponente() + platform::kSeparador + "Config.ini";
}

std::string LeeIni(const std::string& seccion, const std::string& clave,
                   const std::string& archivo) {
  // An empty default makes a missing key read as "" on every platform (a
  // default of blanks is trimmed to "" on Windows, but kept as " " by Wine).
  return platform::LeePerfilPrivado(seccion, clave, "", kCapacidadLectura, archivo);
}

Boolean EscribeIni(const std::string& seccion, const std::string& clave, const std::string& valor,
                   const std::string& archivo) {
  return ABoolean(platform::EscribePerfilPrivado(seccion, clave, valor, archivo));
}

std::string LeeAjuste(const std::string& clave) {
  return LeeIni(kSeccion, clave, RutaConfig());
}

bool AjusteCortado(const std::string& clave, const std::string& leido) {
  if (platform::LargoEnCaracteresAnsi(leido) < kLargoMaximoValor) {
    return false;
  }
  return !CabeEnUnaLectura(
      platform::LeePerfilPrivado(kSeccion, clave, "", kCapacidadComprobacion, RutaConfig()));
}

std::string AvisoMarcaUtf8() {
  const std::string archivo = RutaConfig();
  if (!EmpiezaConMarcaUtf8(archivo) || platform::ExisteSeccionPerfil(kSeccion, archivo)) {
    return {};
  }
  return archivo +
         " empieza con la marca de UTF-8 (EF BB BF), que no se reconoce y oculta la sección [" +
         kSeccion +
         "] de la primera línea: guarde el archivo con la codificación ANSI o Unicode (UTF-16 LE)";
}

std::shared_ptr<Collection> LeeConfiguracion() {
  const std::string archivo = RutaConfig();
  auto col = std::make_shared<Collection>();
  for (const char* clave : {"Resolution1", "FileType1", "PrintData", "DocFeed", "DirectorioImg"}) {
    col->Add(Variant::String(LeeIni(kSeccion, clave, archivo)), clave);
  }
  return col;
}

void GuardaConfiguracion(const Collection& col) {
  const std::string archivo = RutaConfig();
  const auto texto = [&col](const char* clave) { return ATexto(col.Item(clave)); };
  const auto escribe = [&archivo](const char* clave, const std::string& valor) {
    // A save that wrote nothing must not look like a success to the
    // operator, who is also told why where the platform says.
    std::string motivo;
    if (!platform::EscribePerfilPrivado(kSeccion, clave, valor, archivo, &motivo)) {
      LanzaError(errores::kErrorAccesoRuta,
                 motivo.empty() ? DescripcionError(errores::kErrorAccesoRuta)
                                : DescripcionError(errores::kErrorAccesoRuta) + ": " + motivo);
    }
  };
  // A value a read would hand back cut is refused whole, before any key is
  // written: a cut folder would send the images to another folder. Missing
  // items are left to fail at their own key, as before.
  const auto presente = [&col](const char* clave) { return col.Contiene(clave); };
  const auto rechaza = [](const char* clave) {
    LanzaError(errores::kArgumentoNoValido, DescripcionError(errores::kArgumentoNoValido) +
                                                ": el valor de " + clave + " tiene más de " +
                                                std::to_string(kLargoMaximoValor) + " caracteres");
  };
  if (presente("Resolution1") && presente("Resolution2") &&
      !CabeEnUnaLectura(texto("Resolution1") + "x" + texto("Resolution2"))) {
    rechaza("Resolution1");
  }
  for (const char* clave : {"FileType1", "PrintData", "DocFeed", "DirectorioImg"}) {
    if (presente(clave) && !CabeEnUnaLectura(texto(clave))) {
      rechaza(clave);
    }
  }
  escribe("Resolution1", texto("Resolution1") + "x" + texto("Resolution2"));
  escribe("FileType1", texto("FileType1"));
  escribe("Resolution2", texto("Resolution1") + "x" + texto("Resolution2"));
  escribe("FileType2", texto("FileType1"));
  escribe("PrintData", texto("PrintData"));
  escribe("DocFeed", texto("DocFeed"));
  escribe("DirectorioImg", texto("DirectorioImg"));
}

std::string RutaCorta(const std::string& ruta) {
  return platform::RutaCortaPlataforma(ruta);
}

}  // namespace vardel::Configuracion
