#include "escenarios.h"

#include <cstdio>

namespace campana {

namespace {

constexpr const char* kNombres[] = {"directorio-falta",
                                    "directorio-archivo",
                                    "directorio-largo",
                                    "directorio-vacio",
                                    "solo-lectura",
                                    "disco-lleno",
                                    "biblioteca-incompleta",
                                    "desconexion",
                                    "directorio-movido",
                                    "config-editada",
                                    "texto-tamano",
                                    "entrega-corta",
                                    "tamano-devuelto",
                                    "lectura-fallida",
                                    "captura-fallida",
                                    "estado-malo",
                                    "atasco",
                                    "descarga-fallida",
                                    "marca-erronea",
                                    "registro-falta",
                                    "registro-solo-lectura",
                                    "registro-disco-lleno",
                                    "matanza"};
static_assert(sizeof kNombres / sizeof kNombres[0] == static_cast<int>(Falla::kCuenta));

std::string Digitos(std::uint64_t valor, int ancho) {
  std::string texto(static_cast<std::size_t>(ancho), '0');
  for (int i = ancho - 1; i >= 0 && valor > 0; --i, valor /= 10) {
    texto[static_cast<std::size_t>(i)] = static_cast<char>('0' + valor % 10);
  }
  return texto;
}

}  // namespace

std::string Rutas::Nativa(const std::string& ruta) const {
  if (!windows || ruta.empty()) {
    return ruta;
  }
  std::string nativa = "Z:" + ruta;
  for (char& c : nativa) {
    c = c == '/' ? '\\' : c;
  }
  return nativa;
}

const char* NombreFalla(Falla falla) {
  return kNombres[static_cast<int>(falla)];
}

std::string TextoConfig(const std::string& directorio, bool log_activo,
                        const std::string& registro) {
  return std::string("[LectoraUSB]\r\nName=EXCELLA.EXC001\r\nLogActivo=") +
         (log_activo ? "S" : "N") + "\r\nDirectorioLog=" + registro +
         "\r\nDirectorioImg=" + directorio +
         "\r\nEndorse=BACK\r\nNumber=3\r\nFileType1=TIF\r\nFileType3=JPG\r\n";
}

// A cheque number of the run and position, so no two cheques of a campaign
// share image names; one line in eight cannot be read.
Cheque Generador::NuevoCheque(int n, int posicion) {
  Cheque cheque;
  cheque.numdoc =
      Digitos(static_cast<std::uint64_t>(n) * 10 + static_cast<std::uint64_t>(posicion), 7);
  cheque.entidad = Digitos(static_cast<std::uint64_t>(Entre(1, 9999)), 4);
  const std::string oficina = Digitos(static_cast<std::uint64_t>(Entre(0, 9999)), 4);
  const std::string cuenta = Digitos(static_cast<std::uint64_t>(Entre(0, 999999999)), 10);
  cheque.micr = "C" + cheque.numdoc + "E" + cheque.entidad + "C" + oficina + "E" + cuenta +
                "B00B0012A" + Digitos(static_cast<std::uint64_t>(Entre(1, 999999)), 9) + "C";
  if (Prob(0.125)) {
    cheque.micr[static_cast<std::size_t>(Entre(1, 20))] = '?';
    cheque.legible = false;
  }
  return cheque;
}

void Generador::Aplica(Falla falla, Lectura& lectura, std::vector<std::string>& documentos,
                       std::vector<std::string>& reader, std::vector<std::string>& sucesos,
                       const std::vector<int>& tamanos) {
  const int cheques = static_cast<int>(documentos.size());
  const int elegido = Entre(0, cheques - 1);
  std::string& documento = documentos[static_cast<std::size_t>(elegido)];
  const int k = Entre(1, 3);
  const int tamano = tamanos[static_cast<std::size_t>(elegido * 3 + k - 1)];
  const std::string indice = std::to_string(k);
  // When an event fires: right after a document is fed, or at the Nth call
  // of a function the image step makes.
  const auto momento = [&]() {
    if (Prob(0.5)) {
      return "after=" + std::to_string(Entre(1, cheques));
    }
    const char* funcion = Prob(0.5) ? "MTMICRGetImage" : "MTMICRGetIndexValue";
    return std::string("call=") + funcion + ":" + std::to_string(Entre(1, 3 * cheques));
  };
  const auto suceso = [&](const std::string& lineas) {
    sucesos.push_back("[Event" + std::to_string(sucesos.size() + 1) + "]\n" + momento() + "\n" +
                      lineas);
  };
  switch (falla) {
    case Falla::kDirectorioFalta:
      lectura.directorio = rutas_.instalacion + "/no-existe";
      break;
    case Falla::kDirectorioArchivo:
      lectura.directorio = rutas_.archivo;
      break;
    case Falla::kDirectorioLargo:
      lectura.directorio = rutas_.largo;
      break;
    case Falla::kDirectorioVacio:
      lectura.directorio = "";
      break;
    case Falla::kSoloLectura:
      lectura.directorio = rutas_.solo_lectura;
      break;
    case Falla::kDiscoLleno:
      lectura.directorio = rutas_.disco + "/imagenes";
      if (Prob(0.3)) {
        // Full before the read starts: nothing may be fed.
        sucesos.push_back("[Event" + std::to_string(sucesos.size() + 1) +
                          "]\ncall=MTMICROpenDevice:1\ndo=fill\npath=" +
                          rutas_.Nativa(rutas_.disco + "/relleno") + "\n");
      } else {
        suceso("do=fill\npath=" + rutas_.Nativa(rutas_.disco + "/relleno") + "\n");
      }
      break;
    case Falla::kBibliotecaIncompleta:
      lectura.biblioteca =
          rutas_.sin[static_cast<std::size_t>(Entre(0, static_cast<int>(rutas_.sin.size()) - 1))];
      break;
    case Falla::kDesconexion:
      suceso("do=unplug\n");
      break;
    case Falla::kDirectorioMovido:
      suceso("do=move\npath=" + rutas_.Nativa(rutas_.imagenes) +
             "\nto=" + rutas_.Nativa(rutas_.apartadas) + "\n");
      break;
    case Falla::kConfigEditada: {
      const std::string config = rutas_.Nativa(rutas_.instalacion + "/Config.ini");
      const int forma = Entre(0, 2);
      if (forma == 0) {
        suceso("do=remove\npath=" + config + "\n");
      } else {
        const std::string directorio = forma == 1 ? "" : rutas_.otras_imagenes;
        std::string texto;
        for (const char c : TextoConfig(rutas_.Nativa(directorio), lectura.log_activo,
                                        rutas_.Nativa(lectura.registro))) {
          texto += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string{c};
        }
        suceso("do=write\npath=" + config + "\ntext=" + texto + "\n");
      }
      break;
    }
    case Falla::kTextoTamano: {
      const std::string textos[] = {"abc",
                                    "-" + std::to_string(tamano),
                                    std::to_string(tamano) + ".4",
                                    std::to_string(tamano / 2) + ".5",
                                    std::to_string(tamano / 2),
                                    std::to_string(tamano + Entre(1, 5000)),
                                    "2147483647",
                                    "99999999999"};
      documento += "size" + indice + "=" + textos[Entre(0, 7)] + "\n";
      break;
    }
    case Falla::kEntregaCorta:
      documento +=
          "short" + indice + "=" + std::to_string(Entre(0, tamano > 0 ? tamano - 1 : 0)) + "\n";
      break;
    case Falla::kTamanoDevuelto: {
      const char* nombres[] = {"MTMICRProcessCheck",
                               "MTMICRGetValue",
                               "MTMICRGetIndexValue",
                               "MTMICRGetImage",
                               "res",
                               "MICRRaw",
                               "ImageSize",
                               "ImageURL"};
      const int valores[] = {0, 1, 7, 100000, -1};
      reader.push_back(std::string("returnsize.") + nombres[Entre(0, 7)] + "=" +
                       std::to_string(valores[Entre(0, 4)]));
      break;
    }
    case Falla::kLecturaFallida:
      documento += Prob(0.5) ? "fail.res=-6\n" : "fail.MICRRaw=-6\n";
      break;
    case Falla::kCapturaFallida:
      documento += "result=" + std::to_string(Prob(0.5) ? -3 : -11) +
                   "\nfed=" + (Prob(0.5) ? "yes" : "no") + "\n";
      break;
    case Falla::kEstadoMalo:
      documento += "res=" + std::to_string(Entre(1, 9)) + " Double feed\n";
      break;
    case Falla::kAtasco:
      documento += "jam=yes\nresult=204\njamclears=" + std::to_string(Entre(1, 3)) + "\n";
      break;
    case Falla::kDescargaFallida:
      documento += "fetch" + indice + "=-3\n";
      break;
    case Falla::kMarcaErronea:
      documento += Prob(0.5) ? "docpresent=no\n" : "docpresent=yes\n";
      break;
    case Falla::kRegistroFalta:
      lectura.registro = rutas_.instalacion + "/no-existe";
      break;
    case Falla::kRegistroSoloLectura:
      lectura.registro = rutas_.solo_lectura;
      break;
    case Falla::kRegistroDiscoLleno:
      // Traces that Lectora.log can no longer take go to the account's log.
      lectura.registro = rutas_.disco + "/registro";
      lectura.directorio = rutas_.disco + "/imagenes";
      suceso("do=fill\npath=" + rutas_.Nativa(rutas_.disco + "/relleno") + "\n");
      break;
    case Falla::kMatanza:
    case Falla::kCuenta:
      break;
  }
}

Lectura Generador::Genera(int n, int matar_hasta_ms) {
  Lectura lectura;
  lectura.log_activo = Prob(0.5);
  lectura.directorio = rutas_.imagenes;
  const int cheques = Entre(1, 6);
  std::vector<std::string> documentos;
  std::vector<int> tamanos;
  for (int i = 0; i < cheques; ++i) {
    const Cheque cheque = NuevoCheque(n, i);
    std::string texto = "micr=" + cheque.micr + "\n";
    for (int k = 1; k <= 3; ++k) {
      // Mostly small images; now and then a big one, so a kill can land
      // inside its write. An image may be missing.
      int tamano = Prob(0.1) ? Entre(1 << 20, 6 << 20) : Entre(100, 80000);
      if (Prob(0.05)) {
        tamano = 0;
      }
      tamanos.push_back(tamano);
      texto += "image" + std::to_string(k) + "=" +
               (tamano > 0 ? "size:" + std::to_string(tamano) : std::string("none")) + "\n";
    }
    documentos.push_back(texto);
    lectura.bandeja.push_back(cheque);
  }
  std::vector<std::string> reader = {"journal=diario.log"};
  if (Prob(0.3)) {
    reader.push_back("fetchdelay=" + std::to_string(Entre(1, 30)));
  }
  if (Prob(0.3)) {
    reader.push_back("delay=" + std::to_string(Entre(1, 30)));
  }
  std::vector<std::string> sucesos;
  const int fallas = Prob(0.2) ? 0 : Entre(1, 2);
  for (int i = 0; i < fallas; ++i) {
    auto falla = static_cast<Falla>(Entre(0, static_cast<int>(Falla::kMatanza) - 1));
    if (falla == Falla::kDiscoLleno && rutas_.disco.empty()) {
      falla = Falla::kDescargaFallida;
    }
    if ((falla == Falla::kRegistroFalta || falla == Falla::kRegistroSoloLectura ||
         falla == Falla::kRegistroDiscoLleno) &&
        rutas_.windows) {
      // The Windows host's own log is in the prefix's LOCALAPPDATA, out of
      // the driver's sight.
      falla = Falla::kDescargaFallida;
    }
    if (falla == Falla::kRegistroDiscoLleno && rutas_.disco.empty()) {
      falla = Falla::kRegistroFalta;
    }
    if (falla == Falla::kRegistroSoloLectura && rutas_.solo_lectura.empty()) {
      falla = Falla::kRegistroFalta;
    }
    if (falla == Falla::kSoloLectura && rutas_.solo_lectura.empty()) {
      falla = Falla::kDirectorioFalta;
    }
    if (falla == Falla::kBibliotecaIncompleta && rutas_.sin.empty()) {
      falla = Falla::kCapturaFallida;
    }
    lectura.fallas.push_back(falla);
    Aplica(falla, lectura, documentos, reader, sucesos, tamanos);
  }
  if (Prob(0.35)) {
    lectura.fallas.push_back(Falla::kMatanza);
    lectura.matar_ms = Entre(0, matar_hasta_ms);
  }
  // A short transfer that the fetch also claims was longer than the image
  // cannot be told from the image by any host: that pair is not made.
  bool corta = false;
  for (const std::string& documento : documentos) {
    corta = corta || documento.find("\nshort") != std::string::npos;
  }
  for (std::string& linea : reader) {
    if (corta && linea == "returnsize.MTMICRGetImage=100000") {
      linea = "returnsize.MTMICRGetImage=7";
    }
  }
  std::string texto = "[Reader]\n";
  for (const std::string& linea : reader) {
    texto += linea + "\n";
  }
  for (std::size_t i = 0; i < documentos.size(); ++i) {
    texto += "[Document" + std::to_string(i + 1) + "]\n" + documentos[i];
  }
  for (const std::string& suceso : sucesos) {
    texto += suceso;
  }
  lectura.escenario = texto;
  lectura.config = TextoConfig(rutas_.Nativa(lectura.directorio), lectura.log_activo,
                               rutas_.Nativa(lectura.registro));
  return lectura;
}

}  // namespace campana
