// Both REG_DWORD switches against every value type, every data size up to
// beyond the read buffer, and byte patterns that tell the first four bytes
// from the rest: the outcome follows from the stored data and the zero fill
// alone, and every read closes its key.
#include <functional>
#include <optional>

#include "app/process_state.h"
#include "env/future_os.h"
#include "setting/fast_resume_store.h"
#include "tests/fault/registry_value_oracle.h"
#include "tests/fault/scenario.h"
#include "tests/unit/sim_fixture.h"

namespace {

constexpr DWORD kPoison = 0xDEADBEEF;
constexpr std::size_t kLargestData = 300;
constexpr DWORD kUnknownType = 0x1234;
constexpr BYTE kStackPaint = 0xA5;

const char* const kTypeNames[] = {
    "REG_NONE",
    "REG_SZ",
    "REG_EXPAND_SZ",
    "REG_BINARY",
    "REG_DWORD",
    "REG_DWORD_BIG_ENDIAN",
    "REG_LINK",
    "REG_MULTI_SZ",
    "REG_RESOURCE_LIST",
    "REG_FULL_RESOURCE_DESCRIPTOR",
    "REG_RESOURCE_REQUIREMENTS_LIST",
    "REG_QWORD",
};

std::vector<DWORD> ValueTypes() {
    std::vector<DWORD> types;
    for (DWORD type = 0; type < std::size(kTypeNames); ++type) {
        types.push_back(type);
    }
    types.push_back(kUnknownType);
    return types;
}

std::string TypeName(DWORD type) {
    return type < std::size(kTypeNames) ? kTypeNames[type] : "unknown type 0x1234";
}

struct Pattern {
    const char* name;
    std::function<std::vector<BYTE>(std::size_t size)> make;
};

std::vector<BYTE> Filled(std::size_t size, BYTE fill) {
    return std::vector<BYTE>(size, fill);
}

std::vector<BYTE> OneAt(std::size_t size, std::size_t offset) {
    std::vector<BYTE> data(size, 0);
    if (offset < size) {
        data[offset] = 1;
    }
    return data;
}

std::vector<BYTE> DwordOneThenFf(std::size_t size) {
    std::vector<BYTE> data(size, 0xFF);
    for (std::size_t i = 0; i < size && i < 4; ++i) {
        data[i] = i == 0 ? 1 : 0;
    }
    return data;
}

const Pattern kPatterns[] = {
    {"all 00", [](std::size_t size) { return Filled(size, 0); }},
    {"01 then 00", [](std::size_t size) { return OneAt(size, 0); }},
    {"01 00 00 00 then FF", DwordOneThenFf},
    {"all FF", [](std::size_t size) { return Filled(size, 0xFF); }},
    {"01 at offset 1", [](std::size_t size) { return OneAt(size, 1); }},
    {"01 at offset 2", [](std::size_t size) { return OneAt(size, 2); }},
    {"01 at offset 3", [](std::size_t size) { return OneAt(size, 3); }},
};

// Leaves non-zero bytes where the next call's frame will be, so that a read
// buffer the program did not fill shows up as not zero-filled.
__attribute__((noinline)) void PaintStack() {
    volatile BYTE paint[4096];
    for (volatile BYTE& byte : paint) {
        byte = kStackPaint;
    }
}

struct Case {
    DWORD type;
    std::size_t size;
    const Pattern* pattern;
    std::vector<BYTE> data;

