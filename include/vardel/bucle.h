#pragma once

#include <chrono>

#include "vardel/export.h"

namespace vardel::platform {
inline namespace v1 {

// Delivers what is due on this thread's message loop for up to `espera`,
// then returns. The component's timers (the presence watch) tick only while
// the thread that created the Comunica pumps its loop: a host with no loop
// of its own calls this regularly, as a Windows host's message loop would.
VARDEL_API void BombeaMensajes(std::chrono::milliseconds espera);

}  // namespace v1
}  // namespace vardel::platform
