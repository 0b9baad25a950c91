#pragma once

#include <cstdint>

enum BuiltinGroup : std::uint32_t {
    Administrators = 0,
    Guests = 1,
};

// Whether the effective token of the calling thread has the built-in group
// enabled; a group present for deny only does not count. Every failure answers false.
bool IsTokenMemberOf(BuiltinGroup group);

bool IsUserAdmin();
