#include "servidor.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/v6_only.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../salida.h"
#include "registro.h"
#include "seguridad.h"
#include "vardel/version.h"

namespace vardel::cli::puente {

namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;
using PeticionHttp = http::request<http::string_body>;
using RespuestaHttp = http::response<http::string_body>;

constexpr const char* kRutaLectora = "/v1/lectora";
constexpr const char* kRutaEstado = "/v1/estado";
constexpr auto kEsperaPeticion = std::chrono::seconds(30);
constexpr std::uint32_t kMaxCabeceras = 8 * 1024;
constexpr std::uint64_t kMaxCuerpo = 1024;

const std::string kServidor = std::string("vardel/") + VARDEL_VERSION;

std::string Texto(beast::string_view vista) {
  return std::string(vista.data(), vista.size());
}

}  // namespace

struct Servidor::Impl final : Conexiones {
  class SesionHttp;
  class SesionWs;

  Impl(const AjustesPuente& a, const RegistroImagenes& i, std::function<void(Peticion)> alComp)
      : ajustes(a), imagenes(i), centralita(ajustes, *this, std::move(alComp)), reloj(ioc) {}

  void Envia(std::uint64_t conexion, std::string texto) override;
  void Cierra(std::uint64_t conexion) override;

  void Acepta(tcp::acceptor& aceptador);
  void CadaSegundo();

  // One place in the connection limit, given back when its holder goes.
  std::shared_ptr<void> Plaza() {
    ++abiertas;
    return std::shared_ptr<void>(nullptr, [this](void*) { --abiertas; });
  }

  // Before the context: the last handlers it destroys give their places
  // back here.
  std::size_t abiertas = 0;
  net::io_context ioc{1};
  AjustesPuente ajustes;
  const RegistroImagenes& imagenes;
  Centralita centralita;
  std::vector<std::unique_ptr<tcp::acceptor>> aceptadores;
  std::map<std::uint64_t, std::weak_ptr<SesionWs>> websockets;
  std::uint64_t siguiente = 1;
  std::uint16_t puerto = 0;
  net::steady_timer reloj;
  std::thread hilo;
};

// One page's WebSocket: reads its messages one at a time and writes what
// the switchboard sends, in order.
class Servidor::Impl::SesionWs final : public std::enable_shared_from_this<SesionWs> {
 public:
  SesionWs(Impl& impl, beast::tcp_stream&& flujo, std::shared_ptr<void> plaza, std::string par)
      : impl_(impl),
        ws_(std::move(flujo)),
        plaza_(std::move(plaza)),
        par_(std::move(par)),
        id_(impl.siguiente++) {}

  void Acepta(PeticionHttp peticion, std::string token) {
    // Kept while the handshake is answered.
    peticion_ = std::move(peticion);
    tokenPedido_ = std::move(token);
    beast::get_lowest_layer(ws_).expires_never();
    ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
    ws_.set_option(websocket::stream_base::decorator(
        [](websocket::response_type& r) { r.set(http::field::server, kServidor); }));
    ws_.read_message_max(impl_.ajustes.maxMensaje);
    ws_.async_accept(peticion_,
                     [yo = shared_from_this()](beast::error_code error) { yo->Aceptada(error); });
  }

  void Envia(std::string texto) {
    cola_.push_back(std::move(texto));
    if (cola_.size() == 1) {
      Escribe();
    }
  }

  void Cierra() {
    beast::error_code error;
    beast::get_lowest_layer(ws_).socket().shutdown(tcp::socket::shutdown_both, error);
    beast::get_lowest_layer(ws_).socket().close(error);
  }

 private:
  void Aceptada(beast::error_code error) {
    if (error) {
      Registra("conexión " + par_ + " rechazada: el saludo WebSocket falló (" + error.message() +
               ")");
      return;
    }
    impl_.websockets[id_] = weak_from_this();
    impl_.centralita.Abre(id_, tokenPedido_);
    Lee();
  }

  void Lee() {
    ws_.async_read(buffer_, [yo = shared_from_this()](beast::error_code error, std::size_t) {
      yo->Leido(error);
    });
  }

