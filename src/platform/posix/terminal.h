#pragma once

#include <optional>
#include <string>

namespace vardel::platform {

// Reads one line from standard input while the thread's message loop keeps
// running, so timer ticks go on during the wait. nullopt at end of input.
std::optional<std::string> LeeLineaBombeando();

}  // namespace vardel::platform
