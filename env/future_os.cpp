#include "env/future_os.h"

#include "setting/registry_dword.h"

namespace {

const WCHAR kCommonKeyPath[] = L"SOFTWARE\\Korvantis\\Common";
const WCHAR kDisableWarningName[] = L"DisableFutureOSWarning";
const DWORD kSwitchBufferSize = 260;

// The 64-bit view, so that on 64-bit Windows this 32-bit program reads the
// native key an administrator set rather than its redirected 32-bit copy.
bool IsWarningSuppressed() {
    DWORD value = 0;
    return QueryRegistryDword<kSwitchBufferSize>(HKEY_LOCAL_MACHINE, kCommonKeyPath,
                                                 KEY_WOW64_64KEY | KEY_QUERY_VALUE, kDisableWarningName,
                                                 value) &&
           value == 1;
}

}  // namespace

bool ConfirmFutureOS(LPCWSTR text, LPCWSTR caption) {
    if (IsWarningSuppressed()) {
        return true;
    }
    if (text == nullptr || caption == nullptr) {
        return true;
    }
    // Only an explicit No stops; a box that could not be shown (0) lets the program go on.
    return MessageBoxW(nullptr, text, caption, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TOPMOST) !=
           IDNO;
}
