// Fuzzes the two REG_DWORD switch reads: "FastResumeDisable" through
// ReadFastResumeDisable and LoadFastResumeState, "DisableFutureOSWarning"
// through ConfirmFutureOS with a scripted answer. Aborts when a read differs
// from what the stored type and data give, or leaves anything behind.
//
// Input: byte 0 selects the value (bit 0: the switch), whether it is stored at
// all (bit 1: absent) and the answer to the question (bit 2: Yes); bytes 1 to
// 4 are the stored type, little-endian; the rest is the stored data.
#include <cstdio>
#include <cstdlib>

#include "app/process_state.h"
#include "env/future_os.h"
#include "setting/fast_resume_store.h"
#include "tests/fault/registry_value_oracle.h"
#include "tests/fault/scenario.h"

namespace {

constexpr DWORD kPoison = 0xDEADBEEF;
constexpr std::size_t kHeaderSize = 5;

struct Input {
    bool isSwitch;
    bool stored;
    bool answerYes;
    DWORD type;
    std::vector<BYTE> data;
};

Input Decode(const uint8_t* bytes, std::size_t size) {
    const DWORD type = static_cast<DWORD>(bytes[1]) | static_cast<DWORD>(bytes[2]) << 8 |
                       static_cast<DWORD>(bytes[3]) << 16 | static_cast<DWORD>(bytes[4]) << 24;
    return Input{(bytes[0] & 1) != 0, (bytes[0] & 2) == 0, (bytes[0] & 4) != 0, type,
                 std::vector<BYTE>(bytes + kHeaderSize, bytes + size)};
}

[[noreturn]] void Mismatch(const Input& input, const std::string& what) {
    std::fprintf(stderr, "%s: type 0x%x, %zu bytes of data%s: %s\n",
                 input.isSwitch ? "DisableFutureOSWarning" : "FastResumeDisable", input.type,
                 input.data.size(), input.stored ? "" : " (not stored)", what.c_str());
    std::abort();
}

void ExpectCleanEnd(const Input& input, DWORD bufferSize) {
    if (sim::OpenHandleCount() != 0) {
        Mismatch(input, "left open: " + sim::DescribeOpenHandles());
    }
    if (!sim::BadReleases().empty()) {
        Mismatch(input, "bad release by " + sim::BadReleases()[0].function);
    }
    if (!sim::Problems().empty()) {
        Mismatch(input, "simulation problem: " + sim::Problems()[0]);
    }
    for (const sim::RegistryQuery& query : sim::RegistryQueries()) {
        const std::string evidence = UnfilledBufferEvidence(query, bufferSize, input.data.size());
        if (!evidence.empty()) {
            Mismatch(input, evidence);
        }
    }
}

void CheckFastResume(const Input& input, std::optional<DWORD> expected) {
    DWORD value = kPoison;
    const bool read = ReadFastResumeDisable(value);
    if (read != expected.has_value() || value != expected.value_or(kPoison)) {
        Mismatch(input,
                 "read " + std::string(read ? "succeeded" : "failed") + " with " + std::to_string(value));
    }
    initialState = expected == 1u ? Enabled : Disabled;
    chosenState = initialState;
    LoadFastResumeState();
    const FastResumeState state = expected == 1u ? Disabled : Enabled;
    if (initialState != state || chosenState != state) {
        Mismatch(input, "state loaded wrongly");
    }
    ExpectCleanEnd(input, kFastResumeBufferSize);
}

void CheckSwitch(const Input& input, std::optional<DWORD> expected) {
    const bool suppressed = expected == 1u;
    if (!suppressed) {
        sim::QueueMessageBoxAnswer(input.answerYes ? IDYES : IDNO);
    }
    const bool goesOn = ConfirmFutureOS(L"question", L"title");
    if (goesOn != (suppressed || input.answerYes)) {
        Mismatch(input, goesOn ? "went on" : "stopped");
    }
    if (sim::MessageBoxes().size() != (suppressed ? 0u : 1u)) {
        Mismatch(input, suppressed ? "asked although suppressed" : "not asked");
    }
    ExpectCleanEnd(input, kSwitchBufferSize);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, std::size_t size) {
    if (size < kHeaderSize) {
        return 0;
    }
    const Input input = Decode(bytes, size);
    const DWORD bufferSize = input.isSwitch ? kSwitchBufferSize : kFastResumeBufferSize;
    sim::Reset();
    if (input.stored) {
        sim::SetValue(input.isSwitch ? kSwitchKey : kHidUsbKey,
                      input.isSwitch ? kSwitchValue : kFastResumeValue, input.type, input.data);
    }
    const std::optional<DWORD> expected =
        input.stored ? DwordReadThrough(bufferSize, input.type, input.data) : std::nullopt;
    if (input.isSwitch) {
        CheckSwitch(input, expected);
    } else {
        CheckFastResume(input, expected);
    }
    return 0;
}
