// Each main scenario once as it runs, then once per platform call it made
// with that call failing: the outcome must be what the rules give for that
// failure, and the run must end cleanly (fixture checks: nothing left open,
// nothing released twice, nothing the simulation found wrong).
#include <iostream>
#include <optional>
#include <set>

#include "app/launch_sequence.h"
#include "app/process_state.h"
#include "res/resource.h"
#include "tests/fault/fault_replay.h"
#include "tests/fault/launch_oracle.h"
#include "tests/unit/sim_fixture.h"

namespace {

constexpr DWORD kInjectedError = ERROR_ACCESS_DENIED;

struct Totals {
    int replays = 0;
    std::set<std::string> scenarios;
    std::vector<std::string> uncoveredEndedCleanly;
};

Totals& Tally() {
    static Totals totals;
    return totals;
}

// Printed when the run included replays (the binary also holds other tests).
class ReplaySummary : public ::testing::Environment {
  public:
    void TearDown() override {
        if (Tally().replays == 0) {
            return;
        }
        for (const std::string& line : Tally().uncoveredEndedCleanly) {
            std::cout << "not covered by the rules, ended cleanly: " << line << "\n";
        }
        std::cout << "fault replays: " << Tally().replays << " across " << Tally().scenarios.size()
                  << " scenarios" << std::endl;
    }
};

int RunProgram() {
    return RunLaunchSequence(sim::ProgramInstance());
}

sim::Script ScriptOf(const std::vector<int>& clicks) {
    sim::Script script;
    for (int control : clicks) {
        script.Click(control);
    }
    return script;
}

void ScriptTheUser(const ExpectedRun& expected) {
    for (const ExpectedBox& box : expected.boxes) {
        sim::QueueMessageBoxAnswer(box.answer);
    }
    if (expected.dialogShown) {
        sim::QueueDialogScript(ScriptOf(expected.clicks));
    }
}

std::vector<sim::CallRecord> RecordCalls(const Scenario& scenario) {
    sim::Reset();
    ArrangeMachine(scenario);
    ScriptTheUser(Predict(scenario, nullptr));
    RunProgram();
    const std::vector<sim::CallRecord> calls = sim::Calls();
    sim::Reset();
    return calls;
}

int CheckedRadioWhenShown() {
    int checked = 0;
    for (const sim::ControlSnapshot& control : sim::Dialogs().at(0).controls) {
        const bool isRadio = control.id == IDC_DISABLED || control.id == IDC_ENABLED;
        if (isRadio && control.checkWhenShown == BST_CHECKED) {
            checked = checked == 0 ? control.id : -1;
        }
    }
    return checked;
}

bool KeyWriteRetried() {
    for (const sim::RegistryOpen& open : sim::RegistryOpens()) {
        if (open.function == "RegCreateKeyExW" && open.access == static_cast<REGSAM>(KEY_WRITE) &&
            open.result == ERROR_SUCCESS) {
            return true;
        }
    }
    return false;
}

bool ShutdownAccepted() {
    for (const sim::ShutdownRequest& request : sim::ShutdownRequests()) {
        if (request.result != FALSE) {
            return true;
        }
    }
    return false;
}

std::optional<sim::StoredValue> SwitchAtStart(const Scenario& scenario) {
    if (!scenario.switchValue) {
        return std::nullopt;
    }
    const DWORD value = *scenario.switchValue;
    return sim::StoredValue{REG_DWORD, DwordBytes(value)};
}

class FaultReplayTest : public SimTest {
  public:
    FaultReplayTest(Scenario scenario, std::optional<FailurePoint> failure, std::vector<std::string> recorded)
        : m_scenario(std::move(scenario)), m_failure(std::move(failure)), m_recorded(std::move(recorded)) {}

