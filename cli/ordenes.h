#pragma once

#include <string>
#include <vector>

// The vardel command's subcommands. Each returns the process's exit code.
namespace vardel::cli {

struct Opciones {
  bool json = false;
  int segundos = 0;  // watch: 0 runs until interrupted
  // serve
  int puerto = -1;  // -1: Config.ini's or the default
  std::vector<std::string> origenes;
  bool marcasTiempo = false;
  int reenvioSegundos = 0;  // 0: the default resend window
};

int OrdenLeer(const Opciones& opciones);
int OrdenEstado(const Opciones& opciones);
int OrdenVigilar(const Opciones& opciones);
int OrdenConfigurar(const Opciones& opciones);
int OrdenServir(const Opciones& opciones);

// The command's whole run from its arguments: the subcommand's exit code,
// or kSalidaError with the message of an exception none of them caught.
int EjecutaSinExcepciones(int argc, char** argv);

// Exit codes.
inline constexpr int kSalidaCorrecta = 0;
inline constexpr int kSalidaUso = 64;
inline constexpr int kSalidaError = 1;  // a run-time error ended the operation
// read, status: no reader connected and answering; nothing was fed.
inline constexpr int kSalidaSinLectora = 2;
// read: the reader was gone when the read ended; later cheques were not read.
inline constexpr int kSalidaLectoraPerdida = 3;
// read: stopped on request (Ctrl+C, SIGTERM, closed output) after the
// document in flight; cheques left in the tray were not fed.
inline constexpr int kSalidaDetenida = 4;

}  // namespace vardel::cli