  void Leido(beast::error_code error) {
    if (error) {
      if (error == websocket::error::message_too_big) {
        Registra("conexión " + par_ + " cerrada: un mensaje pasa de " +
                 std::to_string(impl_.ajustes.maxMensaje) + " bytes");
      }
      Fin();
      return;
    }
    std::string texto = beast::buffers_to_string(buffer_.data());
    buffer_.consume(buffer_.size());
    impl_.centralita.Mensaje(id_, texto);
    Lee();
  }

  void Escribe() {
    ws_.text(true);
    ws_.async_write(
        net::buffer(cola_.front()),
        [yo = shared_from_this()](beast::error_code error, std::size_t) { yo->Escrito(error); });
  }

  void Escrito(beast::error_code error) {
    if (error) {
      cola_.clear();
      Cierra();
      return;
    }
    cola_.pop_front();
    if (!cola_.empty()) {
      Escribe();
    }
  }

  void Fin() {
    if (!terminada_) {
      terminada_ = true;
      impl_.websockets.erase(id_);
      impl_.centralita.Cierra(id_);
    }
  }

  Impl& impl_;
  websocket::stream<beast::tcp_stream> ws_;
  std::shared_ptr<void> plaza_;
  std::string par_;
  std::uint64_t id_;
  PeticionHttp peticion_;
  std::string tokenPedido_;
  beast::flat_buffer buffer_;
  // A deque: the message being written stays where it is while others
  // are queued behind it.
  std::deque<std::string> cola_;
  bool terminada_ = false;
};

// One HTTP connection: the health answer, the images, the CORS preflight,
// and the checks of a WebSocket handshake before it is handed on.
class Servidor::Impl::SesionHttp final : public std::enable_shared_from_this<SesionHttp> {
 public:
  SesionHttp(Impl& impl, tcp::socket&& socket, std::shared_ptr<void> plaza, std::string par)
      : impl_(impl), flujo_(std::move(socket)), plaza_(std::move(plaza)), par_(std::move(par)) {}

  void Lee() {
    analizador_.emplace();
    analizador_->header_limit(kMaxCabeceras);
    analizador_->body_limit(kMaxCuerpo);
    flujo_.expires_after(kEsperaPeticion);
    http::async_read(
        flujo_, buffer_, *analizador_,
        [yo = shared_from_this()](beast::error_code error, std::size_t) { yo->Leida(error); });
  }

 private:
  void Leida(beast::error_code error) {
    if (error == http::error::end_of_stream) {
      Cierra();
      return;
    }
    if (error == http::error::header_limit || error == http::error::body_limit) {
      Rechaza(413, "petición demasiado grande", "");
      return;
    }
    if (error) {
      return;
    }
    Atiende(analizador_->release());
  }

  void Atiende(PeticionHttp peticion) {
    const std::string host = Texto(peticion[http::field::host]);
    origen_ = Texto(peticion[http::field::origin]);
    const std::string destino = Texto(peticion.target());
    const auto interrogacion = destino.find('?');
    const std::string ruta = destino.substr(0, interrogacion);
    const std::string consulta =
        interrogacion == std::string::npos ? "" : destino.substr(interrogacion + 1);

    if (!HostDeBucle(host, impl_.puerto)) {
      Rechaza(421, "Host \"" + host + "\" no es un nombre del bucle local (¿DNS rebinding?)", "");
      return;
    }
    if (!origen_.empty() && !OrigenPermitido(origen_, impl_.ajustes.origenes)) {
      Rechaza(403, "origen no permitido: " + origen_, "");
      return;
    }
    if (websocket::is_upgrade(peticion)) {
      if (ruta != kRutaLectora) {
        Rechaza(404, "WebSocket en una ruta desconocida: " + ruta, "");
      } else if (origen_.empty()) {
        Rechaza(403, "WebSocket sin Origin", "");
      } else {
        const std::string token = ValorConsulta(consulta, "token");
        std::make_shared<SesionWs>(impl_, std::move(flujo_), std::move(plaza_), par_)
            ->Acepta(std::move(peticion), token);
      }
      return;
    }
    PeticionCors cors{origen_, false, false};
    if (peticion.method() == http::verb::options) {
      cors.preflight = true;
      cors.redPrivada = beast::iequals(peticion["Access-Control-Request-Private-Network"], "true");
      if (origen_.empty()) {
        Rechaza(403, "petición previa sin Origin", "");
        return;
      }
      Responde(Nueva(http::status::no_content, peticion.version(), cors), peticion.keep_alive());
      return;
    }
    if (peticion.method() != http::verb::get) {
      Rechaza(405, "método no admitido: " + Texto(peticion.method_string()), "");
      return;
    }
    if (ruta == kRutaEstado) {
      RespuestaHttp r = Nueva(http::status::ok, peticion.version(), cors);
      r.set(http::field::content_type, "application/json");
      r.body() = TextoLinea(impl_.centralita.Estado());
      Responde(std::move(r), peticion.keep_alive());
      return;
    }
    if (ruta.rfind(kPrefijoImagenes, 0) == 0) {
      Imagen(peticion, ruta.substr(std::string(kPrefijoImagenes).size()), cors);
      return;
    }
    Rechaza(404, "", "");
  }

