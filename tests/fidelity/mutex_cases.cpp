// Named mutexes as the single-instance guard uses them: the handle and the
// last error of each creation. Handles are compared only with each other, as
// their values are the platform's to choose.
#include "tests/fidelity/arrange.h"
#include "tests/fidelity/fidelity_case.h"
#include "tests/fidelity/result_text.h"

namespace {

struct Created {
    HANDLE handle;
    DWORD lastError;
};

Created Create(const std::string& name) {
    PresetLastError(kPoisonDword);
    const HANDLE handle = CreateMutexW(nullptr, FALSE, Wide(name).data());
    return {handle, GetLastError()};
}

std::string Describe(const Created& created) {
    return DescribeHandle(created.handle) + " error=" + Written(created.lastError, kPoisonDword);
}

std::string Close(HANDLE handle) {
    PresetLastError(kPoisonDword);
    const BOOL closed = CloseHandle(handle);
    return Number(static_cast<DWORD>(closed)) + (closed ? "" : "/" + Written(GetLastError(), kPoisonDword));
}

// Creates `first`, then `second` while the first is open; closes both, then
// creates `second` once more.
std::string CreateWhileOpen(const std::string& first, const std::string& second) {
    const Created one = Create(first);
    const Created two = Create(second);
    const std::string relation = one.handle == two.handle ? " (same handle)" : "";
    const std::string closes = Close(two.handle) + "," + Close(one.handle);
    const Created three = Create(second);
    const std::string closeLast = Close(three.handle);
    return "first=" + Describe(one) + " second=" + Describe(two) + relation + " close=" + closes +
           " after close=" + Describe(three) + " close=" + closeLast;
}

std::string CloseMutexTwice() {
    const Created created = Create("QuenloftFidelity.CloseTwice");
    const std::string first = Close(created.handle);
    return "create=" + Describe(created) + " close=" + first + " close again=" + Close(created.handle);
}

}  // namespace

std::vector<FidelityCase> MutexCases() {
    return {
        {"mutex_created_twice",
         [] { return CreateWhileOpen("QuenloftFidelity.Twice", "QuenloftFidelity.Twice"); }, std::nullopt},
        {"mutex_local_prefix",
         [] { return CreateWhileOpen("QuenloftFidelity.Local", "Local\\QuenloftFidelity.Local"); },
         std::nullopt},
        {"mutex_global_prefix",
         [] { return CreateWhileOpen("QuenloftFidelity.Global", "Global\\QuenloftFidelity.Global"); },
         std::nullopt},
        {"mutex_name_case", [] { return CreateWhileOpen("QuenloftFidelity.Case", "QUENLOFTFIDELITY.CASE"); },
         std::nullopt},
        {"mutex_empty_name", [] { return CreateWhileOpen("", ""); }, std::nullopt},
        {"mutex_close_twice", CloseMutexTwice, std::nullopt},
    };
}
