#include "vardel/version.h"

namespace vardel {

const char* VersionBiblioteca() noexcept {
  return VARDEL_VERSION;
}

}  // namespace vardel
