// The main runs of the program that the fault replays start from: the machine
// each one runs on and what its user does.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/sim.h"

enum class DialogIntent {
    Cancel,
    ChooseDisabled,  // click "Disabled", then OK
    ChooseEnabled,   // click "Enabled", then OK
};

// A fresh machine by default: Windows 7 on AMD64, an elevated administrator,
// no other copy, no value stored; the user cancels the dialog and answers Yes
// to the future-release question and No to the restart question.
struct Scenario {
    std::string name;
    sim::VersionAnswer version;
    WORD nativeArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    sim::Account account = sim::Account::ElevatedAdmin;
    bool otherCopyRunning = false;
    bool storedDisabled = false;       // "FastResumeDisable" is REG_DWORD 1 at start
    std::optional<DWORD> switchValue;  // "DisableFutureOSWarning" as a REG_DWORD
    int futureAnswer = IDYES;
    DialogIntent intent = DialogIntent::Cancel;
    int restartAnswer = IDNO;
};

std::vector<Scenario> MainScenarios();

// Sets up the simulated machine (after sim::Reset) as the scenario describes.
void ArrangeMachine(const Scenario& scenario);

extern const std::u16string kHidUsbKey;
extern const std::u16string kFastResumeValue;
extern const std::u16string kSwitchKey;  // native path, reached through the 64-bit view
extern const std::u16string kSwitchValue;
extern const std::u16string kMutexName;