    void TestBody() override {
        SCOPED_TRACE(Context());
        ArrangeMachine(m_scenario);
        if (m_failure) {
            sim::FailCall(m_failure->call.name, m_failure->call.ordinal, kInjectedError);
        }
        const ExpectedRun expected = Predict(m_scenario, m_failure ? &*m_failure : nullptr);
        ScriptTheUser(expected);

        EXPECT_EQ(RunProgram(), expected.exitCode);

        ExpectFailureMade();
        ExpectBoxes(expected);
        ExpectDialog(expected);
        ExpectRegistry(expected);
        ExpectRestart(expected);
        ExpectHandles(expected);
        Count();
    }

  private:
    std::string Context() const {
        return m_scenario.name + ": " + (m_failure ? Describe(*m_failure) : std::string("nothing fails"));
    }

    void ExpectFailureMade() const {
        if (!m_failure) {
            EXPECT_EQ(sim::CallNames(), m_recorded) << "the run is not the one recorded";
            return;
        }
        const std::vector<sim::CallRecord>& calls = sim::Calls();
        std::size_t failed = calls.size();
        for (std::size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].injectedFailure) {
                failed = i;
            }
        }
        ASSERT_LT(failed, calls.size()) << "the planned failure was never reached";
        for (std::size_t i = failed + 1; i < calls.size(); ++i) {
            EXPECT_FALSE(IsNotCalledAfter(*m_failure, calls[i].name))
                << calls[i].name << " called after the failure";
        }
    }

    static void ExpectBoxes(const ExpectedRun& expected) {
        const std::vector<sim::MessageBoxShown>& shown = sim::MessageBoxes();
        ASSERT_EQ(shown.size(), expected.boxes.size()) << "message boxes shown";
        for (std::size_t i = 0; i < shown.size(); ++i) {
            SCOPED_TRACE("box " + std::to_string(i + 1));
            EXPECT_EQ(shown[i].type, expected.boxes[i].type);
            EXPECT_EQ(shown[i].text, expected.boxes[i].text);
            EXPECT_EQ(shown[i].caption, expected.boxes[i].caption);
            EXPECT_EQ(shown[i].owner, nullptr);
        }
    }

    static void ExpectDialog(const ExpectedRun& expected) {
        ASSERT_EQ(sim::Dialogs().size(), expected.dialogShown ? 1u : 0u) << "settings dialogs shown";
        if (expected.dialogShown) {
            EXPECT_EQ(CheckedRadioWhenShown(), expected.checkedWhenShown) << "radio button checked at start";
        }
    }

    void ExpectRegistry(const ExpectedRun& expected) const {
        EXPECT_EQ(sim::Value(kHidUsbKey, kFastResumeValue), expected.fastResumeValue);
        EXPECT_EQ(sim::KeyExists(kHidUsbKey), expected.hidUsbKeyExists);
        EXPECT_EQ(KeyWriteRetried(), expected.keyWriteRetried) << "write retried with KEY_WRITE";
        EXPECT_EQ(sim::Value(kSwitchKey, kSwitchValue), SwitchAtStart(m_scenario))
            << "the switch is read only";
    }

    static void ExpectRestart(const ExpectedRun& expected) {
        EXPECT_EQ(sim::ShutdownRequests().size(), expected.shutdownRequests);
        EXPECT_EQ(ShutdownAccepted(), expected.shutdownAccepted);
        EXPECT_EQ(sim::EnabledPrivileges(), expected.enabledPrivileges);
    }

    // A release the platform refused leaves its handle open: exactly that
    // one, which the test then releases so the fixture's checks apply to the rest.
    void ExpectHandles(const ExpectedRun& expected) const {
        for (const sim::HandleRecord& mutex : sim::HandlesCreated(sim::HandleKind::Mutex)) {
            EXPECT_LE(mutex.closes, 1) << "mutex closed more than once";
        }
        const bool mutexHeld =
            m_scenario.otherCopyRunning || expected.handleLeftOpen == sim::HandleKind::Mutex;
        EXPECT_EQ(sim::MutexExists(kMutexName, 1), mutexHeld);
        if (!expected.handleLeftOpen) {
            return;
        }
        ASSERT_EQ(sim::OpenHandleCount(), 1u) << sim::DescribeOpenHandles();
        ASSERT_EQ(sim::OpenHandleCount(*expected.handleLeftOpen), 1u) << sim::DescribeOpenHandles();
        ReleaseLeftOpen(*expected.handleLeftOpen);
    }

    static void ReleaseLeftOpen(sim::HandleKind kind) {
        for (const sim::HandleRecord& handle : sim::HandlesCreated(kind)) {
            if (handle.closes != 0) {
                continue;
            }
            if (kind == sim::HandleKind::Key) {
                RegCloseKey(reinterpret_cast<HKEY>(handle.value));
            } else if (kind == sim::HandleKind::Sid) {
                FreeSid(reinterpret_cast<PSID>(handle.value));
            } else {
                CloseHandle(reinterpret_cast<HANDLE>(handle.value));
            }
        }
    }

    void Count() const {
        if (!m_failure) {
            return;
        }
        ++Tally().replays;
        Tally().scenarios.insert(m_scenario.name);
        if (!m_failure->coveredByRules && !HasFailure()) {
            Tally().uncoveredEndedCleanly.push_back(Context());
        }
    }

    const Scenario m_scenario;
    const std::optional<FailurePoint> m_failure;
    const std::vector<std::string> m_recorded;
};

