#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

namespace vardel::com {

// Text is UTF-8 inside the component and UTF-16 (BSTR) for the host.
std::wstring AUtf16(std::string_view utf8);
std::string AUtf8(std::wstring_view utf16);

// A new BSTR the caller owns; std::bad_alloc when there is no memory.
BSTR ABstr(std::string_view utf8);
// A null BSTR is the empty text.
std::string DeBstr(BSTR texto);

}  // namespace vardel::com
