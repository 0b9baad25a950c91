// The process token (privileges with their LUIDs, groups with attributes),
// SIDs, and the restart request, which is recorded and never acted on.
#include <algorithm>

#include "sim/calls.h"
#include "sim/handles.h"
#include "sim/state.h"
#include "sim/text.h"

namespace sim::detail {

namespace {

constexpr DWORD kErrorNoImpersonationToken = 1309;
constexpr DWORD kErrorInvalidSid = 1337;
// ExitWindowsEx without SeShutdownPrivilege enabled: "A required privilege is
// not held by the client."
constexpr DWORD kErrorPrivilegeNotHeld = 1314;
constexpr DWORD kErrorInsufficientBuffer = 122;
constexpr DWORD kPrivilegeRemoved = 0x00000004;
constexpr DWORD kEnabled = static_cast<DWORD>(SE_PRIVILEGE_ENABLED);
const auto kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

struct KnownPrivilege {
    const char16_t* name;
    DWORD luid;
};

// The locally unique identifiers Windows assigns to these privileges.
const KnownPrivilege kKnownPrivileges[] = {
    {u"SeSystemtimePrivilege", 12},     {u"SeBackupPrivilege", 17}, {u"SeRestorePrivilege", 18},
    {u"SeShutdownPrivilege", 19},       {u"SeDebugPrivilege", 20},  {u"SeChangeNotifyPrivilege", 23},
    {u"SeRemoteShutdownPrivilege", 24}, {u"SeUndockPrivilege", 25}, {u"SeIncreaseWorkingSetPrivilege", 33},
    {u"SeTimeZonePrivilege", 34},
};

SecurityState& Security() {
    return W().security;
}

const KnownPrivilege* FindKnownPrivilege(const std::u16string& name) {
    for (const KnownPrivilege& known : kKnownPrivileges) {
        if (EqualsIgnoringCase(known.name, name)) {
            return &known;
        }
    }
    return nullptr;
}

PrivilegeEntry* FindPrivilege(const LUID& luid) {
    for (PrivilegeEntry& entry : Security().privileges) {
        if (entry.luid.LowPart == luid.LowPart && entry.luid.HighPart == luid.HighPart) {
            return &entry;
        }
    }
    return nullptr;
}

bool IsShutdownPrivilegeEnabled() {
    const PrivilegeEntry* shutdown = FindPrivilege(sim::PrivilegeLuid(u"SeShutdownPrivilege"));
    return shutdown != nullptr && shutdown->enabled;
}

std::vector<LUID_AND_ATTRIBUTES> EntriesOf(const TOKEN_PRIVILEGES* state) {
    std::vector<LUID_AND_ATTRIBUTES> entries;
    if (state != nullptr) {
        const LUID_AND_ATTRIBUTES* first = &state->Privileges[0];
        entries.assign(first, first + state->PrivilegeCount);
    }
    return entries;
}

DWORD TokenPrivilegesSize(std::size_t count) {
    return static_cast<DWORD>(sizeof(DWORD) + count * sizeof(LUID_AND_ATTRIBUTES));
}

// The documented change: each listed privilege is enabled or disabled; one the
// token lacks is skipped and reported as ERROR_NOT_ALL_ASSIGNED.
DWORD ApplyPrivileges(BOOL disableAll, const std::vector<LUID_AND_ATTRIBUTES>& entries,
                      std::vector<LUID_AND_ATTRIBUTES>& previous) {
    if (disableAll) {
        for (PrivilegeEntry& entry : Security().privileges) {
            previous.push_back(LUID_AND_ATTRIBUTES{entry.luid, entry.enabled ? kEnabled : 0u});
            entry.enabled = false;
        }
        return ERROR_SUCCESS;
    }
    DWORD result = ERROR_SUCCESS;
    for (const LUID_AND_ATTRIBUTES& wanted : entries) {
        PrivilegeEntry* entry = FindPrivilege(wanted.Luid);
        if (entry == nullptr) {
            result = ERROR_NOT_ALL_ASSIGNED;
            continue;
        }
        previous.push_back(LUID_AND_ATTRIBUTES{entry->luid, entry->enabled ? kEnabled : 0u});
        entry->enabled = (wanted.Attributes & SE_PRIVILEGE_ENABLED) != 0;
        if ((wanted.Attributes & kPrivilegeRemoved) != 0) {
            Security().privileges.erase(Security().privileges.begin() +
                                        (entry - Security().privileges.data()));
        }
    }
    return result;
}

BOOL WritePreviousState(const std::vector<LUID_AND_ATTRIBUTES>& previous, DWORD bufferLength,
                        PTOKEN_PRIVILEGES previousState, PDWORD returnLength) {
    const DWORD needed = TokenPrivilegesSize(previous.size());
    if (returnLength != nullptr) {
        *returnLength = needed;
    }
    if (bufferLength < needed) {
        SetLastErrorValue(kErrorInsufficientBuffer);
        return FALSE;
    }
    previousState->PrivilegeCount = static_cast<DWORD>(previous.size());
    std::copy(previous.begin(), previous.end(), &previousState->Privileges[0]);
    return TRUE;
}

BOOL AdjustPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD bufferLength,
                      PTOKEN_PRIVILEGES previousState, PDWORD returnLength) {
    const auto found = Security().tokenAccess.find(reinterpret_cast<std::uintptr_t>(token));
    if (found == Security().tokenAccess.end()) {
        SetLastErrorValue(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const DWORD needed = TOKEN_ADJUST_PRIVILEGES | (previousState != nullptr ? TOKEN_QUERY : 0);
    if ((found->second & needed) != needed) {
        SetLastErrorValue(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!disableAll && newState == nullptr) {
        SetLastErrorValue(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // A call that cannot report the previous state changes nothing.
    const std::vector<PrivilegeEntry> before = Security().privileges;
    std::vector<LUID_AND_ATTRIBUTES> previous;
    const DWORD outcome = ApplyPrivileges(
        disableAll, disableAll ? std::vector<LUID_AND_ATTRIBUTES>() : EntriesOf(newState), previous);
    if (previousState != nullptr &&
        !WritePreviousState(previous, bufferLength, previousState, returnLength)) {
        Security().privileges = before;
        return FALSE;
    }
    SetLastErrorValue(outcome);
    return TRUE;
}

bool SidMatches(const SidEntry& sid, const TokenGroup& group) {
    return sid.authority == group.authority && sid.subAuthorities == group.subAuthorities;
}

TokenGroup BuiltinGroup(DWORD rid, DWORD attributes) {
    return TokenGroup{{0, 0, 0, 0, 0, 5}, {SECURITY_BUILTIN_DOMAIN_RID, rid}, attributes};
}

constexpr DWORD kUsersRid = 0x221;
constexpr DWORD kEnabledGroup = sim::kGroupMandatory | sim::kGroupEnabledByDefault | sim::kGroupEnabled;

}  // namespace

std::vector<PrivilegeEntry> SecurityState::DefaultPrivileges() {
    return {PrivilegeEntry{u"SeShutdownPrivilege", LUID{19, 0}, false}};
}

std::vector<TokenGroup> SecurityState::GroupsOf(Account account) {
    switch (account) {
        case Account::ElevatedAdmin:
            return {BuiltinGroup(DOMAIN_ALIAS_RID_ADMINS, kEnabledGroup),
                    BuiltinGroup(kUsersRid, kEnabledGroup)};
        case Account::UnelevatedAdmin:
            return {BuiltinGroup(DOMAIN_ALIAS_RID_ADMINS, sim::kGroupUseForDenyOnly),
                    BuiltinGroup(kUsersRid, kEnabledGroup)};
        case Account::User:
            return {BuiltinGroup(kUsersRid, kEnabledGroup)};
        case Account::Guest:
            return {BuiltinGroup(DOMAIN_ALIAS_RID_GUESTS, kEnabledGroup)};
    }
    return {};
}

}  // namespace sim::detail

using namespace sim::detail;

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
    if (auto injected =
            Enter("OpenProcessToken", Args(ProcessHandle, DesiredAccess, TokenHandle), kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    Security().tokenOpens.push_back(DesiredAccess);
    if (ProcessHandle != kCurrentProcess) {
        SetLastErrorValue(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const std::uintptr_t token = OpenHandle(sim::HandleKind::Token);
    Security().tokenAccess[token] = DesiredAccess;
    *TokenHandle = reinterpret_cast<HANDLE>(token);
    return TRUE;
}

BOOL WINAPI LookupPrivilegeValueW(LPCWSTR lpSystemName, LPCWSTR lpName, PLUID lpLuid) {
    if (auto injected =
            Enter("LookupPrivilegeValueW", Args(lpSystemName, lpName, lpLuid), kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    const KnownPrivilege* known = lpName == nullptr ? nullptr : FindKnownPrivilege(FromWide(lpName));
    if (!FromWide(lpSystemName).empty() || lpLuid == nullptr) {
        SetLastErrorValue(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (known == nullptr) {
        SetLastErrorValue(ERROR_NO_SUCH_PRIVILEGE);
        return FALSE;
    }
    *lpLuid = LUID{known->luid, 0};
    return TRUE;
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState,
                                  DWORD BufferLength, PTOKEN_PRIVILEGES PreviousState, PDWORD ReturnLength) {
    if (auto injected = Enter(
            "AdjustTokenPrivileges",
            Args(TokenHandle, DisableAllPrivileges, NewState, BufferLength, PreviousState, ReturnLength),
            kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    const BOOL result = AdjustPrivileges(TokenHandle, DisableAllPrivileges, NewState, BufferLength,
                                         PreviousState, ReturnLength);
    Security().adjustments.push_back(sim::PrivilegeAdjustment{DisableAllPrivileges != FALSE, BufferLength,
                                                              EntriesOf(NewState), PreviousState != nullptr,
                                                              result, W().calls.lastError});
    return result;
}

BOOL WINAPI AllocateAndInitializeSid(PSID_IDENTIFIER_AUTHORITY pIdentifierAuthority, BYTE nSubAuthorityCount,
                                     DWORD nSubAuthority0, DWORD nSubAuthority1, DWORD nSubAuthority2,
                                     DWORD nSubAuthority3, DWORD nSubAuthority4, DWORD nSubAuthority5,
                                     DWORD nSubAuthority6, DWORD nSubAuthority7, PSID* pSid) {
    if (auto injected = Enter(
            "AllocateAndInitializeSid",
            Args(pIdentifierAuthority, nSubAuthorityCount, nSubAuthority0, nSubAuthority1, nSubAuthority2,
                 nSubAuthority3, nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7, pSid),
            kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    const DWORD all[8] = {nSubAuthority0, nSubAuthority1, nSubAuthority2, nSubAuthority3,
                          nSubAuthority4, nSubAuthority5, nSubAuthority6, nSubAuthority7};
    if (pIdentifierAuthority == nullptr || pSid == nullptr || nSubAuthorityCount > 8) {
        SetLastErrorValue(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    sim::SidAllocation allocation{
        std::vector<BYTE>(pIdentifierAuthority->Value, pIdentifierAuthority->Value + 6),
        nSubAuthorityCount,
        {}};
    std::copy(all, all + 8, allocation.subAuthorities);
    Security().sidAllocations.push_back(allocation);
    const std::uintptr_t sid = OpenHandle(sim::HandleKind::Sid);
    Security().sids[sid] = SidEntry{allocation.authority, std::vector<DWORD>(all, all + nSubAuthorityCount)};
    *pSid = reinterpret_cast<PSID>(sid);
    return TRUE;
}

void* WINAPI FreeSid(PSID pSid) {
    if (auto injected = Enter("FreeSid", Args(pSid),
                              Failure{FailureStyle::Quiet, reinterpret_cast<std::intptr_t>(pSid)})) {
        return reinterpret_cast<void*>(*injected);
    }
    const auto value = reinterpret_cast<std::uintptr_t>(pSid);
    if (!CloseOpenHandle("FreeSid", value, {sim::HandleKind::Sid})) {
        return pSid;
    }
    Security().sids.erase(value);
    return nullptr;
}

BOOL WINAPI CheckTokenMembership(HANDLE TokenHandle, PSID SidToCheck, BOOL* IsMember) {
    if (auto injected =
            Enter("CheckTokenMembership", Args(TokenHandle, SidToCheck, IsMember), kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    // Only an impersonation token may be passed; the process token is a primary one.
    if (TokenHandle != nullptr) {
        SetLastErrorValue(IsOpenHandle(reinterpret_cast<std::uintptr_t>(TokenHandle), sim::HandleKind::Token)
                              ? kErrorNoImpersonationToken
                              : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const auto sid = Security().sids.find(reinterpret_cast<std::uintptr_t>(SidToCheck));
    if (sid == Security().sids.end() || IsMember == nullptr) {
        SetLastErrorValue(sid == Security().sids.end() ? kErrorInvalidSid : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool member = false;
    for (const sim::TokenGroup& group : Security().groups) {
        const bool counts = (group.attributes & sim::kGroupEnabled) != 0 &&
                            (group.attributes & sim::kGroupUseForDenyOnly) == 0;
        member = member || (counts && SidMatches(sid->second, group));
    }
    *IsMember = member ? TRUE : FALSE;
    return TRUE;
}

BOOL WINAPI ExitWindowsEx(UINT uFlags, DWORD dwReason) {
    if (auto injected = Enter("ExitWindowsEx", Args(uFlags, dwReason), kFalseWithLastError)) {
        return static_cast<BOOL>(*injected);
    }
    const bool privileged = IsShutdownPrivilegeEnabled();
    Security().shutdowns.push_back(
        sim::ShutdownRequest{uFlags, dwReason, privileged, privileged ? TRUE : FALSE});
    if (!privileged) {
        SetLastErrorValue(kErrorPrivilegeNotHeld);
        return FALSE;
    }
    return TRUE;
}

namespace sim {

void SetAccount(Account account) {
    Security().groups = SecurityState::GroupsOf(account);
}

void AddPrivilege(const std::u16string& name, bool enabled) {
    RemovePrivilege(name);
    Security().privileges.push_back(PrivilegeEntry{name, PrivilegeLuid(name), enabled});
}

void RemovePrivilege(const std::u16string& name) {
    auto& privileges = Security().privileges;
    privileges.erase(
        std::remove_if(privileges.begin(), privileges.end(),
                       [&](const PrivilegeEntry& entry) { return EqualsIgnoringCase(entry.name, name); }),
        privileges.end());
}

std::vector<std::u16string> EnabledPrivileges() {
    std::vector<std::u16string> names;
    for (const PrivilegeEntry& entry : Security().privileges) {
        if (entry.enabled) {
            names.push_back(entry.name);
        }
    }
    return names;
}

LUID PrivilegeLuid(const std::u16string& name) {
    const KnownPrivilege* known = FindKnownPrivilege(name);
    if (known == nullptr) {
        ReportProblem("unknown privilege " + ToUtf8(name));
        return LUID{0, 0};
    }
    return LUID{known->luid, 0};
}

const std::vector<DWORD>& TokenOpenAccesses() {
    return Security().tokenOpens;
}

const std::vector<PrivilegeAdjustment>& PrivilegeAdjustments() {
    return Security().adjustments;
}

const std::vector<ShutdownRequest>& ShutdownRequests() {
    return Security().shutdowns;
}

const std::vector<SidAllocation>& SidAllocations() {
    return Security().sidAllocations;
}

}  // namespace sim