class CallsWithoutARule : public ::testing::Test {
  public:
    explicit CallsWithoutARule(std::vector<std::string> calls) : m_calls(std::move(calls)) {}
    void TestBody() override {
        for (const std::string& call : m_calls) {
            ADD_FAILURE() << "no failure rule for " << call;
        }
    }

  private:
    const std::vector<std::string> m_calls;
};

std::string ReplayName(std::size_t index, const FailurePoint& failure) {
    const std::string number = (index < 9 ? "0" : "") + std::to_string(index + 1);
    return "Call" + number + "_" + failure.call.name + "_" + std::to_string(failure.call.ordinal);
}

void RegisterReplay(const std::string& suite, const std::string& name, const Scenario& scenario,
                    const std::optional<FailurePoint>& failure, const std::vector<std::string>& recorded) {
    const std::string shown = failure ? Describe(*failure) : std::string("nothing fails");
    ::testing::RegisterTest(suite.c_str(), name.c_str(), nullptr, shown.c_str(), __FILE__, __LINE__,
                            [=]() -> SimTest* { return new FaultReplayTest(scenario, failure, recorded); });
}

void RegisterScenario(const Scenario& scenario) {
    const std::vector<sim::CallRecord> calls = RecordCalls(scenario);
    std::vector<std::string> recorded;
    for (const sim::CallRecord& call : calls) {
        recorded.push_back(call.name);
    }
    const std::string suite = "FaultReplay_" + TestNameOf(scenario.name.c_str());
    std::vector<std::string> unknown;
    const std::vector<FailurePoint> points = ClassifyCalls(calls, unknown);
    if (!unknown.empty()) {
        const std::string rulesSuite = "FaultRules_" + TestNameOf(scenario.name.c_str());
        ::testing::RegisterTest(rulesSuite.c_str(), "EveryCallHasARule", nullptr, nullptr, __FILE__, __LINE__,
                                [=]() -> ::testing::Test* { return new CallsWithoutARule(unknown); });
    }
    RegisterReplay(suite, "NothingFails", scenario, std::nullopt, recorded);
    for (std::size_t i = 0; i < points.size(); ++i) {
        RegisterReplay(suite, ReplayName(i, points[i]), scenario, points[i], recorded);
    }
}

}  // namespace

bool RegisterFaultReplays() {
    std::string error;
    if (!sim::LoadResourceFile(QUENLOFT_RES_FILE, error)) {
        std::cerr << "cannot load the program's resources: " << error << std::endl;
        return false;
    }
    ::testing::AddGlobalTestEnvironment(new ReplaySummary);
    for (const Scenario& scenario : MainScenarios()) {
        RegisterScenario(scenario);
    }
    return true;
}
