#include "buzon.h"

#include <algorithm>
#include <boost/crc.hpp>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace vardel::cli::puente {

namespace {

using nlohmann::json;

std::uint32_t Crc32(const std::string& texto) {
  boost::crc_32_type crc;
  crc.process_bytes(texto.data(), texto.size());
  return crc.checksum();
}

// Records appended before the file may be rewritten with the live ones.
constexpr std::size_t kEscritosMinimos = 256;

std::string RegistroLectura(int id, const std::string& origen) {
  return json{{"r", "lectura"}, {"id", id}, {"origen", origen}}.dump();
}

std::string RegistroDocumento(const DocumentoBuzon& d) {
  return json{{"r", "documento"},   {"lectura", d.lectura}, {"documento", d.documento},
              {"entero", d.entero}, {"nombre", d.nombre},   {"imagenes", d.imagenes},
              {"texto", d.texto}}
      .dump();
}

// A read's end ("fin") or its notice given ("avisada").
std::string RegistroDeLectura(const char* tipo, int lectura) {
  return json{{"r", tipo}, {"lectura", lectura}}.dump();
}

}  // namespace

std::string LineaBuzon(const std::string& json) {
  char suma[9];
  std::snprintf(suma, sizeof suma, "%08x", Crc32(json));
  return std::string(suma) + " " + json + "\n";
}

bool JsonDeLinea(const std::string& linea, std::string& json) {
  if (linea.size() < 10 || linea[8] != ' ') {
    return false;
  }
  std::uint32_t suma = 0;
  for (int i = 0; i < 8; ++i) {
    const char c = linea[static_cast<std::size_t>(i)];
    const int valor = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (valor < 0) {
      return false;
    }
    suma = suma << 4 | static_cast<std::uint32_t>(valor);
  }
  json = linea.substr(9);
  return Crc32(json) == suma;
}

Buzon::Buzon(std::filesystem::path ruta) : ruta_(std::move(ruta)) {
  Carga(LeeArchivo(ruta_));
  Compacta();
}

void Buzon::Carga(const std::string& contenido) {
  std::size_t inicio = 0;
  while (inicio < contenido.size()) {
    const std::size_t fin = contenido.find('\n', inicio);
    if (fin == std::string::npos) {
      ++descartados_;  // the last record, cut short
      break;
    }
    std::string texto;
    if (JsonDeLinea(contenido.substr(inicio, fin - inicio), texto)) {
      try {
        Aplica(texto);
      } catch (const json::exception&) {
        ++descartados_;
      }
    } else {
      ++descartados_;
    }
    inicio = fin + 1;
  }
}

void Buzon::Aplica(const std::string& texto) {
  const json r = json::parse(texto);
  const std::string tipo = r.at("r");
  if (tipo == "numeros") {
    siguienteDocumento_ = std::max(siguienteDocumento_, r.at("documento").get<int>());
    siguienteLectura_ = std::max(siguienteLectura_, r.at("lectura").get<int>());
  } else if (tipo == "lectura") {
    LecturaBuzon lectura;
    lectura.id = r.at("id");
    lectura.origen = r.at("origen");
    siguienteLectura_ = std::max(siguienteLectura_, lectura.id + 1);
    lecturas_[lectura.id] = std::move(lectura);
  } else if (tipo == "documento") {
    DocumentoBuzon d;
    d.documento = r.at("documento");
    d.lectura = r.at("lectura");
    d.texto = r.at("texto");
    d.nombre = r.at("nombre");
    d.entero = r.at("entero");
    d.imagenes = r.at("imagenes").get<std::vector<std::pair<std::string, std::string>>>();
    siguienteDocumento_ = std::max(siguienteDocumento_, d.documento + 1);
    if (const auto it = lecturas_.find(d.lectura); it != lecturas_.end() && d.entero) {
      it->second.ultimoEntero = std::max(it->second.ultimoEntero, d.documento);
    }
    pendientes_[d.documento] = std::move(d);
  } else if (tipo == "cierre" || tipo == "fin" || tipo == "avisada") {
    const auto it = lecturas_.find(r.at("lectura").get<int>());
    if (it == lecturas_.end()) {
      return;
    }
    if (tipo == "cierre") {
      it->second.cierres.push_back(r.at("texto"));
    } else if (tipo == "fin") {
      it->second.cerrada = true;
    } else {
      it->second.avisada = true;
    }
  } else if (tipo == "quita") {
    pendientes_.erase(r.at("documento").get<int>());
  }
}

