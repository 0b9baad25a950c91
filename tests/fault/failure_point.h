// Which step of the run a recorded platform call belongs to, and what the
// rules say follows when that call fails: one row of a small table per
// (function, point) pair.
#pragma once

#include <string>
#include <vector>

#include "sim/sim.h"

enum class Effect {
    None,                  // nothing the run shows depends on the answer
    GuardNotCreated,       // refused at once, silently
    GuardCheckPasses,      // the answer is not ERROR_ALREADY_EXISTS: the guard counts as acquired
    LaunchTitleEmpty,      // the future-release question gets an empty caption
    LaunchQuestionEmpty,   // the future-release question gets an empty text
    NoNativeArchitecture,  // the native architecture reads 0 (and, without kernel32, no product type)
    VersionUnknown,        // WinUnknown
    SwitchUnread,          // the question is not suppressed
    BoxFails,              // the box does not appear; its answer reads 0
    BoxTitleEmpty,
    BoxTextEmpty,
    NotAdmin,
    StateUnread,            // the setting reads Enabled
    DialogFails,            // like Cancel
    InitialCheckMissing,    // the dialog opens with no radio button checked
    EnabledReadsUnchecked,  // on OK, "Enabled" reads as not checked
    DisabledReadsUnchecked,
    CommandIgnored,     // the click's command is not recognised; the dialog stays open
    EndDialogRefused,   // the dialog stays open after OK or Cancel
    FullAccessRefused,  // writing retries the key with KEY_WRITE
    ValueNotWritten,
    ValueNotDeleted,
    NoToken,                   // no privilege change, no restart
    ShutdownPrivilegeMissing,  // the restart is asked for and refused
    ShutdownCallFails,         // the restart is not asked for
    PrivilegesNotDropped,      // the shutdown privilege stays enabled
    ReleaseRefused,            // the handle stays open
};

struct FailurePoint {
    sim::CallRecord call;  // the recorded call that is made to fail
    std::string point;     // where in the run it is made
    Effect effect;
    bool coveredByRules;       // false: the rules do not say; the run must still end cleanly
    UINT boxType;              // BoxFails, BoxTitleEmpty, BoxTextEmpty
    int command;               // CommandIgnored: the 1-based command of the dialog procedure
    sim::HandleKind released;  // ReleaseRefused
    // Functions the rules leave uncalled once this call has failed ("*": any).
    std::vector<std::string> notCalledAfter;
};

// One point per call of a recorded run. A call that no row of the table
// covers is reported in `unknown` ("Function #n (args)") instead.
std::vector<FailurePoint> ClassifyCalls(const std::vector<sim::CallRecord>& calls,
                                        std::vector<std::string>& unknown);

std::string Describe(const FailurePoint& failure);

// Whether the rules leave `function` uncalled once `failure` has happened.
bool IsNotCalledAfter(const FailurePoint& failure, const std::string& function);
