#include "escenario.h"

#include <algorithm>
#include <cstdlib>

#include "documento.h"
#include "plataforma.h"

namespace mtxsim {

namespace {

bool Si(const std::string& valor, bool defecto) {
  const std::string v = Recorta(valor);
  if (v.empty()) {
    return defecto;
  }
  return IgualSinMayusculas(v, "yes") || IgualSinMayusculas(v, "true") || v == "1" ||
         IgualSinMayusculas(v, "on");
}

std::int32_t Numero(const std::string& valor, std::int32_t defecto) {
  const std::string v = Recorta(valor);
  if (v.empty()) {
    return defecto;
  }
  char* fin = nullptr;
  const long numero = std::strtol(v.c_str(), &fin, 10);
  return (fin == v.c_str()) ? defecto : static_cast<std::int32_t>(numero);
}

std::vector<std::string> Lista(const std::string& valor) {
  std::vector<std::string> elementos;
  std::size_t inicio = 0;
  while (inicio <= valor.size()) {
    std::size_t coma = valor.find(',', inicio);
    if (coma == std::string::npos) {
      coma = valor.size();
    }
    std::string elemento = Recorta(std::string_view(valor).substr(inicio, coma - inicio));
    // The name buffer the library writes into holds 200 bytes.
    if (elemento.size() > 199) {
      elemento.resize(199);
    }
    if (!elemento.empty()) {
      elementos.push_back(elemento);
    }
    inicio = coma + 1;
  }
  return elementos;
}

// The keys "prefix.Name" of a section, by lower-case Name, as numbers.
std::map<std::string, std::int32_t> PorNombre(const Documento& d, const std::string& seccion,
                                              const std::string& prefijo) {
  std::map<std::string, std::int32_t> valores;
  for (const auto& [clave, valor] : d.Claves(seccion)) {
    const std::string nombre = Minusculas(clave);
    if (nombre.size() > prefijo.size() && nombre.compare(0, prefijo.size(), prefijo) == 0 &&
        !Recorta(valor).empty()) {
      valores.emplace(nombre.substr(prefijo.size()), Numero(valor, 0));
    }
  }
  return valores;
}

// "\n", "\r", "\t" and "\\" in a value written into a file.
std::string SinEscapes(const std::string& valor) {
  std::string texto;
  for (std::size_t i = 0; i < valor.size(); ++i) {
    if (valor[i] != '\\' || i + 1 == valor.size()) {
      texto += valor[i];
      continue;
    }
    const char c = valor[++i];
    texto += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
  }
  return texto;
}

std::optional<Suceso> LeeSuceso(const Documento& d, int numero, const std::string& carpeta) {
  const std::string seccion = "Event" + std::to_string(numero);
  Suceso s;
  s.numero = numero;
  const std::string llamada = Recorta(d.ValorO(seccion, "call", ""));
  const std::size_t dos_puntos = llamada.find(':');
  if (dos_puntos != std::string::npos) {
    s.funcion = Recorta(llamada.substr(0, dos_puntos));
    s.llamada = Numero(llamada.substr(dos_puntos + 1), 0);
  }
  const std::int32_t tras = Numero(d.ValorO(seccion, "after", ""), 0);
  s.tras = tras > 0 ? static_cast<std::size_t>(tras) : 0;
  const std::string accion = Recorta(d.ValorO(seccion, "do", ""));
  if (IgualSinMayusculas(accion, "unplug")) {
    s.accion = Suceso::Accion::kDesconecta;
  } else if (IgualSinMayusculas(accion, "remove")) {
    s.accion = Suceso::Accion::kBorra;
  } else if (IgualSinMayusculas(accion, "move")) {
    s.accion = Suceso::Accion::kMueve;
  } else if (IgualSinMayusculas(accion, "write")) {
    s.accion = Suceso::Accion::kEscribe;
  } else if (IgualSinMayusculas(accion, "fill")) {
    s.accion = Suceso::Accion::kLlena;
  } else {
    return std::nullopt;
  }
  const std::string ruta = Recorta(d.ValorO(seccion, "path", ""));
  s.ruta = ruta.empty() ? "" : Resuelve(carpeta, ruta);
  const std::string destino = Recorta(d.ValorO(seccion, "to", ""));
  s.destino = destino.empty() ? "" : Resuelve(carpeta, destino);
  s.texto = SinEscapes(d.ValorO(seccion, "text", ""));
  const bool con_momento = (s.llamada > 0 && !s.funcion.empty()) || s.tras > 0;
  const bool con_ruta = s.accion == Suceso::Accion::kDesconecta || !s.ruta.empty();
  if (!con_momento || !con_ruta || (s.accion == Suceso::Accion::kMueve && s.destino.empty())) {
    return std::nullopt;
  }
  return s;
}

ImagenEscenario LeeImagen(const std::string& valor, const std::string& carpeta) {
  ImagenEscenario imagen;
  const std::string v = Recorta(valor);
  if (v.empty() || IgualSinMayusculas(v, "none")) {
    return imagen;
  }
  if (v.size() > 5 && IgualSinMayusculas(v.substr(0, 5), "size:")) {
    imagen.origen = ImagenEscenario::Origen::kGenerada;
    imagen.tamano = Numero(v.substr(5), 0);
    return imagen;
  }
  imagen.origen = ImagenEscenario::Origen::kArchivo;
  imagen.ruta = Resuelve(carpeta, v);
  return imagen;
}

}  // namespace

std::size_t LargoBandeja(const Escenario& e) {
  return e.bandeja.size() * e.copias;
}

const DocumentoBandeja& DocumentoEn(const Escenario& e, std::size_t posicion) {
  return e.bandeja[posicion % e.bandeja.size()];
}

Escenario LeeEscenario(const std::string& texto, const std::string& directorio) {
  const Documento d = Documento::Lee(texto);
  Escenario e;
  e.presente = Si(d.ValorO("Reader", "present", "yes"), true);
  e.dispositivos = Lista(d.ValorO("Reader", "devices", "EXCELLA.EXC001"));
  e.apertura = Numero(d.ValorO("Reader", "open", ""), 0);
  e.cierre = Numero(d.ValorO("Reader", "close", ""), 0);
  e.consulta = Numero(d.ValorO("Reader", "query", ""), 0);
  e.orden = Numero(d.ValorO("Reader", "command", ""), 0);
  e.estado = d.ValorO("Reader", "status", "<STATUS>READY</STATUS>");
  e.respuesta_orden = d.ValorO("Reader", "response", "OK");
  e.retardo_ms = Numero(d.ValorO("Reader", "delay", ""), 0);
  const std::string diario = Recorta(d.ValorO("Reader", "journal", ""));
  e.diario = diario.empty() ? "" : Resuelve(directorio, diario);
  if (const auto tamano = d.Valor("Reader", "returnsize"); tamano && !Recorta(*tamano).empty()) {
    e.tamano_devuelto = Numero(*tamano, 0);
  }
  e.tamanos_devueltos = PorNombre(d, "Reader", "returnsize.");
  e.retardo_descarga_ms = Numero(d.ValorO("Reader", "fetchdelay", ""), 0);
  for (int n = 1; d.TieneSeccion("Event" + std::to_string(n)); ++n) {
    if (auto suceso = LeeSuceso(d, n, directorio)) {
      e.sucesos.push_back(std::move(*suceso));
    }
  }
  const std::string imagenes = Recorta(d.ValorO("Reader", "images", ""));
  const std::string carpeta = imagenes.empty() ? directorio : Resuelve(directorio, imagenes);

  e.rellena = Si(d.ValorO("Tray", "refill", "no"), false);
  const std::int32_t copias = Numero(d.ValorO("Tray", "copies", ""), 1);
  e.copias = copias > 1 ? static_cast<std::size_t>(copias) : 1;
  e.firma_bandeja = "[Tray]\n" + d.TextoSeccion("Tray");
  for (int n = 1;; ++n) {
    const std::string seccion = "Document" + std::to_string(n);
    if (!d.TieneSeccion(seccion)) {
      break;
    }
    e.firma_bandeja += "[" + seccion + "]\n" + d.TextoSeccion(seccion);
    DocumentoBandeja documento;
    documento.res = d.ValorO(seccion, "res", "0");
    documento.micr = d.ValorO(seccion, "micr", "");
    for (int k = 1; k <= 3; ++k) {
      const std::string indice = std::to_string(k);
      ImagenEscenario& imagen = documento.imagenes[k - 1];
      imagen = LeeImagen(d.ValorO(seccion, "image" + indice, ""), carpeta);
      imagen.descarga = Numero(d.ValorO(seccion, "fetch" + indice, ""), 0);
      if (const auto texto = d.Valor(seccion, "size" + indice)) {
        imagen.texto_tamano = *texto;
      }
      if (const auto corta = d.Valor(seccion, "short" + indice);
          corta && !Recorta(*corta).empty()) {
        imagen.entrega_corta = Numero(*corta, 0);
      }
    }
    documento.atasco = Si(d.ValorO(seccion, "jam", "no"), false);
    documento.limpiezas_atasco = std::max(1, Numero(d.ValorO(seccion, "jamclears", ""), 1));
    documento.resultado = Numero(d.ValorO(seccion, "result", ""), 0);
    documento.alimenta = Si(d.ValorO(seccion, "fed", "yes"), true);
    if (const auto marca = d.Valor(seccion, "docpresent"); marca && !Recorta(*marca).empty()) {
      documento.marca_mas = Si(*marca, false);
    }
    if (const auto retardo = d.Valor(seccion, "delay"); retardo && !Recorta(*retardo).empty()) {
      documento.retardo_ms = Numero(*retardo, 0);
    }
    if (const auto retardo = d.Valor(seccion, "fetchdelay");
        retardo && !Recorta(*retardo).empty()) {
      documento.retardo_descarga_ms = Numero(*retardo, 0);
    }
    documento.lecturas_fallidas = PorNombre(d, seccion, "fail.");
    e.bandeja.push_back(documento);
  }
  return e;
}

}  // namespace mtxsim
