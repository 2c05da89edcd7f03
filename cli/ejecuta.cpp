// vardel: a host program of the component. Its main job is reading the
// cheques in the reader's tray. This file reads the command line and runs
// the subcommand; main.cpp is the program around it.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <string>

#include "ordenes.h"
#include "puente/ventana_oculta.h"
#include "vardel/version.h"

namespace {

using vardel::cli::kSalidaCorrecta;
using vardel::cli::kSalidaUso;

constexpr const char* kCodigosDeSalida =
    "La configuración es Config.ini, junto a la biblioteca del componente.\n"
    "\n"
    "Códigos de salida:\n"
    "  0    la orden terminó bien (status: hay una lectora que responde)\n"
    "  1    un error de ejecución la terminó: número, descripción y lo que hay\n"
    "       que revisar en la salida de errores (con --json, una línea \"error\")\n"
    "  2    read, status: no hay ninguna lectora que responda, o Name no es la\n"
    "       suya (read no ha podido abrirla); no se ha alimentado ningún cheque\n"
    "  3    read: la lectora se desconectó durante la lectura; se nombra el último\n"
    "       documento entregado entero y los siguientes deben pasarse de nuevo\n"
    "  4    read: detenida (Ctrl+C, SIGTERM, salida cerrada) tras acabar el documento\n"
    "       en curso; los cheques que queden en la bandeja no se han leído\n"
    "  64   uso incorrecto (orden, opción o argumento desconocido)\n"
    "\n"
#ifdef _WIN32
    "docs/cli.md describe las líneas de --json.";
#else
    "Documentación: man vardel, y cli.md en share/doc/vardel de la instalación\n"
    "(/usr/share/doc/vardel/cli.md con el paquete).";
#endif

// The operator's words for what the parser refused.
std::string Motivo(const CLI::ParseError& error, const CLI::App& app) {
  // What the parser did not take: the chosen command's extras, else the
  // program's (where an unknown command lands).
  const auto ordenes = app.get_subcommands();
  auto sobrantes = ordenes.empty() ? app.remaining() : ordenes.front()->remaining();
  if (sobrantes.empty()) {
    sobrantes = app.remaining();
  }
  if (!sobrantes.empty()) {
    const std::string& primero = sobrantes.front();
    if (primero.rfind('-', 0) == 0) {
      return "opción no reconocida: " + primero;
    }
    return (ordenes.empty() ? "orden desconocida: " : "argumento no reconocido: ") + primero;
  }
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr && ordenes.empty()) {
    return "falta la orden";
  }
  const bool servir = !ordenes.empty() && ordenes.front()->get_name() == "serve";
  const bool sinValor = dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr;
  const bool valorMalo = dynamic_cast<const CLI::ConversionError*>(&error) != nullptr ||
                         dynamic_cast<const CLI::ValidationError*>(&error) != nullptr;
  // The parser's own words are English: they follow the operator's in
  // square brackets, as a library's do.
  const std::string original = std::string(" [") + error.what() + "]";
  if (servir && sinValor) {
    return "falta el valor de una opción: --port N, --allow-origin ORIGEN, --resend-seconds N" +
           original;
  }
  if (servir && valorMalo) {
    return "valor no válido: --port de 0 a 65535, --resend-seconds de 1 a 86400" + original;
  }
  if (sinValor) {
    return "--seconds necesita un número de segundos";
  }
  if (valorMalo) {
    return "número de segundos no válido (de 1 a 86400)";
  }
  return "uso no válido" + original;
}

}  // namespace

