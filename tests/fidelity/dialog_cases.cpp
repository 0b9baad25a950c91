// The dialog manager on the program's own template IDD_SETTINGS: what a
// procedure receives when the user clicks a radio button or a push button,
// presses Esc, Enter or Tab, or clicks the close box. The procedure records
// every WM_INITDIALOG, WM_COMMAND and WM_CLOSE; the record is the result.
#include "res/resource.h"
#include "tests/fidelity/arrange.h"
#include "tests/fidelity/fidelity_case.h"
#include "tests/fidelity/result_text.h"

namespace {

using Kind = DialogAction::Kind;

std::string* g_record = nullptr;
// The radio button the procedure checks while it handles WM_INITDIALOG, as the
// program's own procedure does; 0 for none.
int g_checkedAtInit = 0;

std::string Checked(HWND dialog, int controlId) {
    const HWND control = GetDlgItem(dialog, controlId);
    return control == nullptr ? "-" : Number(static_cast<DWORD>(SendMessageW(control, BM_GETCHECK, 0, 0)));
}

std::string RadioStates(HWND dialog) {
    return Checked(dialog, IDC_DISABLED) + Checked(dialog, IDC_ENABLED);
}

// "own" when the window is the control of that id, else the id the window has.
std::string DescribeSender(HWND dialog, int controlId, HWND sender) {
    if (sender == nullptr) {
        return "null";
    }
    if (sender == GetDlgItem(dialog, controlId)) {
        return "own";
    }
    return "control " + std::to_string(GetDlgCtrlID(sender));
}

void Record(const std::string& event) {
    *g_record += (g_record->empty() ? "" : " ") + event;
}

void RecordCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    Record("command(" + std::to_string(id) + "," + std::to_string(HIWORD(wParam)) + "," +
           DescribeSender(dialog, id, reinterpret_cast<HWND>(lParam)) + ") radios=" + RadioStates(dialog));
}

INT_PTR CALLBACK RecordingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const HWND focus = reinterpret_cast<HWND>(wParam);
            Record("init(focus " +
                   (focus == nullptr ? std::string("null") : std::to_string(GetDlgCtrlID(focus))) + ")");
            if (g_checkedAtInit != 0) {
                SendMessageW(GetDlgItem(dialog, g_checkedAtInit), BM_SETCHECK, BST_CHECKED, 0);
            }
            StartDialogActions(dialog);
            return TRUE;
        }
        case WM_COMMAND:
            RecordCommand(dialog, wParam, lParam);
            if ((LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) && HIWORD(wParam) == BN_CLICKED) {
                EndDialog(dialog, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            Record("close");
            return FALSE;
        default:
            return HandleDialogActionMessage(dialog, message, wParam) ? TRUE : FALSE;
    }
}

std::string RunSettingsDialog(int checkedAtInit, const std::vector<DialogAction>& actions) {
    std::string record;
    g_record = &record;
    g_checkedAtInit = checkedAtInit;
    ArrangeDialogActions(actions);
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr,
                                           RecordingProcedure, 0);
    g_record = nullptr;
    return record + " result=" + std::to_string(result);
}

FidelityCase DialogCase(const std::string& name, std::vector<DialogAction> actions,
                        std::optional<WineDeviation> deviation = std::nullopt) {
    return {name, [actions] { return RunSettingsDialog(IDC_DISABLED, actions); }, std::move(deviation)};
}

FidelityCase DialogCaseWithoutCheck(const std::string& name, std::vector<DialogAction> actions,
                                    std::optional<WineDeviation> deviation = std::nullopt) {
    return {name, [actions] { return RunSettingsDialog(0, actions); }, std::move(deviation)};
}

// Microsoft's documentation: WM_INITDIALOG - a procedure that returns TRUE has
// the focus put on the control in wParam, the first visible, enabled
// WS_TABSTOP control (here OK); KB Q67655 - Enter presses the default push
// button only while the focus is not on another push button, which Enter
// then presses. Wine 8.0 departs from both when the dialog opens.
const char kFocusAtOpen[] =
    "Windows: the focus starts on OK. Wine 8.0 moves it to the checked radio button when one is checked";
const char kEnterOnFocusedButton[] =
    "Windows: Enter presses the push button that has the focus. Wine 8.0 presses the template's default push "
    "button (Cancel) while the focus is still where the dialog manager first put it";

constexpr DialogAction Click(int controlId) {
    return {Kind::Click, controlId};
}
constexpr DialogAction kEsc{Kind::Esc, 0};
constexpr DialogAction kEnter{Kind::Enter, 0};
constexpr DialogAction kTab{Kind::Tab, 0};
constexpr DialogAction kCloseBox{Kind::CloseBox, 0};

}  // namespace

std::vector<FidelityCase> DialogCases() {
    return {
        DialogCase("dialog_ok", {Click(IDOK)}),
        DialogCase("dialog_cancel", {Click(IDCANCEL)}),
        DialogCase("dialog_radio_then_ok", {Click(IDC_ENABLED), Click(IDOK)}),
        DialogCase("dialog_checked_radio_then_esc", {Click(IDC_DISABLED), kEsc}),
        DialogCase("dialog_esc", {kEsc}),
        DialogCase("dialog_radio_then_esc", {Click(IDC_ENABLED), kEsc}),
        DialogCase("dialog_close_box", {kCloseBox}),
        DialogCase("dialog_enter_at_open", {kEnter},
                   WineDeviation{"init(focus 1) command(1,0,own) radios=10 result=1",
                                 "init(focus 1) command(2,0,own) radios=10 result=2",
                                 std::string(kFocusAtOpen) + "; " + kEnterOnFocusedButton}),
        DialogCase("dialog_radio_then_enter", {Click(IDC_ENABLED), kEnter}),
        DialogCase(
            "dialog_tab_then_enter", {kTab, kEnter},
            WineDeviation{"init(focus 1) command(2,0,own) radios=10 result=2",
                          "init(focus 1) command(1,0,own) radios=10 result=1",
                          std::string(kFocusAtOpen) + ", so Tab takes the focus to OK instead of Cancel"}),
        DialogCaseWithoutCheck(
            "dialog_unchecked_enter_at_open", {kEnter},
            WineDeviation{"init(focus 1) command(1,0,own) radios=00 result=1",
                          "init(focus 1) command(2,0,own) radios=00 result=2", kEnterOnFocusedButton}),
        DialogCaseWithoutCheck("dialog_unchecked_tab_then_enter", {kTab, kEnter}),
    };
}