  void Imagen(const PeticionHttp& peticion, const std::string& codificado,
              const PeticionCors& cors) {
    const std::string token = TokenPortador(Texto(peticion[http::field::authorization]));
    if (token.empty() || !impl_.centralita.TokenVivo(token)) {
      Rechaza(401,
              token.empty() ? "imagen pedida sin token (Authorization: Bearer)"
                            : "imagen pedida con un token que no es de ninguna sesión",
              "", true);
      return;
    }
    const std::optional<std::string> nombre = DescodificaPorcentaje(codificado);
    if (!nombre || !NombreImagenSeguro(*nombre)) {
      Rechaza(400, "nombre de imagen no válido (solo un nombre de archivo): " + codificado, "",
              true);
      return;
    }
    const std::optional<std::string> ruta = impl_.imagenes.Ruta(*nombre, token);
    std::string bytes;
    bool leida = false;
    if (ruta) {
      std::ifstream archivo(std::filesystem::path(std::u8string(ruta->begin(), ruta->end())),
                            std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(archivo), std::istreambuf_iterator<char>());
      leida = archivo.good() || archivo.eof();
    }
    if (!leida) {
      Rechaza(404, "imagen que esta sesión no tiene: " + *nombre, "", true);
      return;
    }
    RespuestaHttp r = Nueva(http::status::ok, peticion.version(), cors);
    r.set(http::field::content_type, TipoContenido(*nombre));
    r.body() = std::move(bytes);
    Responde(std::move(r), peticion.keep_alive());
  }

  RespuestaHttp Nueva(http::status estado, unsigned version, const PeticionCors& cors) {
    RespuestaHttp r{estado, version};
    r.set(http::field::server, kServidor);
    r.set(http::field::cache_control, "no-store");
    r.set("X-Content-Type-Options", "nosniff");
    r.set(http::field::vary, "Origin");
    for (const auto& [nombre, valor] : CabecerasCors(cors, impl_.ajustes.origenes)) {
      r.set(nombre, valor);
    }
    return r;
  }

  // A refusal: logged with its reason (when it is one of the checks), and
  // the connection closed after the answer. `conCors`: the origin was
  // allowed, so the page may see why.
  void Rechaza(unsigned estado, const std::string& motivo, const std::string& cuerpo,
               bool conCors = false) {
    if (!motivo.empty()) {
      Registra("petición de " + par_ + " rechazada (" + std::to_string(estado) + "): " + motivo);
    }
    PeticionCors cors{conCors ? origen_ : "", false, false};
    RespuestaHttp r = Nueva(static_cast<http::status>(estado), 11, cors);
    r.set(http::field::content_type, "text/plain; charset=utf-8");
    r.body() = cuerpo.empty() ? motivo : cuerpo;
    if (estado == 401) {
      r.set(http::field::www_authenticate, "Bearer");
    }
    Responde(std::move(r), false);
  }

  void Responde(RespuestaHttp&& r, bool seguir) {
    r.keep_alive(seguir);
    r.prepare_payload();
    auto respuesta = std::make_shared<RespuestaHttp>(std::move(r));
    http::async_write(flujo_, *respuesta,
                      [yo = shared_from_this(), respuesta](beast::error_code error, std::size_t) {
                        if (error || !respuesta->keep_alive()) {
                          yo->Cierra();
                        } else {
                          yo->Lee();
                        }
                      });
  }

  void Cierra() {
    beast::error_code error;
    flujo_.socket().shutdown(tcp::socket::shutdown_send, error);
  }

  Impl& impl_;
  beast::tcp_stream flujo_;
  std::shared_ptr<void> plaza_;
  std::string par_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> analizador_;
  std::string origen_;
};

