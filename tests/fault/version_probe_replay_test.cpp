// The version probe alone, with each platform call it makes failing in turn,
// on the two machines where the answer depends on more than the version
// numbers: 5.2 (XP x64 or Server 2003 by the native architecture) and 6.1
// (which also looks up the product type). The launch outcome cannot show the
// difference, as both 5.2 kinds are refused.
#include <iostream>

#include "tests/fault/failure_point.h"
#include "tests/fault/version_oracle.h"
#include "tests/unit/sim_fixture.h"

namespace {

struct Machine {
    const char* name;
    sim::VersionAnswer version;
    WORD nativeArchitecture;
};

std::vector<Machine> Machines() {
    sim::VersionAnswer xpX64;
    xpX64.major = 5;
    xpX64.minor = 2;
    xpX64.build = 3790;
    return {{"5.2 workstation on AMD64", xpX64, PROCESSOR_ARCHITECTURE_AMD64},
            {"6.1 workstation on AMD64", sim::VersionAnswer(), PROCESSOR_ARCHITECTURE_AMD64}};
}

void Arrange(const Machine& machine) {
    sim::Reset();
    sim::SetVersion(machine.version);
    sim::SetNativeArchitecture(machine.nativeArchitecture);
}

std::vector<sim::CallRecord> RecordProbeCalls(const Machine& machine) {
    Arrange(machine);
    { const CWinVersion probe; }
    return sim::Calls();
}

std::size_t InjectedIndex() {
    const std::vector<sim::CallRecord>& calls = sim::Calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].injectedFailure) {
            return i;
        }
    }
    return calls.size();
}

class VersionProbeReplayTest : public SimTest {};

TEST_F(VersionProbeReplayTest, EachFailingCallGivesTheKindOfTheTable) {
    int replays = 0;
    for (const Machine& machine : Machines()) {
        std::vector<std::string> unknown;
        const std::vector<FailurePoint> points = ClassifyCalls(RecordProbeCalls(machine), unknown);
        EXPECT_EQ(unknown, std::vector<std::string>()) << machine.name;
        for (const FailurePoint& failure : points) {
            SCOPED_TRACE(std::string(machine.name) + ": " + Describe(failure));
            Arrange(machine);
            sim::FailCall(failure.call.name, failure.call.ordinal, ERROR_ACCESS_DENIED);
            const bool noArchitecture = failure.effect == Effect::NoNativeArchitecture;

            const CWinVersion probe;

            EXPECT_EQ(probe.m_kind, KindOf(machine.version, noArchitecture ? 0 : machine.nativeArchitecture,
                                           failure.effect == Effect::VersionUnknown));
            EXPECT_EQ(probe.m_systemInfo.wProcessorArchitecture,
                      noArchitecture ? 0 : machine.nativeArchitecture);
            const std::size_t failed = InjectedIndex();
            ASSERT_LT(failed, sim::Calls().size()) << "the planned failure was never reached";
            for (std::size_t i = failed + 1; i < sim::Calls().size(); ++i) {
                EXPECT_FALSE(IsNotCalledAfter(failure, sim::Calls()[i].name))
                    << sim::Calls()[i].name << " called after the failure";
            }
            ++replays;
        }
    }
    EXPECT_GT(replays, 0);
    std::cout << "version probe replays: " << replays << std::endl;
}

}  // namespace
