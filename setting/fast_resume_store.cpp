#include "setting/fast_resume_store.h"

#include "app/process_state.h"
#include "setting/registry_dword.h"

namespace {

const WCHAR kHidUsbKeyPath[] = L"SYSTEM\\CurrentControlSet\\Services\\HidUsb";
const WCHAR kFastResumeDisableName[] = L"FastResumeDisable";
const DWORD kReadBufferSize = 256;
const DWORD kFastResumeDisabled = 1;

// No registry-view flag: the SYSTEM hive is the same for 32-bit and 64-bit programs.
LSTATUS OpenOrCreateHidUsbKey(REGSAM access, HKEY& key) {
    DWORD disposition = 0;
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, kHidUsbKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                           nullptr, &key, &disposition);
}

}  // namespace

bool ReadFastResumeDisable(DWORD& value) {
    return QueryRegistryDword<kReadBufferSize>(HKEY_LOCAL_MACHINE, kHidUsbKeyPath, KEY_QUERY_VALUE,
                                               kFastResumeDisableName, value);
}

bool WriteFastResumeDisable() {
    HKEY key = nullptr;
    // Some machines refuse full access to a driver's service key but grant writing.
    if (OpenOrCreateHidUsbKey(KEY_ALL_ACCESS, key) != ERROR_SUCCESS &&
        OpenOrCreateHidUsbKey(KEY_WRITE, key) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status =
        RegSetValueExW(key, kFastResumeDisableName, 0, REG_DWORD,
                       reinterpret_cast<const BYTE*>(&kFastResumeDisabled), sizeof kFastResumeDisabled);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool DeleteFastResumeDisable() {
    HKEY key = nullptr;
    if (OpenOrCreateHidUsbKey(KEY_ALL_ACCESS, key) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS status = RegDeleteValueW(key, kFastResumeDisableName);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void LoadFastResumeState() {
    DWORD value = 0;
    const FastResumeState state =
        ReadFastResumeDisable(value) && value == kFastResumeDisabled ? Disabled : Enabled;
    initialState = state;
    chosenState = state;
}
