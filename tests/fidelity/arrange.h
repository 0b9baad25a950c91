// What the cases need of the machine beyond the program's own subset of the
// interface. The probe does it with real calls; the host side through the
// simulation's test interface. Registry paths are under HKEY_LOCAL_MACHINE as
// a 32-bit program names them.
#pragma once

#include <string>
#include <vector>

#include "platform/windows_api.h"

// A machine without any of the table's keys; false when that failed.
bool ArrangeCleanMachine();
// Creates the key if needed and lets an open or create be granted only
// `granted` on it and on the keys created below it.
bool ArrangeKeyGrants(const std::string& path, REGSAM granted);
void PresetLastError(DWORD error);

// What the user does in the next dialog, in order.
struct DialogAction {
    enum class Kind { Click, Esc, Enter, Tab, CloseBox };
    Kind kind;
    int controlId;  // Click only
};
void ArrangeDialogActions(const std::vector<DialogAction>& actions);
// Called by the dialog procedure while it handles WM_INITDIALOG.
void StartDialogActions(HWND dialog);
// Lets the side handle a message of its own that reached the dialog
// procedure; false for every other message.
bool HandleDialogActionMessage(HWND dialog, UINT message, WPARAM wParam);

// What the side noticed since the last call ("" when nothing): the
// simulation's own problem reports on the host, nothing in the probe.
std::string SideNotes();