// The command's whole run, as main gives it.
static int Ejecuta(int argc, char** argv) {
  using namespace vardel::cli;
  Opciones opciones;

  CLI::App app("vardel: lee los cheques de la lectora y dice su estado.", "vardel");
  app.get_formatter()->label("Usage", "Uso");
  app.get_formatter()->label("OPTIONS", "OPCIONES");
  app.get_formatter()->label("SUBCOMMAND", "ORDEN");
  app.get_formatter()->label("INT", "N");
  app.get_formatter()->column_width(22);
  app.option_defaults()->group("Opciones");
  app.set_help_flag("-h,--help", "esta ayuda");
  app.set_version_flag("--version", "vardel " VARDEL_VERSION, "la versión");
  app.footer(kCodigosDeSalida);
  app.require_subcommand(1);

  const char* kJson = "salida para programas: un objeto JSON por línea";
  app.add_flag("--json", opciones.json, kJson);

  CLI::App* leer =
      app.add_subcommand("read", "lee los cheques de la bandeja: campos, imágenes y un resumen");
  CLI::App* estado =
      app.add_subcommand("status", "dice si hay una lectora que responde (si no, sale con 2)");
  CLI::App* vigilar = app.add_subcommand(
      "watch", "dice el estado de la lectora y luego cada cambio (hasta Ctrl+C o N segundos)");
  CLI::App* configurar =
      app.add_subcommand("settings", "muestra la pantalla de configuración (sin --json)");
  CLI::App* servir = app.add_subcommand(
      "serve",
      "puente web: las páginas del navegador leen cheques por WebSocket en el bucle local");
  servir->add_option("--port", opciones.puerto, "puerto (Puerto en la sección Puente; 8765)")
      ->type_name("N")
      ->check(CLI::Range(0, 65535).description(""));
  servir
      ->add_option("--allow-origin", opciones.origenes,
                   "origen permitido, esquema://host[:puerto] (se repite; Origenes en Puente)")
      ->type_name("ORIGEN")
      ->allow_extra_args(false);
  // Options are English words, as the commands; the earlier Spanish
  // spelling stays as an alias.
  servir->add_flag("--timestamps,--marcas-tiempo", opciones.marcasTiempo,
                   "diagnóstico: \"emitido_ms\" en cada evento");
  servir
      ->add_option("--resend-seconds", opciones.reenvioSegundos,
                   "segundos que se guardan los documentos sin acuse de una página (600)")
      ->type_name("N")
      ->check(CLI::Range(1, 86400).description(""));
  for (CLI::App* orden : {leer, estado, vigilar, configurar, servir}) {
    orden->group("Órdenes");
    orden->get_help_ptr()->group("Opciones");
    orden->footer("Códigos de salida: vardel --help. Líneas de --json: docs/cli.md.");
    if (orden != servir) {
      orden->add_flag("--json", opciones.json, kJson);
    }
  }
  servir->footer(
      "Sale con 0 al detenerlo (Ctrl+C, SIGTERM), con 1 si no puede escuchar en el puerto\n"
      "o crear el componente, con 64 si un ajuste no vale. Protocolo: docs/web-bridge.md.");
  // --seconds, like --json, may come before the command too; it only
  // belongs to watch.
  CLI::Option* segundosGlobal = nullptr;
  for (CLI::App* orden : {&app, vigilar}) {
    CLI::Option* opcion = orden
                              ->add_option("--seconds", opciones.segundos,
                                           "watch: termina tras N segundos (de 1 a 86400)")
                              ->type_name("N")
                              ->check(CLI::Range(1, 86400).description(""));
    if (orden == &app) {
      segundosGlobal = opcion;
    }
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
      return app.exit(error);  // --help or --version
    }
    // Help for the command asked for, if one was given.
    const auto ordenes = app.get_subcommands();
    const std::string ayuda =
        ordenes.empty() ? "vardel --help" : "vardel " + ordenes.front()->get_name() + " --help";
    std::fprintf(stderr, "vardel: %s (%s muestra el uso)\n", Motivo(error, app).c_str(),
                 ayuda.c_str());
    return kSalidaUso;
  }

  if (segundosGlobal->count() > 0 && !vigilar->parsed()) {
    std::fprintf(stderr, "vardel: --seconds solo vale para watch (vardel --help muestra el uso)\n");
    return kSalidaUso;
  }
  if (leer->parsed()) {
    return OrdenLeer(opciones);
  }
  if (estado->parsed()) {
    return OrdenEstado(opciones);
  }
  if (vigilar->parsed()) {
    return OrdenVigilar(opciones);
  }
  if (servir->parsed()) {
    if (opciones.json) {
      // Its log is for people; its JSON goes to the pages.
      std::fprintf(stderr,
                   "vardel: serve no tiene salida --json (vardel serve --help muestra el uso)\n");
      return kSalidaUso;
    }
    // On Windows, the session's end and WM_CLOSE stop it as SIGTERM does.
    [[maybe_unused]] const puente::VentanaOculta ventana;
    return OrdenServir(opciones);
  }
  return OrdenConfigurar(opciones);
}

// An exception no command turned into an exit code (a fault of the command
// itself, or memory) ends the run with its message and 1, not an abort.
int vardel::cli::EjecutaSinExcepciones(int argc, char** argv) {
  try {
    return Ejecuta(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vardel: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "vardel: error desconocido\n");
  }
  return vardel::cli::kSalidaError;
}
