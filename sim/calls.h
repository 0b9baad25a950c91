// The one entry every simulated function passes first: it logs the call and
// applies a failure the test planned for it.
#pragma once

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>

#include "sim/win32_api.h"

namespace sim::detail {

// How a function reports failure, from its documentation.
enum class FailureStyle {
    ReturnsError,   // the result is the error code (registry, GetLastError)
    SetsLastError,  // the result is `value`, the error goes to the thread's last error
    Quiet,          // the result is `value`, the last error is left alone
};
struct Failure {
    FailureStyle style;
    std::intptr_t value;
};
constexpr Failure kReturnsError{FailureStyle::ReturnsError, 0};
constexpr Failure kFalseWithLastError{FailureStyle::SetsLastError, FALSE};
constexpr Failure kNullWithLastError{FailureStyle::SetsLastError, 0};
constexpr Failure kZeroWithLastError{FailureStyle::SetsLastError, 0};
constexpr Failure kQuietZero{FailureStyle::Quiet, 0};

// Logs the call; returns the result to give back when the test made this call fail.
std::optional<std::intptr_t> Enter(const char* name, std::string args, Failure failure);

void SetLastErrorValue(DWORD error);

std::string DescribeAddress(std::uintptr_t address);
std::string Describe(LPCWSTR text);   // a string, a null, or an integer resource id as #id
std::string Describe(LPWSTR buffer);  // an output buffer: its address only
std::string Describe(LPCSTR text);
template <typename Number, std::enable_if_t<std::is_arithmetic_v<Number>, int> = 0>
std::string Describe(Number number) {
    std::ostringstream out;
    out << "0x" << std::hex << static_cast<std::uintmax_t>(number);
    return out.str();
}
template <typename Pointee>
std::string Describe(Pointee* pointer) {
    return DescribeAddress(reinterpret_cast<std::uintptr_t>(pointer));
}

inline std::string Args() {
    return std::string();
}
template <typename First, typename... Rest>
std::string Args(First first, Rest... rest) {
    const std::string tail = Args(rest...);
    return Describe(first) + (tail.empty() ? "" : ", " + tail);
}

}  // namespace sim::detail
