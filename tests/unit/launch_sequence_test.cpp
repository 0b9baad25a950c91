// The whole run, from the instance handle to the exit code, on the simulated machine.
#include <algorithm>
#include <functional>
#include <optional>

#include "app/launch_sequence.h"
#include "app/process_state.h"
#include "res/resource.h"
#include "tests/expected_messages.h"
#include "tests/unit/sim_fixture.h"

namespace {

const std::u16string kHidUsb = u"SYSTEM\\CurrentControlSet\\Services\\HidUsb";
const std::u16string kValueName = u"FastResumeDisable";
const std::u16string kSwitchKey = u"SOFTWARE\\Korvantis\\Common";
const std::u16string kMutexName = u"Korvantis.Quenloft.ExclusiveMutex";
const std::u16string kRestartFrench =
    u"Il est nécessaire de redémarrer l'ordinateur pour appliquer les nouveaux réglages.\n\nRedémarrer "
    u"maintenant?";
const std::u16string kRestartJapanese =
    u"新しい設定を有効にするには、コンピュータを再起動する必要があります。\n\n今すぐ再起動しますか？";
const sim::StoredValue kDword1{REG_DWORD, DwordBytes(1)};

int RunProgram() {
    return RunLaunchSequence(sim::ProgramInstance());
}

std::size_t HidUsbOpens() {
    const auto& opens = sim::RegistryOpens();
    return static_cast<std::size_t>(std::count_if(
        opens.begin(), opens.end(), [](const sim::RegistryOpen& open) { return open.path == kHidUsb; }));
}

class LaunchSequenceTest : public SimTest {
  protected:
    void TearDown() override {
        for (const sim::HandleRecord& mutex : sim::HandlesCreated(sim::HandleKind::Mutex)) {
            EXPECT_EQ(mutex.closes, 1) << "mutex closed exactly once";
        }
        EXPECT_FALSE(sim::MutexExists(kMutexName, 1));
        SimTest::TearDown();
    }
};

// ------------------------------------------------------ leaving unchanged ----

struct UnchangedCase {
    const char* name;
    std::function<void()> arrange;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const UnchangedCase& value, std::ostream* out) {
    *out << value.name;
}

std::vector<UnchangedCase> UnchangedCases() {
    return {
        {"Cancel", [] { sim::QueueDialogScript(sim::Script().Click(IDCANCEL)); }},
        {"Esc", [] { sim::QueueDialogScript(sim::Script().PressEsc()); }},
        {"close box", [] { sim::QueueDialogScript(sim::Script().ClickCloseBox()); }},
        {"other choice then Cancel",
         [] { sim::QueueDialogScript(sim::Script().Click(IDC_ENABLED).Click(IDCANCEL)); }},
        {"OK with the same choice", [] { sim::QueueDialogScript(sim::Script().Click(IDOK)); }},
        {"OK after clicking back to the same choice",
         [] { sim::QueueDialogScript(sim::Script().Click(IDC_ENABLED).Click(IDC_DISABLED).Click(IDOK)); }},
        {"dialog cannot be created", [] { sim::FailCall("DialogBoxParamW", 1, ERROR_NOT_ENOUGH_MEMORY); }},
        {"dialog template missing", [] { sim::RemoveResource(5, IDD_SETTINGS); }},
    };
}

class UnchangedTest : public LaunchSequenceTest, public ::testing::WithParamInterface<UnchangedCase> {};

TEST_P(UnchangedTest, EndsWithZeroAndTouchesNothing) {
    sim::SetDwordValue(kHidUsb, kValueName, 1);
    GetParam().arrange();

    EXPECT_EQ(RunProgram(), 0);

    EXPECT_EQ(sim::Value(kHidUsb, kValueName), kDword1);
    EXPECT_EQ(HidUsbOpens(), 1u) << "only the read";
    const std::vector<std::string> after = CallNamesAfter("DialogBoxParamW");
    EXPECT_FALSE(AnyCallStartsWith(after, "Reg")) << "registry access after the dialog";
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_TRUE(sim::ShutdownRequests().empty());
    EXPECT_EQ(sim::CallCount("DialogBoxParamW"), 1);
}

INSTANTIATE_TEST_SUITE_P(LaunchSequence, UnchangedTest, ::testing::ValuesIn(UnchangedCases()),
                         [](const auto& info) { return TestNameOf(info.param.name); });

// -------------------------------------------------------- changed choice ----

struct ChangeCase {
    const char* name;
    WORD uiLanguage;
    bool storedDisabled;
    int answer;
    std::u16string prompt;
    bool restarts;
};

void PrintTo(const ChangeCase& value, std::ostream* out) {
    *out << value.name;
}

std::vector<ChangeCase> ChangeCases() {
    return {
        {"disable then No", 1033, false, IDNO, kRestartPrompt, false},
        {"enable then No", 1033, true, IDNO, kRestartPrompt, false},
        {"disable then Yes", 1033, false, IDYES, kRestartPrompt, true},
        {"enable then Yes", 1033, true, IDYES, kRestartPrompt, true},
        {"disable then Enter answers No", 1033, false, sim::kPressEnter, kRestartPrompt, false},
        {"disable then the box fails", 1033, false, 0, kRestartPrompt, false},
        {"French disable then No", 1036, false, IDNO, kRestartFrench, false},
        {"French enable then Yes", 1036, true, IDYES, kRestartFrench, true},
        {"Japanese disable then Yes", 1041, false, IDYES, kRestartJapanese, true},
        {"German UI falls back to English", 1031, true, IDNO, kRestartPrompt, false},
    };
}

class ChangedChoiceTest : public LaunchSequenceTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(ChangedChoiceTest, AppliesThenOffersTheRestart) {
    const ChangeCase& change = GetParam();
    sim::SetUiLanguage(change.uiLanguage);
    sim::AddPrivilege(u"SeChangeNotifyPrivilege", true);
    if (change.storedDisabled) {
        sim::SetDwordValue(kHidUsb, kValueName, 1);
    }
    sim::QueueDialogScript(
        sim::Script().Click(change.storedDisabled ? IDC_ENABLED : IDC_DISABLED).Click(IDOK));
    sim::QueueMessageBoxAnswer(change.answer);