    std::string Name() const {
        return TypeName(type) + ", " + std::to_string(size) + " bytes, " + pattern->name;
    }
};

// Every case, with `check` returning what went wrong ("" when nothing did);
// fails with the first mismatches named, and requires both outcomes to occur.
void ForEveryCase(const std::function<std::string(const Case&, std::optional<DWORD>)>& check,
                  DWORD bufferSize) {
    std::vector<std::string> mismatches;
    int readsOne = 0;
    int cases = 0;
    for (DWORD type : ValueTypes()) {
        for (std::size_t size = 0; size <= kLargestData; ++size) {
            for (const Pattern& pattern : kPatterns) {
                const Case one{type, size, &pattern, pattern.make(size)};
                const std::optional<DWORD> expected = DwordReadThrough(bufferSize, type, one.data);
                readsOne += expected == 1u ? 1 : 0;
                ++cases;
                const std::string problem = check(one, expected);
                if (!problem.empty()) {
                    mismatches.push_back(one.Name() + ": " + problem);
                }
            }
        }
    }
    EXPECT_GT(readsOne, 0) << "no case reads 1";
    EXPECT_LT(readsOne, cases) << "every case reads 1";
    std::string shown;
    for (std::size_t i = 0; i < mismatches.size() && i < 25; ++i) {
        shown += mismatches[i] + "\n";
    }
    EXPECT_TRUE(mismatches.empty()) << mismatches.size() << " of " << cases << " cases wrong, first:\n"
                                    << shown;
}

std::string CleanEnd() {
    if (sim::OpenHandleCount() != 0) {
        return "left open: " + sim::DescribeOpenHandles();
    }
    if (!sim::BadReleases().empty()) {
        return "bad release by " + sim::BadReleases()[0].function;
    }
    return sim::Problems().empty() ? std::string() : "simulation problem: " + sim::Problems()[0];
}

std::string QueryEvidence(DWORD bufferSize, std::size_t dataSize) {
    for (const sim::RegistryQuery& query : sim::RegistryQueries()) {
        const std::string evidence = UnfilledBufferEvidence(query, bufferSize, dataSize);
        if (!evidence.empty()) {
            return evidence;
        }
    }
    return sim::RegistryQueries().empty() ? "no query made" : std::string();
}

std::string StateName(FastResumeState state) {
    return state == Disabled ? "Disabled" : "Enabled";
}

std::string CheckFastResume(const Case& one, std::optional<DWORD> expected) {
    sim::Reset();
    sim::SetValue(kHidUsbKey, kFastResumeValue, one.type, one.data);
    DWORD value = kPoison;
    PaintStack();
    const bool read = ReadFastResumeDisable(value);
    PaintStack();
    LoadFastResumeState();

    const FastResumeState state = expected == 1u ? Disabled : Enabled;
    if (read != expected.has_value() || value != expected.value_or(kPoison)) {
        return "read " + std::string(read ? "succeeded" : "failed") + " with " + std::to_string(value);
    }
    if (initialState != state || chosenState != state) {
        return "state " + StateName(initialState) + "/" + StateName(chosenState) + ", expected " +
               StateName(state);
    }
    const std::string evidence = QueryEvidence(kFastResumeBufferSize, one.data.size());
    return evidence.empty() ? CleanEnd() : evidence;
}

std::string CheckSwitch(const Case& one, std::optional<DWORD> expected) {
    sim::Reset();
    sim::SetValue(kSwitchKey, kSwitchValue, one.type, one.data);
    const bool suppressed = expected == 1u;
    if (!suppressed) {
        sim::QueueMessageBoxAnswer(IDNO);
    }
    PaintStack();
    const bool goesOn = ConfirmFutureOS(L"question", L"title");

    if (goesOn != suppressed || sim::MessageBoxes().size() != (suppressed ? 0u : 1u)) {
        return suppressed ? "asked although suppressed" : "not asked";
    }
    const std::string evidence = QueryEvidence(kSwitchBufferSize, one.data.size());
    return evidence.empty() ? CleanEnd() : evidence;
}

class BadRegistryDataTest : public SimTest {};

TEST_F(BadRegistryDataTest, FastResumeDisableReadsFromTheDataAndTheZeroFillOnly) {
    ForEveryCase(CheckFastResume, kFastResumeBufferSize);
}

TEST_F(BadRegistryDataTest, DisableFutureOSWarningReadsFromTheDataAndTheZeroFillOnly) {
    ForEveryCase(CheckSwitch, kSwitchBufferSize);
}

}  // namespace
