#include "ui/settings_dialog.h"

#include "app/process_state.h"
#include "res/resource.h"

namespace {

void CheckRadioOfState(HWND dialog, FastResumeState state) {
    const HWND radio = GetDlgItem(dialog, state == Enabled ? IDC_ENABLED : IDC_DISABLED);
    if (radio != nullptr) {
        SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
    }
}

// With neither radio button checked the previous choice stands.
void TakeCheckedState(HWND dialog) {
    if (IsButtonChecked(IDC_ENABLED, dialog) == BST_CHECKED) {
        chosenState = Enabled;
    } else if (IsButtonChecked(IDC_DISABLED, dialog) == BST_CHECKED) {
        chosenState = Disabled;
    }
}

// The identifier of the OK or Cancel button whose click the command reports,
// 0 for any other command. Esc and the close box arrive as a click of Cancel.
int ClosingButtonOf(WPARAM wParam, LPARAM lParam) {
    const HWND sender = reinterpret_cast<HWND>(lParam);
    if (sender == nullptr) {
        return 0;
    }
    const int senderId = GetDlgCtrlID(sender);
    if ((senderId != IDOK && senderId != IDCANCEL) || HIWORD(wParam) != BN_CLICKED) {
        return 0;
    }
    return senderId;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
    const int button = ClosingButtonOf(wParam, lParam);
    if (button == 0) {
        return FALSE;
    }
    if (button == IDOK) {
        TakeCheckedState(dialog);
    }
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

}  // namespace

int IsButtonChecked(int controlId, HWND dialog) {
    const HWND control = GetDlgItem(dialog, controlId);
    if (control == nullptr) {
        return 0;
    }
    return static_cast<int>(SendMessageW(control, BM_GETCHECK, 0, 0));
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            CheckRadioOfState(dialog, chosenState);
            return TRUE;  // the platform sets the initial focus
        case WM_COMMAND:
            return OnCommand(dialog, wParam, lParam);
        default:
            return FALSE;
    }
}