    EXPECT_EQ(RunProgram(), 0);

    EXPECT_EQ(sim::Value(kHidUsb, kValueName), change.storedDisabled ? std::nullopt : std::optional(kDword1));
    EXPECT_TRUE(sim::KeyExists(kHidUsb));
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxShown& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.text, change.prompt);
    EXPECT_EQ(box.caption, kTitle);
    EXPECT_EQ(box.type, kRestartBox);
    EXPECT_EQ(box.owner, nullptr);
    const std::vector<std::string> afterPrompt = CallNamesAfter("MessageBoxW");
    EXPECT_FALSE(AnyCallStartsWith(afterPrompt, "Reg")) << "applied before the question";
    if (change.restarts) {
        ASSERT_EQ(sim::ShutdownRequests().size(), 1u);
        EXPECT_EQ(sim::ShutdownRequests()[0].flags, static_cast<UINT>(EWX_REBOOT));
        EXPECT_EQ(sim::ShutdownRequests()[0].reason, 0u);
        EXPECT_TRUE(sim::ShutdownRequests()[0].shutdownPrivilegeEnabled);
        EXPECT_EQ(sim::EnabledPrivileges(), std::vector<std::u16string>()) << "none left enabled";
    } else {
        EXPECT_TRUE(sim::ShutdownRequests().empty());
        EXPECT_EQ(sim::CallCount("OpenProcessToken"), 0);
        EXPECT_EQ(sim::EnabledPrivileges(), std::vector<std::u16string>{u"SeChangeNotifyPrivilege"});
    }
}

INSTANTIATE_TEST_SUITE_P(LaunchSequence, ChangedChoiceTest, ::testing::ValuesIn(ChangeCases()),
                         [](const auto& info) { return TestNameOf(info.param.name); });

struct FailedApply {
    const char* name;
    bool storedDisabled;
    std::function<void()> arrange;
};

void PrintTo(const FailedApply& value, std::ostream* out) {
    *out << value.name;
}

