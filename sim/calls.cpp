#include "sim/calls.h"

#include <algorithm>

#include "sim/state.h"
#include "sim/text.h"

namespace sim::detail {

namespace {

const PlannedFailure* FindPlannedFailure(const std::string& name, int ordinal) {
    for (const PlannedFailure& planned : W().calls.failures) {
        if (planned.name == name && (planned.nth == 0 || planned.nth == ordinal)) {
            return &planned;
        }
    }
    return nullptr;
}

std::intptr_t ApplyFailure(const PlannedFailure& planned, Failure failure) {
    if (failure.style == FailureStyle::SetsLastError) {
        SetLastErrorValue(planned.error);
    }
    if (planned.result) {
        return *planned.result;
    }
    return failure.style == FailureStyle::ReturnsError ? static_cast<std::intptr_t>(planned.error)
                                                       : failure.value;
}

}  // namespace

std::optional<std::intptr_t> Enter(const char* name, std::string args, Failure failure) {
    CallState& calls = W().calls;
    const int ordinal = ++calls.counts[name];
    const PlannedFailure* planned = FindPlannedFailure(name, ordinal);
    calls.log.push_back(CallRecord{name, ordinal, std::move(args), planned != nullptr});
    if (planned == nullptr) {
        return std::nullopt;
    }
    return ApplyFailure(*planned, failure);
}

void SetLastErrorValue(DWORD error) {
    W().calls.lastError = error;
}

std::string DescribeAddress(std::uintptr_t address) {
    return address == 0 ? std::string("null") : Describe(address);
}

std::string Describe(LPCWSTR text) {
    const auto address = reinterpret_cast<std::uintptr_t>(text);
    if (address != 0 && address < 0x10000) {
        return "#" + std::to_string(address);
    }
    return text == nullptr ? std::string("null") : "L\"" + ToUtf8(FromWide(text)) + "\"";
}

// A writable wide buffer is an output whose contents are not defined yet.
std::string Describe(LPWSTR buffer) {
    return DescribeAddress(reinterpret_cast<std::uintptr_t>(buffer));
}

std::string Describe(LPCSTR text) {
    const auto address = reinterpret_cast<std::uintptr_t>(text);
    if (address != 0 && address < 0x10000) {
        return "#" + std::to_string(address);
    }
    return text == nullptr ? std::string("null") : "\"" + std::string(text) + "\"";
}

}  // namespace sim::detail

namespace sim {

const std::vector<CallRecord>& Calls() {
    return detail::W().calls.log;
}

int CallCount(const std::string& name) {
    const auto& counts = detail::W().calls.counts;
    const auto found = counts.find(name);
    return found == counts.end() ? 0 : found->second;
}

std::vector<std::string> CallNames() {
    std::vector<std::string> names;
    for (const CallRecord& call : Calls()) {
        names.push_back(call.name);
    }
    return names;
}

void FailCall(const std::string& name, int nth, DWORD error) {
    detail::W().calls.failures.push_back(detail::PlannedFailure{name, nth, error, std::nullopt});
}

void FailCall(const std::string& name, int nth, DWORD error, std::intptr_t result) {
    detail::W().calls.failures.push_back(detail::PlannedFailure{name, nth, error, result});
}

void SetLastError(DWORD error) {
    detail::SetLastErrorValue(error);
}

}  // namespace sim
