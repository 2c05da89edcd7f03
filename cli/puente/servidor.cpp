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
// A connection has this long to send a whole request: one that holds a
// place without asking keeps no page out for long.
constexpr auto kEsperaPeticion = std::chrono::seconds(5);
// A page's outgoing queue: past either bound the page is not reading what
// it is sent, and it is closed; its documents stay in its session and the
// outbox for when it comes back.
constexpr std::size_t kMaxCola = 256;
constexpr std::size_t kMaxBytesCola = std::size_t{4} << 20;
// How long a stopping bridge gives the pages' close frames.
constexpr auto kEsperaCierre = std::chrono::seconds(1);
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

  Impl(const AjustesPuente& a, RegistroImagenes& i, std::function<void(Peticion)> alComp)
      : ajustes(a), imagenes(i), centralita(ajustes, *this, std::move(alComp), i), reloj(ioc) {}

  void Envia(std::uint64_t conexion, std::string texto) override;
  void Cierra(std::uint64_t conexion) override;
  void CierraConMotivo(std::uint64_t conexion, std::uint16_t codigo,
                       const std::string& motivo) override;
  // At the limit, the connection that has waited longest without a whole
  // request gives its place to the newcomer; false when every place is a
  // page's WebSocket or a request being answered.
  bool DesalojaOciosa();

  void Acepta(tcp::acceptor& aceptador);
  void CadaSegundo();
  // Stops the thread once every page's close frame is written, or at
  // `limite`.
  void EsperaCierres(std::chrono::steady_clock::time_point limite);

  // One place in the connection limit, given back when its holder goes.
  // The count is shared with every place given out, so the last handlers
  // the context destroys give their places back safely whatever the order
  // in which this object's members go.
  std::shared_ptr<void> Plaza() {
    ++*abiertas;
    return std::shared_ptr<void>(nullptr, [cuenta = abiertas](void*) { --*cuenta; });
  }

  std::shared_ptr<std::size_t> abiertas = std::make_shared<std::size_t>(0);
  net::io_context ioc{1};
  AjustesPuente ajustes;
  RegistroImagenes& imagenes;
  Centralita centralita;
  RegistroRechazos rechazos;
  std::vector<std::unique_ptr<tcp::acceptor>> aceptadores;
  std::vector<std::string> escuchadas;  // the WebSocket URLs listened on
  std::map<std::uint64_t, std::weak_ptr<SesionWs>> websockets;
  // HTTP connections waiting for a request, oldest first.
  std::map<std::uint64_t, std::weak_ptr<SesionHttp>> ociosas;
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

  void Acepta(PeticionHttp peticion, std::string token, std::string origen) {
    // Kept while the handshake is answered.
    peticion_ = std::move(peticion);
    tokenPedido_ = std::move(token);
    origen_ = std::move(origen);
    beast::get_lowest_layer(ws_).expires_never();
    websocket::stream_base::timeout plazos =
        websocket::stream_base::timeout::suggested(beast::role_type::server);
    plazos.handshake_timeout = kEsperaPeticion;
    ws_.set_option(plazos);
    ws_.set_option(websocket::stream_base::decorator(
        [](websocket::response_type& r) { r.set(http::field::server, kServidor); }));
    ws_.read_message_max(impl_.ajustes.maxMensaje);
    ws_.async_accept(peticion_,
                     [yo = shared_from_this()](beast::error_code error) { yo->Aceptada(error); });
  }

  void Envia(std::string texto) {
    if (cierre_ || terminada_) {
      return;
    }
    if (cola_.size() >= kMaxCola || bytesCola_ + texto.size() > kMaxBytesCola) {
      Registra("conexión " + par_ + " cerrada: la página no lee lo que se le envía (" +
               std::to_string(cola_.size()) + " mensajes, " + std::to_string(bytesCola_) +
               " bytes sin leer); lo pendiente se le enviará al volver");
      Cierra();
      return;
    }
    bytesCola_ += texto.size();
    cola_.push_back(std::move(texto));
    if (cola_.size() == 1) {
      Escribe();
    }
  }

  // A close frame with its reason once the queue is written.
  void CierraConMotivo(std::uint16_t codigo, const std::string& motivo) {
    if (cierre_ || terminada_) {
      return;
    }
    cierre_ = websocket::close_reason(static_cast<websocket::close_code>(codigo), motivo);
    if (cola_.empty()) {
      EnviaCierre();
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
      Registra("conexión " + par_ + " rechazada: el saludo WebSocket falló [" + error.message() +
               "]");
      return;
    }
    impl_.websockets[id_] = weak_from_this();
    impl_.centralita.Abre(id_, tokenPedido_, origen_);
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
      bytesCola_ = 0;
      Cierra();
      return;
    }
    bytesCola_ -= cola_.front().size();
    cola_.pop_front();
    if (!cola_.empty()) {
      Escribe();
    } else if (cierre_) {
      EnviaCierre();
    }
  }

  void EnviaCierre() {
    ws_.async_close(*cierre_, [yo = shared_from_this()](beast::error_code) {});
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
  std::string origen_;
  beast::flat_buffer buffer_;
  // A deque: the message being written stays where it is while others
  // are queued behind it.
  std::deque<std::string> cola_;
  std::size_t bytesCola_ = 0;
  std::optional<websocket::close_reason> cierre_;
  bool terminada_ = false;
};

