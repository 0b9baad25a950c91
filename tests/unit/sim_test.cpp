// The simulated platform itself, where the program's tests rely on its exact
// documented behaviour: what each call writes, returns and records.
#include <cstring>

#include "res/resource.h"
#include "tests/unit/sim_fixture.h"

namespace {

constexpr DWORD kPoison = 0xA5A5A5A5;
const std::u16string kKeyPath = u"SYSTEM\\Test";
const WCHAR kWideKeyPath[] = L"SYSTEM\\Test";
const WCHAR kWideValue[] = L"Data";

class SimRegistryTest : public SimTest {
  protected:
    HKEY Open(REGSAM access) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWideKeyPath, 0, access, &key), ERROR_SUCCESS);
        return key;
    }
};

struct QueryCase {
    const char* name;
    bool valueExists;
    std::size_t dataSize;
    DWORD bufferSize;
    bool nullData;
    LSTATUS result;
    DWORD typeAfter;
    DWORD sizeAfter;
    std::size_t bytesWritten;
};

const QueryCase kQueries[] = {
    {"missing value writes nothing", false, 0, 8, false, ERROR_FILE_NOT_FOUND, kPoison, 8, 0},
    {"data fits", true, 4, 8, false, ERROR_SUCCESS, REG_BINARY, 4, 4},
    {"data fills the buffer", true, 8, 8, false, ERROR_SUCCESS, REG_BINARY, 8, 8},
    {"data too large", true, 9, 8, false, ERROR_MORE_DATA, REG_BINARY, 9, 0},
    {"null data asks for the size", true, 9, 8, true, ERROR_SUCCESS, REG_BINARY, 9, 0},
    {"empty data", true, 0, 8, false, ERROR_SUCCESS, REG_BINARY, 0, 0},
};

class SimQueryTest : public SimRegistryTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(SimQueryTest, WritesExactlyWhatTheDocumentationSays) {
    const QueryCase& query = GetParam();
    sim::CreateKey(kKeyPath);
    if (query.valueExists) {
        sim::SetValue(kKeyPath, u"Data", REG_BINARY, std::vector<BYTE>(query.dataSize, 0x11));
    }
    HKEY key = Open(KEY_QUERY_VALUE);
    BYTE buffer[16];
    std::memset(buffer, 0xA5, sizeof buffer);
    DWORD type = kPoison;
    DWORD size = query.bufferSize;

    EXPECT_EQ(RegQueryValueExW(key, kWideValue, nullptr, &type, query.nullData ? nullptr : buffer, &size),
              query.result);

    EXPECT_EQ(type, query.typeAfter);
    EXPECT_EQ(size, query.sizeAfter);
    for (std::size_t i = 0; i < sizeof buffer; ++i) {
        EXPECT_EQ(buffer[i], i < query.bytesWritten ? 0x11 : 0xA5) << "byte " << i;
    }
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(RegQueryValueExW, SimQueryTest, ::testing::ValuesIn(kQueries),
                         [](const auto& info) { return TestNameOf(info.param.name); });

TEST_F(SimRegistryTest, CreateReportsDispositionAndKeepsAKeyItCouldNotOpen) {
    HKEY key = nullptr;
    DWORD disposition = kPoison;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\A\\B", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"system\\a\\b", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_READ, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY)) << "paths are case-insensitive";
    RegCloseKey(key);

    sim::SetKeyAccess(u"SYSTEM\\Locked", KEY_READ | KEY_CREATE_SUB_KEY);
    key = nullptr;
    disposition = kPoison;
    EXPECT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\Locked\\New", 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(key, nullptr);
    EXPECT_EQ(disposition, kPoison);
    EXPECT_TRUE(sim::KeyExists(u"SYSTEM\\Locked\\New"));
}

TEST_F(SimRegistryTest, ValuesNeedTheRightsTheKeyWasOpenedWith) {
    sim::SetDwordValue(kKeyPath, u"Data", 1);
    HKEY key = Open(KEY_QUERY_VALUE);
    const DWORD one = 1;

    EXPECT_EQ(RegSetValueExW(key, kWideValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(key, kWideValue), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    key = Open(KEY_SET_VALUE);
    DWORD size = 4;
    EXPECT_EQ(RegQueryValueExW(key, kWideValue, nullptr, nullptr, nullptr, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueW(key, kWideValue), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueW(key, kWideValue), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(SimRegistryTest, SoftwareIsRedirectedInTheDefaultViewOnly) {
    sim::SetDwordValue(u"SOFTWARE\\WOW6432Node\\Vendor", u"Data", 32);
    sim::SetDwordValue(u"SOFTWARE\\Vendor", u"Data", 64);
    sim::SetDwordValue(u"SYSTEM\\Shared", u"Data", 1);
    const struct {
        const WCHAR* path;
        REGSAM view;
        const char16_t* reached;
    } cases[] = {
        {L"SOFTWARE\\Vendor", 0, u"SOFTWARE\\WOW6432Node\\Vendor"},
        {L"SOFTWARE\\Vendor", KEY_WOW64_32KEY, u"SOFTWARE\\WOW6432Node\\Vendor"},
        {L"SOFTWARE\\Vendor", KEY_WOW64_64KEY, u"SOFTWARE\\Vendor"},
        {L"SYSTEM\\Shared", 0, u"SYSTEM\\Shared"},
        {L"SYSTEM\\Shared", KEY_WOW64_64KEY, u"SYSTEM\\Shared"},
    };
    for (const auto& c : cases) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, c.path, 0, KEY_QUERY_VALUE | c.view, &key),
                  ERROR_SUCCESS);
        EXPECT_EQ(sim::RegistryOpens().back().resolvedPath, c.reached);
        EXPECT_EQ(sim::RegistryOpens().back().access, static_cast<REGSAM>(KEY_QUERY_VALUE | c.view));
        RegCloseKey(key);
    }
}

TEST_F(SimRegistryTest, ClosingTwiceIsCaught) {
    sim::CreateKey(kKeyPath);
    HKEY key = Open(KEY_READ);

    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

    ASSERT_EQ(sim::BadReleases().size(), 1u);
    EXPECT_EQ(sim::BadReleases()[0].function, "RegCloseKey");
    sim::Reset();
}

TEST_F(SimRegistryTest, FailedOpenNullsTheKey) {
    sim::SetKeyAccess(kKeyPath, KEY_READ);
    const auto poison = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(kPoison));
    HKEY missing = poison;
    HKEY refused = poison;

    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\Missing", 0, KEY_READ, &missing),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWideKeyPath, 0, KEY_WRITE, &refused), ERROR_ACCESS_DENIED);

    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(refused, nullptr);
}

class SimKernelTest : public SimTest {};

TEST_F(SimKernelTest, MutexNamesLiveInTheirLogon) {
    sim::SetLastError(kPoison);
    HANDLE first = CreateMutexW(nullptr, FALSE, L"Name");
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE second = CreateMutexW(nullptr, FALSE, L"Name");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    sim::SetLogonId(2);
    HANDLE otherLogon = CreateMutexW(nullptr, FALSE, L"Name");
    EXPECT_EQ(GetLastError(), 0u);
    HANDLE global = CreateMutexW(nullptr, FALSE, L"Global\\Name");
    EXPECT_EQ(GetLastError(), 0u);
    sim::SetLogonId(1);
    HANDLE globalAgain = CreateMutexW(nullptr, FALSE, L"Global\\Name");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

    for (HANDLE handle : {first, second, otherLogon, global, globalAgain}) {
        EXPECT_EQ(CloseHandle(handle), TRUE);
    }
    EXPECT_FALSE(sim::MutexExists(u"Name", 1));
    EXPECT_EQ(CloseHandle(first), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(sim::BadReleases().size(), 1u);
    sim::Reset();
}

TEST_F(SimKernelTest, VersionQueryTakesOnlyTheTwoDocumentedSizes) {
    OSVERSIONINFOEXW info;
    std::memset(&info, 0xA5, sizeof info);
    info.dwOSVersionInfoSize = 280;
    sim::SetLastError(0);

    EXPECT_EQ(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)), FALSE);

    EXPECT_EQ(GetLastError(), 122u);
    EXPECT_EQ(info.dwMajorVersion, kPoison);
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    EXPECT_EQ(GetVersionExW(reinterpret_cast<LPOSVERSIONINFOW>(&info)), TRUE);
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.wServicePackMajor, 0xA5A5) << "the plain structure ends before the service-pack numbers";
}

