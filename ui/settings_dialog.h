#pragma once

#include "platform/windows_api.h"

// Procedure of the IDD_SETTINGS dialog: shows chosenState as two radio buttons
// and stores the checked one in chosenState when the user confirms with OK.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// BM_GETCHECK of the dialog's control controlId; 0 when there is no such control.
int IsButtonChecked(int controlId, HWND dialog);