// One HTTP connection: the health answer, the images, the CORS preflight,
// and the checks of a WebSocket handshake before it is handed on.
class Servidor::Impl::SesionHttp final : public std::enable_shared_from_this<SesionHttp> {
 public:
  SesionHttp(Impl& impl, tcp::socket&& socket, std::shared_ptr<void> plaza, std::string par)
      : impl_(impl),
        flujo_(std::move(socket)),
        plaza_(std::move(plaza)),
        par_(std::move(par)),
        id_(impl.siguiente++) {}

  void Lee() {
    impl_.ociosas[id_] = weak_from_this();
    analizador_.emplace();
    analizador_->header_limit(kMaxCabeceras);
    analizador_->body_limit(kMaxCuerpo);
    flujo_.expires_after(kEsperaPeticion);
    http::async_read(
        flujo_, buffer_, *analizador_,
        [yo = shared_from_this()](beast::error_code error, std::size_t) { yo->Leida(error); });
  }

  // Gives its place to a newcomer: the read waiting for a request ends.
  void Desaloja() {
    impl_.rechazos.Registra("conexión " + par_ +
                            " cerrada para dar paso a otra: no había enviado una petición entera");
    beast::error_code error;
    flujo_.socket().close(error);
  }

 private:
  void Leida(beast::error_code error) {
    impl_.ociosas.erase(id_);
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
        if (!impl_.centralita.AdmiteSesion(token, origen_)) {
          Rechaza(503,
                  "demasiadas sesiones: las " + std::to_string(impl_.ajustes.maxSesiones) +
                      " tienen una lectura, una página o documentos por entregar",
                  "", true);
          return;
        }
        std::make_shared<SesionWs>(impl_, std::move(flujo_), std::move(plaza_), par_)
            ->Acepta(std::move(peticion), token, origen_);
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
      impl_.rechazos.Registra("petición de " + par_ + " rechazada (" + std::to_string(estado) +
                              "): " + motivo);
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
  std::uint64_t id_;
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

void Servidor::Impl::CierraConMotivo(std::uint64_t conexion, std::uint16_t codigo,
                                     const std::string& motivo) {
  if (const auto it = websockets.find(conexion); it != websockets.end()) {
    if (auto ws = it->second.lock()) {
      ws->CierraConMotivo(codigo, motivo);
    }
  }
}

bool Servidor::Impl::DesalojaOciosa() {
  for (auto it = ociosas.begin(); it != ociosas.end(); it = ociosas.erase(it)) {
    if (auto http = it->second.lock()) {
      ociosas.erase(it);
      http->Desaloja();
      return true;
    }
  }
  return false;
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
      if (*abiertas >= ajustes.maxConexiones && !DesalojaOciosa()) {
        rechazos.Registra("conexión " + par + " rechazada: ya hay " + std::to_string(*abiertas) +
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

void Servidor::Impl::EsperaCierres(std::chrono::steady_clock::time_point limite) {
  if (websockets.empty() || std::chrono::steady_clock::now() >= limite) {
    ioc.stop();
    return;
  }
  reloj.expires_after(std::chrono::milliseconds(20));
  reloj.async_wait([this, limite](beast::error_code) { EsperaCierres(limite); });
}

Servidor::Servidor(const AjustesPuente& ajustes, RegistroImagenes& imagenes,
                   std::function<void(Peticion)> alComponente)
    : impl_(std::make_unique<Impl>(ajustes, imagenes, std::move(alComponente))) {}

Servidor::~Servidor() {
  Para(nullptr);
}

namespace {

// The reason a listener could not be had, in the operator's words where
// the system's are the usual two.
std::string MotivoEscucha(const beast::error_code& error) {
  if (error == net::error::address_in_use) {
    return "otro programa ya escucha en ese puerto";
  }
  if (error == net::error::access_denied) {
    return "sin permiso para ese puerto";
  }
  return "el sistema no lo permite [" + error.message() + "]";
}

// No IPv6 on this machine at all: nothing can listen on ::1, so no other
// program can either.
bool SinIpv6(const beast::error_code& error) {
  return error == net::error::address_family_not_supported ||
         error == beast::errc::make_error_code(beast::errc::address_not_available);
}

// One listener on `direccion`; the error when it cannot be had.
beast::error_code AbreEscucha(net::io_context& ioc, const net::ip::address& direccion,
                              std::uint16_t puerto, std::unique_ptr<tcp::acceptor>& salida) {
  auto aceptador = std::make_unique<tcp::acceptor>(ioc);
  beast::error_code error;
  const tcp::endpoint extremo(direccion, puerto);
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
  if (!error) {
    salida = std::move(aceptador);
  }
  return error;
}

}  // namespace

std::uint16_t Servidor::Escucha() {
  Impl& impl = *impl_;
  const net::ip::address v4 = net::ip::make_address("127.0.0.1");
  const net::ip::address v6 = net::ip::make_address("::1");
  const std::string salida =
      "; elija otro puerto con --port o con Puerto en la sección Puente de Config.ini";
  // Any free port (tests): the one 127.0.0.1 got may be taken on ::1, so
  // a few tries.
  for (int intento = 1;; ++intento) {
    std::unique_ptr<tcp::acceptor> a4;
    std::unique_ptr<tcp::acceptor> a6;
    beast::error_code error = AbreEscucha(impl.ioc, v4, impl.ajustes.puerto, a4);
    if (error) {
      throw std::runtime_error("no se puede escuchar en 127.0.0.1 puerto " +
                               std::to_string(impl.ajustes.puerto) + ": " + MotivoEscucha(error) +
                               salida);
    }
    impl.puerto = a4->local_endpoint().port();
    error = AbreEscucha(impl.ioc, v6, impl.puerto, a6);
    if (error && !SinIpv6(error)) {
      if (impl.ajustes.puerto == 0 && intento < 5) {
        continue;
      }
      throw std::runtime_error("no se puede escuchar en [::1] puerto " +
                               std::to_string(impl.puerto) + ": " + MotivoEscucha(error) +
                               " (una página que use localhost podría llegar a ese programa)" +
                               salida);
    }
    const std::string ruta = ":" + std::to_string(impl.puerto) + "/v1/lectora";
    impl.escuchadas = {"ws://127.0.0.1" + ruta};
    impl.aceptadores.push_back(std::move(a4));
    if (a6) {
      impl.escuchadas.push_back("ws://[::1]" + ruta);
      impl.aceptadores.push_back(std::move(a6));
    }
    return impl.puerto;
  }
}

void Servidor::Arranca(Buzon& buzon) {
  Impl& impl = *impl_;
  impl.centralita.Recupera(buzon);
  for (auto& aceptador : impl.aceptadores) {
    impl.Acepta(*aceptador);
  }
  impl.CadaSegundo();
  impl.hilo = std::thread([&impl] { impl.ioc.run(); });
}

std::string Servidor::Direcciones() const {
  std::string texto;
  for (const std::string& url : impl_->escuchadas) {
    texto += (texto.empty() ? "" : " y ") + url;
  }
  if (impl_->escuchadas.size() == 1) {
    texto += " (esta máquina no tiene IPv6: nada puede escuchar en [::1])";
  }
  return texto;
}

void Servidor::EnRed(std::function<void(Centralita&)> tarea) {
  net::post(impl_->ioc, [this, tarea = std::move(tarea)] { tarea(impl_->centralita); });
}

void Servidor::Para(const ordered_json& detenida) {
  Impl& impl = *impl_;
  if (!impl.hilo.joinable()) {
    return;
  }
  net::post(impl.ioc, [&impl, detenida] {
    for (auto& aceptador : impl.aceptadores) {
      beast::error_code error;
      aceptador->close(error);
    }
    impl.centralita.Termina(detenida);
    impl.EsperaCierres(std::chrono::steady_clock::now() + kEsperaCierre);
  });
  impl.hilo.join();
}

}  // namespace vardel::cli::puente
