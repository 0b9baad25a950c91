#include "env/admin_check.h"

#include "platform/windows_api.h"

namespace {

struct BuiltinGroupRow {
    BuiltinGroup group;
    BYTE subAuthorityCount;
    DWORD subAuthorities[8];
};

const BuiltinGroupRow kBuiltinGroupTable[] = {
    {Administrators, 2, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0}},
    {Guests, 2, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_GUESTS, 0, 0, 0, 0, 0, 0}},
};

const BuiltinGroupRow* FindBuiltinGroup(BuiltinGroup group) {
    for (const BuiltinGroupRow& row : kBuiltinGroupTable) {
        if (row.group == group) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace

bool IsTokenMemberOf(BuiltinGroup group) {
    const BuiltinGroupRow* row = FindBuiltinGroup(group);
    if (row == nullptr) {
        return false;
    }
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID sid = nullptr;
    const DWORD* rid = row->subAuthorities;
    if (!AllocateAndInitializeSid(&ntAuthority, row->subAuthorityCount, rid[0], rid[1], rid[2], rid[3],
                                  rid[4], rid[5], rid[6], rid[7], &sid)) {
        return false;
    }
    // No token: the platform checks the effective token of the calling thread.
    BOOL isMember = FALSE;
    if (!CheckTokenMembership(nullptr, sid, &isMember)) {
        isMember = FALSE;
    }
    FreeSid(sid);
    return isMember != FALSE;
}

bool IsUserAdmin() {
    return IsTokenMemberOf(Administrators);
}
