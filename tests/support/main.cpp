#include <gmock/gmock.h>

#include "support/entorno_prueba.h"

int main(int argc, char** argv) {
  testing::InitGoogleMock(&argc, argv);
  vardel::prueba::AislaCarpetaEstado();
  return RUN_ALL_TESTS();
}
