// The table of this process's open handles, by kind, so that every test can
// prove nothing leaked. Values are never reused, so a stale handle stays invalid.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>

#include "sim/sim.h"

namespace sim::detail {

std::uintptr_t OpenHandle(HandleKind kind);
bool IsOpenHandle(std::uintptr_t value, HandleKind kind);
std::optional<HandleKind> OpenHandleKind(std::uintptr_t value);
// Closes the handle when it is open and of one of the kinds; otherwise
// records a bad release and returns false.
bool CloseOpenHandle(const char* function, std::uintptr_t value, std::initializer_list<HandleKind> kinds);
// A fresh value for objects that are not counted (windows).
std::uintptr_t NewObjectValue();

}  // namespace sim::detail
