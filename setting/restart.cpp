#include "setting/restart.h"

#include "platform/windows_api.h"

static_assert(sizeof(TOKEN_PRIVILEGES) == 16,
              "one privilege entry: the size passed to AdjustTokenPrivileges");

void RestartWindows() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return;
    }

    // Zero-initialised so that a failed lookup passes a defined identifier, not stack contents.
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;

    // None of these results is examined: a missing privilege or a refused
    // shutdown only means that no restart happens, and the privileges are
    // dropped again either way.
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    ExitWindowsEx(EWX_REBOOT, 0);
    AdjustTokenPrivileges(token, TRUE, &privileges, sizeof privileges, nullptr, nullptr);

    CloseHandle(token);
}
