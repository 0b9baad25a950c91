// The probe's side: arranging with real calls of Windows (or Wine), and the
// user's dialog actions played as messages through the dialog's own modal
// loop, so that the dialog manager turns them into what a procedure receives.
#include <algorithm>
#include <vector>

#include "tests/fidelity/arrange.h"
#include "tests/fidelity/result_text.h"

namespace {

// wParam: the index of the action to play.
constexpr UINT kPlayAction = WM_APP + 1;

std::vector<DialogAction> g_actions;

bool DeleteTree(HKEY root, const wchar_t* path, REGSAM view) {
    HKEY key = nullptr;
    const LSTATUS opened = RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS | view, &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
        return true;
    }
    if (opened != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS emptied = RegDeleteTreeW(key, nullptr);
    RegCloseKey(key);
    return emptied == ERROR_SUCCESS && RegDeleteKeyExW(root, path, view, 0) == ERROR_SUCCESS;
}

// Everyone may do `granted` on the key and the keys created below it; the
// parent's entries no longer apply.
bool SetOnlyGrant(HKEY key, REGSAM granted) {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        return false;
    }
    alignas(DWORD) BYTE aclBuffer[256];
    const auto acl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR descriptor;
    const bool built = InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
                       AddAccessAllowedAceEx(acl, ACL_REVISION, CONTAINER_INHERIT_ACE, granted, everyone) &&
                       InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                       SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    const bool set =
        built && RegSetKeySecurity(key, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   &descriptor) == ERROR_SUCCESS;
    FreeSid(everyone);
    return set;
}

// The owner may always change the rights of its key: give everything back
// to everyone, so that the key can be deleted.
bool GrantEverything(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(path).data(), 0, WRITE_DAC, &key) != ERROR_SUCCESS) {
        return true;
    }
    SECURITY_DESCRIPTOR descriptor;
    const bool set = InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                     SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE) &&
                     RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    RegCloseKey(key);
    return set;
}

std::vector<std::string>& RestrictedKeys() {
    static std::vector<std::string> keys;
    return keys;
}

void PostKey(HWND dialog, WPARAM virtualKey) {
    const HWND focus = GetFocus();
    PostMessageW(focus != nullptr ? focus : dialog, WM_KEYDOWN, virtualKey, 1);
}

void Play(HWND dialog, const DialogAction& action) {
    switch (action.kind) {
        case DialogAction::Kind::Click:
            PostMessageW(GetDlgItem(dialog, action.controlId), BM_CLICK, 0, 0);
            break;
        case DialogAction::Kind::Esc:
            PostKey(dialog, VK_ESCAPE);
            break;
        case DialogAction::Kind::Enter:
            PostKey(dialog, VK_RETURN);
            break;
        case DialogAction::Kind::Tab:
            PostKey(dialog, VK_TAB);
            break;
        case DialogAction::Kind::CloseBox:
            // What the default window procedure sends when the close box is clicked.
            SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
    }
}

}  // namespace

bool ArrangeCleanMachine() {
    bool restored = true;
    for (const std::string& path : RestrictedKeys()) {
        restored = GrantEverything(path) && restored;
    }
    return restored && DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuenloftFidelity", KEY_WOW64_32KEY) &&
           DeleteTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\QuenloftFidelity", KEY_WOW64_64KEY) &&
           DeleteTree(HKEY_LOCAL_MACHINE, L"SYSTEM\\QuenloftFidelity", KEY_WOW64_64KEY);
}

// Asks for no more than changing the rights, which the owner keeps whatever
// an earlier arrangement granted.
bool ArrangeKeyGrants(const std::string& path, REGSAM granted) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, Wide(path).data(), 0, nullptr, REG_OPTION_NON_VOLATILE, WRITE_DAC,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool set = SetOnlyGrant(key, granted);
    RegCloseKey(key);
    std::vector<std::string>& restricted = RestrictedKeys();
    if (std::find(restricted.begin(), restricted.end(), path) == restricted.end()) {
        restricted.push_back(path);
    }
    return set;
}

void PresetLastError(DWORD error) {
    SetLastError(error);
}

void ArrangeDialogActions(const std::vector<DialogAction>& actions) {
    g_actions = actions;
}

void StartDialogActions(HWND dialog) {
    PostMessageW(dialog, kPlayAction, 0, 0);
}

// Each action is followed by a message that plays the next one, so that
// whatever the action made the dialog manager do is done before. A dialog
// still open after the last action ends with -1.
bool HandleDialogActionMessage(HWND dialog, UINT message, WPARAM wParam) {
    if (message != kPlayAction) {
        return false;
    }
    const auto index = static_cast<std::size_t>(wParam);
    if (index < g_actions.size()) {
        Play(dialog, g_actions[index]);
        PostMessageW(dialog, kPlayAction, index + 1, 0);
    } else {
        EndDialog(dialog, -1);
    }
    return true;
}

std::string SideNotes() {
    return "";
}