class FailedApplyTest : public LaunchSequenceTest, public ::testing::WithParamInterface<FailedApply> {};

TEST_P(FailedApplyTest, StillAsksAndEndsWithZero) {
    if (GetParam().storedDisabled) {
        sim::SetDwordValue(kHidUsb, kValueName, 1);
    }
    GetParam().arrange();
    sim::QueueDialogScript(
        sim::Script().Click(GetParam().storedDisabled ? IDC_ENABLED : IDC_DISABLED).Click(IDOK));
    sim::QueueMessageBoxAnswer(IDNO);

    EXPECT_EQ(RunProgram(), 0);

    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, kRestartPrompt);
    EXPECT_EQ(sim::Value(kHidUsb, kValueName),
              GetParam().storedDisabled ? std::optional(kDword1) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    LaunchSequence, FailedApplyTest,
    ::testing::Values(
        FailedApply{"write refused", false, [] { sim::SetKeyAccess(kHidUsb, KEY_READ); }},
        FailedApply{"set fails", false, [] { sim::FailCall("RegSetValueExW", 1, ERROR_ACCESS_DENIED); }},
        FailedApply{"delete refused", true, [] { sim::SetKeyAccess(kHidUsb, KEY_READ | KEY_WRITE); }},
        FailedApply{"delete fails", true, [] { sim::FailCall("RegDeleteValueW", 1, ERROR_ACCESS_DENIED); }}),
    [](const auto& info) { return TestNameOf(info.param.name); });

