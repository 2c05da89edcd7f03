#include "vardel/version.h"

namespace vardel {
inline namespace v1 {

const char* VersionBiblioteca() noexcept {
  return VARDEL_VERSION;
}

}  // namespace v1
}  // namespace vardel
