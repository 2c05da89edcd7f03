#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vardel/comunica.h"

namespace vardel::prueba {

// A host that notes the reader's comings and goings and ignores the rest.
class OyenteAnotador : public OyenteComunica {
 public:
  void LectoraDatos(const std::shared_ptr<Collection>&) override {}
  void LectoraError(std::int32_t, const std::string&) override {}
  void LectoraActiva(Boolean OnOff) override { activas.push_back(OnOff); }
  std::vector<Boolean> activas;
};

}  // namespace vardel::prueba
