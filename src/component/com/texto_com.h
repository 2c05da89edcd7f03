#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

#include "platform/win32/utf16.h"

namespace vardel::com {

// Text is UTF-8 inside the component and UTF-16 (BSTR) for the host.
using platform::AUtf16;
using platform::AUtf8;

// A new BSTR the caller owns; std::bad_alloc when there is no memory.
BSTR ABstr(std::string_view utf8);
// A null BSTR is the empty text.
std::string DeBstr(BSTR texto);

}  // namespace vardel::com
