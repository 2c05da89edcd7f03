#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "platform/bucle.h"
#include "platform/posix/terminal.h"

namespace vardel::platform {

std::optional<std::string> LeeLineaBombeando() {
  std::string linea;
  for (;;) {
    pollfd entrada{STDIN_FILENO, POLLIN, 0};
    const int listo = ::poll(&entrada, 1, 50);
    if (listo <= 0) {
      BombeaMensajes(std::chrono::milliseconds(0));
      continue;
    }
    char c = 0;
    const ssize_t leidos = ::read(STDIN_FILENO, &c, 1);
    if (leidos <= 0) {
      return linea.empty() ? std::nullopt : std::optional<std::string>(linea);
    }
    if (c == '\n') {
      if (!linea.empty() && linea.back() == '\r') {
        linea.pop_back();
      }
      return linea;
    }
    linea += c;
  }
}

}  // namespace vardel::platform
