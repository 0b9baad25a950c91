// UTF-16 helpers of the simulated Windows. The host build has 2-byte wchar_t,
// but the C library's wide functions assume 4 bytes, so strings are handled as
// std::u16string and never through wcslen and friends.
#pragma once

#include <string>

#include "sim/win32_api.h"

namespace sim::detail {

// Copies a terminated wide string; a null pointer gives an empty string.
std::u16string FromWide(LPCWSTR text);

// Writes text and its terminator to destination (which must have room).
void CopyToWide(const std::u16string& text, WCHAR* destination);

std::string ToUtf8(const std::u16string& text);

// ASCII case folding, the part of the platform's case-insensitive comparison
// that registry paths and module names in this program need.
std::u16string FoldCase(std::u16string text);
bool EqualsIgnoringCase(const std::u16string& left, const std::u16string& right);

}  // namespace sim::detail
