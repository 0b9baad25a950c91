#include "app/launch_sequence.h"

#include "app/process_state.h"
#include "env/admin_check.h"
#include "env/future_os.h"
#include "env/single_instance.h"
#include "env/win_version.h"
#include "res/resource.h"
#include "setting/fast_resume_store.h"
#include "setting/restart.h"
#include "ui/message.h"
#include "ui/settings_dialog.h"

namespace {

const WCHAR kInstanceMutexName[] = L"Korvantis.Quenloft.ExclusiveMutex";

bool IsSupportedRelease(WinKind kind) {
    return kind == WinVista || kind == Win7 || kind == WinFuture;
}

void ApplyChosenState() {
    // A failed registry call is deliberately not reported: the restart question follows all the same.
    if (chosenState == Enabled) {
        DeleteFastResumeDisable();
    } else {
        WriteFastResumeDisable();
    }
}

void ApplyAndOfferRestart() {
    ApplyChosenState();
    if (ShowMessage(IDS_RESTART_PROMPT, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2) == IDYES) {
        RestartWindows();
    }
}

}  // namespace

int RunLaunchSequence(HINSTANCE instance) {
    appInstance = instance;

    CMultipleInstancePreventer instanceGuard(kInstanceMutexName);
    if (!instanceGuard.Acquire()) {
        return kExitRefused;
    }

    // Both texts are loaded before the release is known; a missing string leaves its buffer empty.
    WCHAR title[kTextCapacity] = {};
    WCHAR futureQuestion[kTextCapacity] = {};
    LoadStringW(instance, IDS_TITLE, title, kTextCapacity);
    LoadStringW(instance, IDS_FUTURE_OS_CONFIRM, futureQuestion, kTextCapacity);

    const CWinVersion version;
    if (version.m_kind == WinFuture && !ConfirmFutureOS(futureQuestion, title)) {
        return kExitRefused;
    }
    if (!IsSupportedRelease(version.m_kind)) {
        ShowMessage(IDS_UNSUPPORTED_OS, MB_OK | MB_ICONERROR);
        return kExitRefused;
    }
    if (!IsUserAdmin()) {
        ShowMessage(IDS_NEED_ADMIN, MB_OK | MB_ICONWARNING);
        return kExitRefused;
    }

    LoadFastResumeState();
    const INT_PTR dialogResult =
        DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, SettingsDialogProc, 0);
    if (dialogResult == IDOK && chosenState != initialState) {
        ApplyAndOfferRestart();
    }
    return kExitCompleted;
}