TEST_F(LaunchSequenceTest, ShowsTheDialogWithTheStoredStateAndNoOwner) {
    sim::SetDwordValue(kHidUsb, kValueName, 1);
    sim::SetUiLanguage(1036);
    sim::QueueDialogScript(sim::Script().PressEsc());
    appInstance = nullptr;

    RunProgram();

    EXPECT_EQ(appInstance, sim::ProgramInstance());
    ASSERT_EQ(sim::Dialogs().size(), 1u);
    const sim::DialogSnapshot& dialog = sim::Dialogs()[0];
    EXPECT_EQ(dialog.templateId, IDD_SETTINGS);
    EXPECT_EQ(dialog.language, 1036);
    EXPECT_EQ(dialog.owner, nullptr);
    EXPECT_EQ(dialog.initParam, 0);
    EXPECT_EQ(dialog.caption, kTitle);
    ASSERT_EQ(dialog.controls.size(), 5u);
    EXPECT_EQ(dialog.controls[1].id, IDC_DISABLED);
    EXPECT_EQ(dialog.controls[1].text, u"&Désactiver");
    EXPECT_EQ(dialog.controls[1].checkWhenShown, static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(dialog.controls[2].checkWhenShown, static_cast<UINT>(BST_UNCHECKED));
}

// ------------------------------------------------------------------ gates ----

enum class Gate { None, FutureQuestion, Release, Rights };
constexpr int kSuppressed = -2;
constexpr int kNotAsked = -3;

struct Message {
    std::u16string text;
    UINT type;
};

struct GateCase {
    const char* name;
    DWORD major;
    DWORD minor;
    BYTE productType;
    bool versionQueryFails;
    sim::Account account;
    int futureAnswer;
    std::vector<Message> messages;
    int exitCode;
    Gate refusedBy;
};

void PrintTo(const GateCase& value, std::ostream* out) {
    *out << value.name;
}

std::vector<GateCase> GateCases() {
    const BYTE ws = VER_NT_WORKSTATION;
    const BYTE server = VER_NT_SERVER;
    const auto admin = sim::Account::ElevatedAdmin;
    const auto user = sim::Account::UnelevatedAdmin;
    const Message unsupported{kUnsupported, kUnsupportedBox};
    const Message needAdmin{kNeedAdmin, kNeedAdminBox};
    const Message future{kFutureQuestion, kFutureBox};
    return {
        {"Vista administrator", 6, 0, ws, false, admin, kNotAsked, {}, 0, Gate::None},
        {"Vista user", 6, 0, ws, false, user, kNotAsked, {needAdmin}, -1, Gate::Rights},
        {"Windows 7 administrator", 6, 1, ws, false, admin, kNotAsked, {}, 0, Gate::None},
        {"Windows 7 user", 6, 1, ws, false, sim::Account::User, kNotAsked, {needAdmin}, -1, Gate::Rights},
        {"6.2 workstation administrator", 6, 2, ws, false, admin, kNotAsked, {}, 0, Gate::None},
        {"XP administrator", 5, 1, ws, false, admin, kNotAsked, {unsupported}, -1, Gate::Release},
        {"XP user sees only the release message",
         5,
         1,
         ws,
         false,
         user,
         kNotAsked,
         {unsupported},
         -1,
         Gate::Release},
        {"Server 2008 administrator",
         6,
         0,
         server,
         false,
         admin,
         kNotAsked,
         {unsupported},
         -1,
         Gate::Release},
        {"Server 2008 R2 administrator",
         6,
         1,
         server,
         false,
         admin,
         kNotAsked,
         {unsupported},
         -1,
         Gate::Release},
        {"unknown release administrator", 6, 1, ws, true, admin, kNotAsked, {unsupported}, -1, Gate::Release},
        {"future Yes administrator", 10, 0, ws, false, admin, IDYES, {future}, 0, Gate::None},
        {"future Yes user", 10, 0, ws, false, user, IDYES, {future, needAdmin}, -1, Gate::Rights},
        {"future No administrator", 10, 0, ws, false, admin, IDNO, {future}, -1, Gate::FutureQuestion},
        {"future No user",
         10,
         0,
         server,
         false,
         sim::Account::Guest,
         IDNO,
         {future},
         -1,
         Gate::FutureQuestion},
        {"future box fails administrator", 10, 0, ws, false, admin, 0, {future}, 0, Gate::None},
        {"future suppressed administrator", 10, 0, server, false, admin, kSuppressed, {}, 0, Gate::None},
        {"future suppressed user", 10, 0, ws, false, user, kSuppressed, {needAdmin}, -1, Gate::Rights},
    };
}

class GateTest : public LaunchSequenceTest, public ::testing::WithParamInterface<GateCase> {
  protected:
    void Arrange(const GateCase& gate) {
        sim::VersionAnswer answer;
        answer.major = gate.major;
        answer.minor = gate.minor;
        answer.productType = gate.productType;
        sim::SetVersion(answer);
        if (gate.versionQueryFails) {
            sim::FailCall("GetVersionExW", 1, ERROR_INVALID_PARAMETER);
        }
        sim::SetAccount(gate.account);
        if (gate.futureAnswer == kSuppressed) {
            sim::SetDwordValue(kSwitchKey, u"DisableFutureOSWarning", 1);
        } else if (gate.futureAnswer != kNotAsked) {
            sim::QueueMessageBoxAnswer(gate.futureAnswer);
        }
        for (std::size_t i = gate.futureAnswer == kNotAsked || gate.futureAnswer == kSuppressed ? 0 : 1;
             i < gate.messages.size(); ++i) {
            sim::QueueMessageBoxAnswer(IDOK);
        }
        if (gate.refusedBy == Gate::None) {
            sim::QueueDialogScript(sim::Script().PressEsc());
        }
    }
};

TEST_P(GateTest, RefusesAtTheFirstFailingGateOnly) {
    const GateCase& gate = GetParam();
    Arrange(gate);

    EXPECT_EQ(RunProgram(), gate.exitCode);

    std::vector<std::u16string> texts;
    std::vector<UINT> types;
    for (const sim::MessageBoxShown& box : sim::MessageBoxes()) {
        texts.push_back(box.text.value_or(u"(null)"));
        types.push_back(box.type);
        EXPECT_EQ(box.caption, kTitle);
        EXPECT_EQ(box.owner, nullptr);
    }
    std::vector<std::u16string> expectedTexts;
    std::vector<UINT> expectedTypes;
    for (const Message& message : gate.messages) {
        expectedTexts.push_back(message.text);
        expectedTypes.push_back(message.type);
    }
    EXPECT_EQ(texts, expectedTexts);
    EXPECT_EQ(types, expectedTypes);
    const bool refused = gate.refusedBy != Gate::None;
    const bool rightsChecked = gate.refusedBy == Gate::None || gate.refusedBy == Gate::Rights;
    EXPECT_EQ(sim::CallCount("AllocateAndInitializeSid"), rightsChecked ? 1 : 0);
    EXPECT_EQ(HidUsbOpens(), refused ? 0u : 1u);
    EXPECT_EQ(sim::CallCount("DialogBoxParamW"), refused ? 0 : 1);
    const auto names = sim::CallNames();
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              (std::vector<std::string>{"CreateMutexW", "GetLastError", "LoadStringW", "LoadStringW"}))
        << "the guard first, then both texts before the release is known";
    const bool future = gate.major > 6 && !gate.versionQueryFails;
    for (const sim::RegistryOpen& open : sim::RegistryOpens()) {
        EXPECT_TRUE(open.path == kHidUsb || (future && open.path == kSwitchKey))
            << "unexpected registry access to " << std::string(open.path.begin(), open.path.end());
    }
}

