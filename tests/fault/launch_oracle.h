// What a run of the program must show and leave behind, worked out from the
// rules of each step for a scenario and at most one failing call: never by
// running the program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "sim/sim.h"
#include "tests/fault/failure_point.h"
#include "tests/fault/scenario.h"

struct ExpectedBox {
    UINT type;
    std::u16string text;
    std::u16string caption;
    int answer;  // what the user presses
};

struct ExpectedRun {
    int exitCode = 0;
    std::vector<ExpectedBox> boxes;  // the boxes that appear, in order
    bool dialogShown = false;
    int checkedWhenShown = 0;  // IDC_DISABLED, IDC_ENABLED, or 0 for neither
    std::vector<int> clicks;   // the user's clicks while the dialog is up
    std::optional<sim::StoredValue> fastResumeValue;
    bool hidUsbKeyExists = false;
    bool keyWriteRetried = false;
    std::size_t shutdownRequests = 0;
    bool shutdownAccepted = false;
    std::vector<std::u16string> enabledPrivileges;
    std::optional<sim::HandleKind> handleLeftOpen;
};

// `failure` null: the run with nothing failing.
ExpectedRun Predict(const Scenario& scenario, const FailurePoint* failure);
