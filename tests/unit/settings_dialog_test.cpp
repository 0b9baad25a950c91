// The settings dialog run by the simulated dialog manager from the compiled
// template, driven the way a user drives it.
#include <stdexcept>

#include "app/process_state.h"
#include "res/resource.h"
#include "tests/unit/sim_fixture.h"
#include "ui/settings_dialog.h"

namespace {

constexpr WPARAM Clicked(int id) {
    return static_cast<WPARAM>(static_cast<WORD>(id));
}
constexpr WPARAM WithNotification(int id, WORD code) {
    return static_cast<WPARAM>(static_cast<WORD>(id) | static_cast<DWORD>(code) << 16);
}

struct DialogCase {
    const char* name;
    FastResumeState before;
    sim::Script script;
    INT_PTR result;
    FastResumeState after;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const DialogCase& value, std::ostream* out) {
    *out << value.name;
}

std::vector<DialogCase> DialogCases() {
    using sim::Script;
    return {
        {"OK keeps Enabled", Enabled, Script().Click(IDOK), IDOK, Enabled},
        {"OK keeps Disabled", Disabled, Script().Click(IDOK), IDOK, Disabled},
        {"Cancel", Enabled, Script().Click(IDCANCEL), IDCANCEL, Enabled},
        {"Esc", Disabled, Script().PressEsc(), IDCANCEL, Disabled},
        {"close box", Enabled, Script().ClickCloseBox(), IDCANCEL, Enabled},
        {"Enter presses the focused OK", Disabled, Script().PressEnter(), IDOK, Disabled},
        {"Disabled then OK", Enabled, Script().Click(IDC_DISABLED).Click(IDOK), IDOK, Disabled},
        {"Enabled then OK", Disabled, Script().Click(IDC_ENABLED).Click(IDOK), IDOK, Enabled},
        {"Disabled then Cancel", Enabled, Script().Click(IDC_DISABLED).Click(IDCANCEL), IDCANCEL, Enabled},
        {"Enabled then Esc", Disabled, Script().Click(IDC_ENABLED).PressEsc(), IDCANCEL, Disabled},
        {"Disabled then close box", Enabled, Script().Click(IDC_DISABLED).ClickCloseBox(), IDCANCEL, Enabled},
        // The focus is on the radio button now, so Enter presses the default push button, Cancel.
        {"Disabled then Enter", Enabled, Script().Click(IDC_DISABLED).PressEnter(), IDCANCEL, Enabled},
        {"Tab to Cancel then Enter", Enabled, Script().Click(IDC_DISABLED).PressTab().PressTab().PressEnter(),
         IDCANCEL, Enabled},
        {"OK with a notification code is ignored", Enabled,
         Script().Click(IDC_DISABLED).Command(WithNotification(IDOK, 1), IDOK).Click(IDCANCEL), IDCANCEL,
         Enabled},
        {"Cancel with a notification code is ignored", Enabled,
         Script().Command(WithNotification(IDCANCEL, 5), IDCANCEL).Click(IDC_DISABLED).Click(IDOK), IDOK,
         Disabled},
        {"OK without a sender window is ignored", Enabled,
         Script().Click(IDC_DISABLED).CommandWithoutSender(Clicked(IDOK)).PressEsc(), IDCANCEL, Enabled},
        {"OK sent from the radio button's window is ignored", Enabled,
         Script().Click(IDC_DISABLED).Command(Clicked(IDOK), IDC_DISABLED).Click(IDCANCEL), IDCANCEL,
         Enabled},
        {"radio clicks alone do not end the dialog", Enabled,
         Script().Click(IDC_DISABLED).Click(IDC_ENABLED).Click(IDC_DISABLED).Click(IDOK), IDOK, Disabled},
    };
}

class SettingsDialogTest : public SimTest, public ::testing::WithParamInterface<DialogCase> {
  protected:
    static INT_PTR RunDialog() {
        return DialogBoxParamW(sim::ProgramInstance(), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr,
                               SettingsDialogProc, 0);
    }
    static const sim::ControlSnapshot& ControlOf(const sim::DialogSnapshot& dialog, int id) {
        for (const sim::ControlSnapshot& control : dialog.controls) {
            if (control.id == id) {
                return control;
            }
        }
        throw std::runtime_error("no control " + std::to_string(id));
    }
};

TEST_P(SettingsDialogTest, EndsWithTheUsersChoice) {
    const DialogCase& dialogCase = GetParam();
    chosenState = dialogCase.before;
    initialState = dialogCase.before;
    sim::QueueDialogScript(dialogCase.script);

    const INT_PTR result = RunDialog();

    EXPECT_EQ(result, dialogCase.result);
    EXPECT_EQ(chosenState, dialogCase.after);
    EXPECT_EQ(initialState, dialogCase.before) << "the dialog never touches initialState";
    ASSERT_EQ(sim::Dialogs().size(), 1u);
    const sim::DialogSnapshot& shown = sim::Dialogs()[0];
    EXPECT_TRUE(shown.shown);
    EXPECT_EQ(ControlOf(shown, IDC_DISABLED).checkWhenShown,
              static_cast<UINT>(dialogCase.before == Disabled ? BST_CHECKED : BST_UNCHECKED));
    EXPECT_EQ(ControlOf(shown, IDC_ENABLED).checkWhenShown,
              static_cast<UINT>(dialogCase.before == Enabled ? BST_CHECKED : BST_UNCHECKED));
    EXPECT_EQ(shown.focusWhenShown, IDOK) << "WM_INITDIALOG must let the platform set the focus";
    EXPECT_EQ(sim::CallCount("EndDialog"), 1);
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsDialogTest, ::testing::ValuesIn(DialogCases()),
                         [](const auto& info) { return TestNameOf(info.param.name); });

TEST_F(SettingsDialogTest, OkWithNeitherRadioCheckedKeepsTheChoice) {
    chosenState = Enabled;
    sim::QueueDialogScript(sim::Script()
                               .Run([] {
                                   SendMessageW(GetDlgItem(sim::ActiveDialog(), IDC_ENABLED), BM_SETCHECK,
                                                BST_UNCHECKED, 0);
                               })
                               .Click(IDOK));

    EXPECT_EQ(RunDialog(), IDOK);

    EXPECT_EQ(chosenState, Enabled);
}

TEST_F(SettingsDialogTest, IsButtonCheckedAnswersPerControl) {
    chosenState = Enabled;
    int enabled = -1;
    int disabled = -1;
    int missing = -1;
    int pushButton = -1;
    sim::QueueDialogScript(sim::Script()
                               .Run([&] {
                                   const HWND dialog = sim::ActiveDialog();
                                   enabled = IsButtonChecked(IDC_ENABLED, dialog);
                                   disabled = IsButtonChecked(IDC_DISABLED, dialog);
                                   missing = IsButtonChecked(4242, dialog);
                                   pushButton = IsButtonChecked(IDOK, dialog);
                               })
                               .PressEsc());

    RunDialog();

    EXPECT_EQ(enabled, BST_CHECKED);
    EXPECT_EQ(disabled, BST_UNCHECKED);
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(pushButton, 0);
}

TEST_F(SettingsDialogTest, UnhandledMessagesAreLeftToThePlatform) {
    const HWND dialog = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x5000));
    EXPECT_EQ(SettingsDialogProc(dialog, WM_CLOSE, 0, 0), FALSE);
    EXPECT_EQ(SettingsDialogProc(dialog, 0x0401, 1, 2), FALSE);
}

}  // namespace
