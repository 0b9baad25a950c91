// RestartWindows: the six platform steps, whatever fails among them.
#include <functional>

#include "setting/restart.h"
#include "tests/unit/sim_fixture.h"

namespace {

const std::vector<std::string> kAllSteps = {"GetCurrentProcess",
                                            "OpenProcessToken",
                                            "LookupPrivilegeValueW",
                                            "AdjustTokenPrivileges",
                                            "ExitWindowsEx",
                                            "AdjustTokenPrivileges",
                                            "CloseHandle"};
const std::vector<std::string> kStoppedAtToken = {"GetCurrentProcess", "OpenProcessToken"};

struct RestartCase {
    const char* name;
    std::function<void()> arrange;
    std::vector<std::string> calls;
    bool rebootAccepted;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const RestartCase& value, std::ostream* out) {
    *out << value.name;
}

std::vector<RestartCase> RestartCases() {
    return {
        {"plain run", [] {}, kAllSteps, true},
        {"privileges enabled before",
         [] {
             sim::AddPrivilege(u"SeChangeNotifyPrivilege", true);
             sim::AddPrivilege(u"SeShutdownPrivilege", true);
         },
         kAllSteps, true},
        {"token cannot be opened", [] { sim::FailCall("OpenProcessToken", 1, ERROR_ACCESS_DENIED); },
         kStoppedAtToken, false},
        {"lookup fails", [] { sim::FailCall("LookupPrivilegeValueW", 1, ERROR_NO_SUCH_PRIVILEGE); },
         kAllSteps, false},
        {"token lacks the shutdown privilege", [] { sim::RemovePrivilege(u"SeShutdownPrivilege"); },
         kAllSteps, false},
        {"enabling fails", [] { sim::FailCall("AdjustTokenPrivileges", 1, ERROR_ACCESS_DENIED); }, kAllSteps,
         false},
        {"reboot refused", [] { sim::FailCall("ExitWindowsEx", 1, ERROR_ACCESS_DENIED); }, kAllSteps, false},
        {"disabling fails", [] { sim::FailCall("AdjustTokenPrivileges", 2, ERROR_ACCESS_DENIED); }, kAllSteps,
         true},
        {"close fails", [] { sim::FailCall("CloseHandle", 1, ERROR_INVALID_HANDLE); }, kAllSteps, true},
    };
}

class RestartTest : public SimTest, public ::testing::WithParamInterface<RestartCase> {};

TEST_P(RestartTest, RunsTheStepsInOrder) {
    const RestartCase& restart = GetParam();
    sim::AddPrivilege(u"SeUndockPrivilege", false);
    restart.arrange();

    RestartWindows();

    EXPECT_EQ(sim::CallNames(), restart.calls);
    const bool accepted = !sim::ShutdownRequests().empty() && sim::ShutdownRequests()[0].result;
    EXPECT_EQ(accepted, restart.rebootAccepted);
    if (restart.calls == kStoppedAtToken) {
        EXPECT_TRUE(sim::PrivilegeAdjustments().empty());
        return;
    }
    EXPECT_EQ(sim::TokenOpenAccesses(), std::vector<DWORD>{0x28u});
    const auto tokens = sim::HandlesCreated(sim::HandleKind::Token);
    ASSERT_EQ(tokens.size(), 1u);
    if (std::string(restart.name) != "close fails") {
        EXPECT_EQ(tokens[0].closes, 1) << "token closed";
    } else {
        ASSERT_EQ(CloseHandle(reinterpret_cast<HANDLE>(tokens[0].value)), TRUE) << "token left for the test";
    }
    std::vector<std::string> shutdownArgs;
    for (const sim::CallRecord& call : sim::Calls()) {
        if (call.name == "ExitWindowsEx") {
            shutdownArgs.push_back(call.args);
        }
    }
    EXPECT_EQ(shutdownArgs, std::vector<std::string>{"0x2, 0x0"}) << "EWX_REBOOT, reason 0";
}

INSTANTIATE_TEST_SUITE_P(Restart, RestartTest, ::testing::ValuesIn(RestartCases()),
                         [](const auto& info) { return TestNameOf(info.param.name); });

TEST_P(RestartTest, LeavesNoPrivilegeEnabled) {
    const RestartCase& restart = GetParam();
    sim::AddPrivilege(u"SeChangeNotifyPrivilege", true);
    restart.arrange();

    RestartWindows();

    const bool stopped = restart.calls == kStoppedAtToken;
    const bool disableFailed = std::string(restart.name) == "disabling fails";
    if (!stopped && !disableFailed) {
        EXPECT_EQ(sim::EnabledPrivileges(), std::vector<std::u16string>());
    }
    for (const auto& token : sim::HandlesCreated(sim::HandleKind::Token)) {
        if (token.closes == 0) {
            CloseHandle(reinterpret_cast<HANDLE>(token.value));
        }
    }
}

class RestartRequestTest : public SimTest {};

TEST_F(RestartRequestTest, EnablesTheShutdownPrivilegeWithOneSixteenByteEntry) {
    RestartWindows();

    ASSERT_EQ(sim::PrivilegeAdjustments().size(), 2u);
    const sim::PrivilegeAdjustment& enable = sim::PrivilegeAdjustments()[0];
    EXPECT_FALSE(enable.disableAll);
    EXPECT_EQ(enable.bufferLength, 16u);
    EXPECT_FALSE(enable.previousStateRequested);
    ASSERT_EQ(enable.newState.size(), 1u);
    EXPECT_EQ(enable.newState[0].Luid.LowPart, sim::PrivilegeLuid(u"SeShutdownPrivilege").LowPart);
    EXPECT_EQ(enable.newState[0].Luid.HighPart, 0);
    EXPECT_EQ(enable.newState[0].Attributes, static_cast<DWORD>(SE_PRIVILEGE_ENABLED));
    EXPECT_EQ(enable.result, TRUE);
    EXPECT_EQ(enable.lastError, static_cast<DWORD>(ERROR_SUCCESS));
    const sim::PrivilegeAdjustment& disable = sim::PrivilegeAdjustments()[1];
    EXPECT_TRUE(disable.disableAll);
    EXPECT_EQ(disable.bufferLength, 16u);
    EXPECT_FALSE(disable.previousStateRequested);
    ASSERT_EQ(sim::ShutdownRequests().size(), 1u);
    EXPECT_TRUE(sim::ShutdownRequests()[0].shutdownPrivilegeEnabled);
}

// The identifier is preset, so a failed lookup passes zero rather than stack contents.
TEST_F(RestartRequestTest, FailedLookupPassesAZeroIdentifier) {
    sim::FailCall("LookupPrivilegeValueW", 1, ERROR_NO_SUCH_PRIVILEGE);

    RestartWindows();

    ASSERT_FALSE(sim::PrivilegeAdjustments().empty());
    ASSERT_EQ(sim::PrivilegeAdjustments()[0].newState.size(), 1u);
    EXPECT_EQ(sim::PrivilegeAdjustments()[0].newState[0].Luid.LowPart, 0u);
    EXPECT_EQ(sim::PrivilegeAdjustments()[0].newState[0].Luid.HighPart, 0);
    EXPECT_EQ(sim::PrivilegeAdjustments()[0].lastError, static_cast<DWORD>(ERROR_NOT_ALL_ASSIGNED));
    ASSERT_EQ(sim::ShutdownRequests().size(), 1u);
    EXPECT_FALSE(sim::ShutdownRequests()[0].shutdownPrivilegeEnabled);
}

}  // namespace
