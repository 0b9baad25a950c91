#include "tests/fault/scenario.h"

const std::u16string kHidUsbKey = u"SYSTEM\\CurrentControlSet\\Services\\HidUsb";
const std::u16string kFastResumeValue = u"FastResumeDisable";
const std::u16string kSwitchKey = u"SOFTWARE\\Korvantis\\Common";
const std::u16string kSwitchValue = u"DisableFutureOSWarning";
const std::u16string kMutexName = u"Korvantis.Quenloft.ExclusiveMutex";

namespace {

constexpr DWORD kLogon = 1;

sim::VersionAnswer Windows10() {
    sim::VersionAnswer version;
    version.major = 10;
    version.minor = 0;
    version.build = 19045;
    version.servicePackText = u"";
    version.servicePackMajor = 0;
    return version;
}

// XP x64 answers 5.2 workstation: only the native architecture tells it from Server 2003.
sim::VersionAnswer WindowsXpX64() {
    sim::VersionAnswer version;
    version.major = 5;
    version.minor = 2;
    version.build = 3790;
    version.servicePackText = u"Service Pack 2";
    version.servicePackMajor = 2;
    return version;
}

Scenario OnWindows7(std::string name) {
    Scenario scenario;
    scenario.name = std::move(name);
    return scenario;
}

}  // namespace

std::vector<Scenario> MainScenarios() {
    Scenario freshDisable = OnWindows7("fresh disable, restart Yes");
    freshDisable.intent = DialogIntent::ChooseDisabled;
    freshDisable.restartAnswer = IDYES;

    Scenario enable = OnWindows7("enable, restart No");
    enable.storedDisabled = true;
    enable.intent = DialogIntent::ChooseEnabled;

    Scenario cancel = OnWindows7("cancel");
    cancel.storedDisabled = true;

    // The switch exists but does not suppress, so that its read runs in full.
    Scenario futureYes = OnWindows7("future release, Yes");
    futureYes.version = Windows10();
    futureYes.switchValue = 0;

    Scenario futureNo = futureYes;
    futureNo.name = "future release, No";
    futureNo.futureAnswer = IDNO;

    Scenario refusedRelease = OnWindows7("refused release");
    refusedRelease.version = WindowsXpX64();

    Scenario notAdmin = OnWindows7("not an administrator");
    notAdmin.account = sim::Account::User;

    Scenario secondCopy = OnWindows7("second copy");
    secondCopy.otherCopyRunning = true;

    return {freshDisable, enable, cancel, futureYes, futureNo, refusedRelease, notAdmin, secondCopy};
}

void ArrangeMachine(const Scenario& scenario) {
    sim::SetVersion(scenario.version);
    sim::SetNativeArchitecture(scenario.nativeArchitecture);
    sim::SetAccount(scenario.account);
    if (scenario.otherCopyRunning) {
        sim::HoldMutexInOtherProcess(kMutexName, kLogon);
    }
    if (scenario.storedDisabled) {
        sim::SetDwordValue(kHidUsbKey, kFastResumeValue, 1);
    }
    if (scenario.switchValue) {
        sim::SetDwordValue(kSwitchKey, kSwitchValue, *scenario.switchValue);
    }
}
