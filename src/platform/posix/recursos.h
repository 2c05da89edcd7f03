#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <string_view>

#include "core/recurso.h"

namespace vardel::platform {

namespace detalle {

struct TipoDescriptor {
  using Valor = int;
  static constexpr int Nulo() { return -1; }
  static void Cierra(int descriptor) { ::close(descriptor); }
};

struct TipoDirectorio {
  using Valor = DIR*;
  static constexpr DIR* Nulo() { return nullptr; }
  static void Cierra(DIR* lista) { ::closedir(lista); }
};

struct TipoFlujo {
  using Valor = std::FILE*;
  static constexpr std::FILE* Nulo() { return nullptr; }
  static void Cierra(std::FILE* flujo) { std::fclose(flujo); }
};

}  // namespace detalle

// A file descriptor of open(2) (-1 holds nothing).
using DescriptorAbierto = Recurso<detalle::TipoDescriptor>;
// A folder listing of opendir(3).
using DirectorioAbierto = Recurso<detalle::TipoDirectorio>;
// A stream of fopen(3).
using FlujoAbierto = Recurso<detalle::TipoFlujo>;

// Writes every byte to the descriptor, going on after a short write or an
// interrupted call; false on an error (errno says which).
bool EscribeTodo(int descriptor, std::string_view datos);

}  // namespace vardel::platform
