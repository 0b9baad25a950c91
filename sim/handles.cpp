#include "sim/handles.h"

#include <algorithm>
#include <sstream>

#include "sim/state.h"

namespace sim::detail {

namespace {

HandleEntry* FindOpen(std::uintptr_t value) {
    for (HandleEntry& entry : W().handles.entries) {
        if (entry.value == value && entry.open) {
            return &entry;
        }
    }
    return nullptr;
}

const char* KindName(HandleKind kind) {
    switch (kind) {
        case HandleKind::Key:
            return "registry key";
        case HandleKind::Mutex:
            return "mutex";
        case HandleKind::Token:
            return "token";
        case HandleKind::Sid:
            return "SID";
    }
    return "?";
}

std::string DescribeHandle(const HandleEntry& entry) {
    std::ostringstream out;
    out << KindName(entry.kind) << " 0x" << std::hex << entry.value;
    return out.str();
}

}  // namespace

std::uintptr_t NewObjectValue() {
    const std::uintptr_t value = W().handles.nextValue;
    W().handles.nextValue += 4;
    return value;
}

std::uintptr_t OpenHandle(HandleKind kind) {
    const std::uintptr_t value = NewObjectValue();
    W().handles.entries.push_back(HandleEntry{kind, value, true, 0});
    return value;
}

bool IsOpenHandle(std::uintptr_t value, HandleKind kind) {
    const HandleEntry* entry = FindOpen(value);
    return entry != nullptr && entry->kind == kind;
}

std::optional<HandleKind> OpenHandleKind(std::uintptr_t value) {
    const HandleEntry* entry = FindOpen(value);
    return entry == nullptr ? std::nullopt : std::optional<HandleKind>(entry->kind);
}

bool CloseOpenHandle(const char* function, std::uintptr_t value, std::initializer_list<HandleKind> kinds) {
    HandleEntry* entry = FindOpen(value);
    if (entry == nullptr || std::find(kinds.begin(), kinds.end(), entry->kind) == kinds.end()) {
        W().handles.badReleases.push_back(BadRelease{function, value});
        return false;
    }
    entry->open = false;
    ++entry->closes;
    return true;
}

}  // namespace sim::detail

namespace sim {

std::size_t OpenHandleCount() {
    const auto& entries = detail::W().handles.entries;
    return static_cast<std::size_t>(
        std::count_if(entries.begin(), entries.end(), [](const detail::HandleEntry& e) { return e.open; }));
}

std::size_t OpenHandleCount(HandleKind kind) {
    const auto& entries = detail::W().handles.entries;
    return static_cast<std::size_t>(std::count_if(
        entries.begin(), entries.end(), [kind](const auto& e) { return e.open && e.kind == kind; }));
}

std::string DescribeOpenHandles() {
    std::string text;
    for (const detail::HandleEntry& entry : detail::W().handles.entries) {
        if (entry.open) {
            text += "open: " + detail::DescribeHandle(entry) + "\n";
        }
    }
    return text;
}

std::vector<HandleRecord> HandlesCreated(HandleKind kind) {
    std::vector<HandleRecord> records;
    for (const detail::HandleEntry& entry : detail::W().handles.entries) {
        if (entry.kind == kind) {
            records.push_back(HandleRecord{entry.kind, entry.value, entry.closes});
        }
    }
    return records;
}

const std::vector<BadRelease>& BadReleases() {
    return detail::W().handles.badReleases;
}

}  // namespace sim