INSTANTIATE_TEST_SUITE_P(LaunchSequence, GateTest, ::testing::ValuesIn(GateCases()),
                         [](const auto& info) { return TestNameOf(info.param.name); });

// -------------------------------------------------------- single instance ----

struct SecondCopy {
    const char* name;
    DWORD logon;
    int exitCode;
    std::size_t dialogs;
};

void PrintTo(const SecondCopy& value, std::ostream* out) {
    *out << value.name;
}

class SecondCopyTest : public LaunchSequenceTest, public ::testing::WithParamInterface<SecondCopy> {};

TEST_P(SecondCopyTest, StartedWhileTheFirstShowsItsDialog) {
    int secondExit = 42;
    const DWORD logon = GetParam().logon;
    sim::QueueDialogScript(sim::Script()
                               .Run([&] {
                                   sim::SetLogonId(logon);
                                   secondExit = RunProgram();
                                   sim::SetLogonId(1);
                               })
                               .PressEsc());
    if (GetParam().dialogs == 2) {
        sim::QueueDialogScript(sim::Script().PressEsc());
    }

    EXPECT_EQ(RunProgram(), 0);

    EXPECT_EQ(secondExit, GetParam().exitCode);
    EXPECT_EQ(sim::Dialogs().size(), GetParam().dialogs);
    EXPECT_TRUE(sim::MessageBoxes().empty()) << "the refusal is silent";
    EXPECT_FALSE(sim::MutexExists(kMutexName, logon));
}

INSTANTIATE_TEST_SUITE_P(LaunchSequence, SecondCopyTest,
                         ::testing::Values(SecondCopy{"same logon is refused", 1, -1, 1},
                                           SecondCopy{"other logon runs", 2, 0, 2}),
                         [](const auto& info) { return TestNameOf(info.param.name); });

TEST_F(LaunchSequenceTest, CopyAfterTheFirstEndedRuns) {
    sim::QueueDialogScript(sim::Script().PressEsc());
    sim::QueueDialogScript(sim::Script().PressEsc());

    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(RunProgram(), 0);

    EXPECT_EQ(sim::Dialogs().size(), 2u);
}

TEST_F(LaunchSequenceTest, CopyAfterARefusedOneRuns) {
    sim::SetAccount(sim::Account::User);
    sim::QueueMessageBoxAnswer(IDOK);
    EXPECT_EQ(RunProgram(), -1);

    sim::SetAccount(sim::Account::ElevatedAdmin);
    sim::QueueDialogScript(sim::Script().PressEsc());
    EXPECT_EQ(RunProgram(), 0);
}

TEST_F(LaunchSequenceTest, CopyWhileAnotherProcessHoldsTheNameIsSilent) {
    const int other = sim::HoldMutexInOtherProcess(kMutexName, 1);

    EXPECT_EQ(RunProgram(), -1);

    EXPECT_EQ(sim::CallNames(), (std::vector<std::string>{"CreateMutexW", "GetLastError", "CloseHandle"}));
    sim::EndOtherProcess(other);
}

}  // namespace