void Servidor::Impl::Envia(std::uint64_t conexion, std::string texto) {
  if (const auto it = websockets.find(conexion); it != websockets.end()) {
    if (auto ws = it->second.lock()) {
      ws->Envia(std::move(texto));
    }
  }
}

void Servidor::Impl::Cierra(std::uint64_t conexion) {
  if (const auto it = websockets.find(conexion); it != websockets.end()) {
    if (auto ws = it->second.lock()) {
      ws->Cierra();
    }
  }
}

void Servidor::Impl::Acepta(tcp::acceptor& aceptador) {
  aceptador.async_accept([this, &aceptador](beast::error_code error, tcp::socket socket) {
    if (error == net::error::operation_aborted) {
      return;
    }
    if (!error) {
      beast::error_code e;
      const tcp::endpoint remoto = socket.remote_endpoint(e);
      std::string par = remoto.address().to_string() + ":" + std::to_string(remoto.port());
      if (abiertas >= ajustes.maxConexiones) {
        Registra("conexión " + par + " rechazada: ya hay " + std::to_string(abiertas) +
                 " conexiones abiertas (el límite)");
        socket.close(e);
      } else {
        std::make_shared<SesionHttp>(*this, std::move(socket), Plaza(), std::move(par))->Lee();
      }
    }
    Acepta(aceptador);
  });
}

void Servidor::Impl::CadaSegundo() {
  reloj.expires_after(std::chrono::seconds(1));
  reloj.async_wait([this](beast::error_code error) {
    if (!error) {
      centralita.Caduca(RelojPuente::now());
      CadaSegundo();
    }
  });
}

Servidor::Servidor(const AjustesPuente& ajustes, const RegistroImagenes& imagenes,
                   std::function<void(Peticion)> alComponente)
    : impl_(std::make_unique<Impl>(ajustes, imagenes, std::move(alComponente))) {}

Servidor::~Servidor() {
  Para();
}

std::uint16_t Servidor::Arranca() {
  Impl& impl = *impl_;
  const net::ip::address direcciones[] = {net::ip::make_address("127.0.0.1"),
                                          net::ip::make_address("::1")};
  impl.puerto = impl.ajustes.puerto;
  for (const net::ip::address& direccion : direcciones) {
    auto aceptador = std::make_unique<tcp::acceptor>(impl.ioc);
    beast::error_code error;
    const tcp::endpoint extremo(direccion, impl.puerto);
    aceptador->open(extremo.protocol(), error);
    if (!error && direccion.is_v6()) {
      aceptador->set_option(net::ip::v6_only(true), error);
    }
#ifndef _WIN32
    // Lets a restarted bridge listen while the last one's connections
    // linger; on Windows the same option would let another program take
    // the port, so it stays off there.
    if (!error) {
      aceptador->set_option(net::socket_base::reuse_address(true), error);
    }
#endif
    if (!error) {
      aceptador->bind(extremo, error);
    }
    if (!error) {
      aceptador->listen(net::socket_base::max_listen_connections, error);
    }
    if (error) {
      const std::string motivo = "no se puede escuchar en " + direccion.to_string() + " puerto " +
                                 std::to_string(impl.puerto) + ": " + error.message();
      if (direccion.is_v4()) {
        throw std::runtime_error(motivo);
      }
      Registra(motivo + " (solo se escucha en 127.0.0.1)");
      continue;
    }
    impl.puerto = aceptador->local_endpoint().port();
    impl.aceptadores.push_back(std::move(aceptador));
  }
  for (auto& aceptador : impl.aceptadores) {
    impl.Acepta(*aceptador);
  }
  impl.CadaSegundo();
  impl.hilo = std::thread([&impl] { impl.ioc.run(); });
  return impl.puerto;
}

void Servidor::EnRed(std::function<void(Centralita&)> tarea) {
  net::post(impl_->ioc, [this, tarea = std::move(tarea)] { tarea(impl_->centralita); });
}

void Servidor::Para() {
  Impl& impl = *impl_;
  if (!impl.hilo.joinable()) {
    return;
  }
  net::post(impl.ioc, [&impl] {
    impl.centralita.Termina();
    impl.ioc.stop();
  });
  impl.hilo.join();
}

}  // namespace vardel::cli::puente