std::vector<const DocumentoBuzon*> Buzon::Pendientes() const {
  std::vector<const DocumentoBuzon*> lista;
  for (const auto& [numero, documento] : pendientes_) {
    lista.push_back(&documento);
  }
  return lista;
}

std::vector<const LecturaBuzon*> Buzon::Lecturas() const {
  std::vector<const LecturaBuzon*> lista;
  for (const auto& [id, lectura] : lecturas_) {
    lista.push_back(&lectura);
  }
  return lista;
}

int Buzon::Lectura(const std::string& origen) {
  const int id = siguienteLectura_;
  Registra(RegistroLectura(id, origen));
  return id;
}

void Buzon::Documento(const DocumentoBuzon& documento) {
  Registra(RegistroDocumento(documento));
}

void Buzon::Cierre(int lectura, const std::string& texto) {
  if (lecturas_.count(lectura) != 0) {
    Registra(json{{"r", "cierre"}, {"lectura", lectura}, {"texto", texto}}.dump());
  }
}

void Buzon::Fin(int lectura) {
  if (lecturas_.count(lectura) != 0) {
    Registra(RegistroDeLectura("fin", lectura));
  }
}

void Buzon::Avisada(int lectura) {
  if (lecturas_.count(lectura) != 0) {
    Registra(RegistroDeLectura("avisada", lectura));
  }
}

void Buzon::Quita(int documento) {
  if (pendientes_.count(documento) != 0) {
    Registra(json{{"r", "quita"}, {"documento", documento}}.dump());
  }
}

// On disk first, then in memory by the same reading a start gives it; the
// file is rewritten only once the record counts in what is live.
void Buzon::Registra(const std::string& registro) {
  archivo_->Anexa(LineaBuzon(registro));
  Aplica(registro);
  // Records pile up behind the living: rewrite with the living only.
  ++escritos_;
  if (escritos_ > kEscritosMinimos && escritos_ > 4 * (pendientes_.size() + lecturas_.size())) {
    Compacta();
  }
}

// A read is kept while it has documents to acknowledge, or it was cut and
// no page has had its notice yet. The live records, and the numbers.
std::string Buzon::Vivos() const {
  std::map<int, int> porLectura;
  for (const auto& [numero, documento] : pendientes_) {
    ++porLectura[documento.lectura];
  }
  std::string texto = LineaBuzon(json{
      {"r", "numeros"},
      {"documento", siguienteDocumento_},
      {"lectura", siguienteLectura_}}.dump());
  for (const auto& [id, lectura] : lecturas_) {
    const bool conDocumentos = porLectura.count(id) != 0;
    if (!conDocumentos && (lectura.cerrada || lectura.avisada)) {
      continue;
    }
    texto += LineaBuzon(RegistroLectura(id, lectura.origen));
    for (const auto& [numero, d] : pendientes_) {
      if (d.lectura == id) {
        texto += LineaBuzon(RegistroDocumento(d));
      }
    }
    for (const std::string& cierre : lectura.cierres) {
      texto += LineaBuzon(json{{"r", "cierre"}, {"lectura", id}, {"texto", cierre}}.dump());
    }
    if (lectura.cerrada) {
      texto += LineaBuzon(RegistroDeLectura("fin", id));
    }
    if (lectura.avisada) {
      texto += LineaBuzon(RegistroDeLectura("avisada", id));
    }
  }
  return texto;
}

void Buzon::Compacta() {
  archivo_.reset();
  ReemplazaArchivo(ruta_, Vivos());
  for (auto it = lecturas_.begin(); it != lecturas_.end();) {
    const bool conDocumentos =
        std::any_of(pendientes_.begin(), pendientes_.end(),
                    [&](const auto& par) { return par.second.lectura == it->first; });
    it = !conDocumentos && (it->second.cerrada || it->second.avisada) ? lecturas_.erase(it)
                                                                      : std::next(it);
  }
  archivo_ = std::make_unique<AnexoDuradero>(ruta_);
  escritos_ = 0;
}

}  // namespace vardel::cli::puente