TEST_F(SimKernelTest, FailCallAppliesEachFunctionsOwnConvention) {
    sim::FailCall("RegOpenKeyExW", 2, ERROR_ACCESS_DENIED);
    sim::FailCall("CreateMutexW", 1, ERROR_NOT_ENOUGH_MEMORY);
    sim::FailCall("GetLastError", 1, ERROR_ALREADY_EXISTS);
    sim::CreateKey(kKeyPath);
    HKEY key = nullptr;

    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWideKeyPath, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kWideKeyPath, 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateMutexW(nullptr, FALSE, L"Name"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "GetLastError itself failed";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));

    std::vector<bool> injected;
    for (const sim::CallRecord& call : sim::Calls()) {
        injected.push_back(call.injectedFailure);
    }
    EXPECT_EQ(injected, (std::vector<bool>{false, false, true, true, true, false}));
    EXPECT_EQ(sim::Calls()[2].ordinal, 2);
}

class SimResourceTest : public SimTest {};

TEST_F(SimResourceTest, LoadStringCopiesAtMostCapacityLessOne) {
    const struct {
        int capacity;
        int copied;
        std::u16string text;
    } cases[] = {{260, 8, u"Quenloft"}, {9, 8, u"Quenloft"}, {8, 7, u"Quenlof"}, {2, 1, u"Q"}, {1, 0, u""}};
    for (const auto& c : cases) {
        WCHAR buffer[261];
        std::memset(buffer, 0xA5, sizeof buffer);
        EXPECT_EQ(LoadStringW(sim::ProgramInstance(), IDS_TITLE, buffer, c.capacity), c.copied) << c.capacity;
        EXPECT_EQ(Text(buffer), c.text) << c.capacity;
        EXPECT_EQ(static_cast<WORD>(buffer[c.capacity]), 0xA5A5) << "wrote past the capacity " << c.capacity;
    }
}

TEST_F(SimResourceTest, LoadStringOfAMissingIdEmptiesTheBuffer) {
    WCHAR buffer[8];
    std::memset(buffer, 0xA5, sizeof buffer);

    EXPECT_EQ(LoadStringW(sim::ProgramInstance(), 129, buffer, 8), 0);

    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(SimResourceTest, LoadStringWithoutCapacityGivesTheResourceItself) {
    const WCHAR* resource = nullptr;

    const int length = LoadStringW(sim::ProgramInstance(), IDS_TITLE, reinterpret_cast<LPWSTR>(&resource), 0);

    ASSERT_EQ(length, 8);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(resource), 8), u"Quenloft");
}

TEST_F(SimResourceTest, MessageBoxAnswerMustBeOneOfItsButtons) {
    sim::QueueMessageBoxAnswer(IDOK);

    EXPECT_EQ(MessageBoxW(nullptr, L"t", L"c", MB_YESNO), IDOK);

    ASSERT_EQ(sim::Problems().size(), 1u);
    sim::Reset();
}

}  // namespace
