// The "FastResumeDisable" value: every stored form it can take, and what
// writing and deleting it leave behind.
#include <functional>
#include <optional>

#include "app/process_state.h"
#include "setting/fast_resume_store.h"
#include "tests/unit/sim_fixture.h"

namespace {

const std::u16string kHidUsb = u"SYSTEM\\CurrentControlSet\\Services\\HidUsb";
const std::u16string kValueName = u"FastResumeDisable";
constexpr DWORD kPoison = 0xDEADBEEF;

struct StoredForm {
    const char* name;
    bool keyExists;
    std::optional<sim::StoredValue> stored;
    bool readSucceeds;
    DWORD valueRead;  // when the read succeeds
    FastResumeState state;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const StoredForm& value, std::ostream* out) {
    *out << value.name;
}

const StoredForm kStoredForms[] = {
    {"no key", false, std::nullopt, false, 0, Enabled},
    {"no value", true, std::nullopt, false, 0, Enabled},
    {"REG_DWORD 0", true, sim::StoredValue{REG_DWORD, DwordBytes(0)}, true, 0, Enabled},
    {"REG_DWORD 1", true, sim::StoredValue{REG_DWORD, DwordBytes(1)}, true, 1, Disabled},
    {"REG_DWORD 2", true, sim::StoredValue{REG_DWORD, DwordBytes(2)}, true, 2, Enabled},
    {"REG_DWORD 0x01000000", true, sim::StoredValue{REG_DWORD, DwordBytes(0x01000000)}, true, 0x01000000,
     Enabled},
    {"REG_DWORD of one byte 1", true, sim::StoredValue{REG_DWORD, Bytes({1})}, true, 1, Disabled},
    {"REG_DWORD of no bytes", true, sim::StoredValue{REG_DWORD, {}}, true, 0, Enabled},
    {"REG_DWORD of 8 bytes starting with 1", true,
     sim::StoredValue{REG_DWORD, BytesStartingWith({1, 0, 0, 0}, 8)}, true, 1, Disabled},
    {"REG_DWORD of 256 bytes starting with 1", true,
     sim::StoredValue{REG_DWORD, BytesStartingWith({1, 0, 0, 0}, 256)}, true, 1, Disabled},
    {"REG_DWORD of 257 bytes starting with 1", true,
     sim::StoredValue{REG_DWORD, BytesStartingWith({1, 0, 0, 0}, 257)}, false, 0, Enabled},
    {"REG_SZ \"1\"", true, sim::StoredValue{REG_SZ, Bytes({'1', 0, 0, 0})}, false, 0, Enabled},
    {"REG_BINARY 01 00 00 00", true, sim::StoredValue{REG_BINARY, DwordBytes(1)}, false, 0, Enabled},
    {"REG_QWORD 1", true, sim::StoredValue{REG_QWORD, Bytes({1, 0, 0, 0, 0, 0, 0, 0})}, false, 0, Enabled},
};

class SettingStoreTest : public SimTest {};

void Arrange(const StoredForm& form) {
    if (form.keyExists) {
        sim::CreateKey(kHidUsb);
    }
    if (form.stored) {
        sim::SetValue(kHidUsb, kValueName, form.stored->type, form.stored->data);
    }
}

class StoredFormTest : public SimTest, public ::testing::WithParamInterface<StoredForm> {};

TEST_P(StoredFormTest, ReadsTheDocumentedState) {
    const StoredForm& form = GetParam();
    Arrange(form);
    DWORD value = kPoison;

    const bool read = ReadFastResumeDisable(value);

    EXPECT_EQ(read, form.readSucceeds);
    EXPECT_EQ(value, form.readSucceeds ? form.valueRead : kPoison) << "value written on a failed read";
    ASSERT_EQ(sim::RegistryOpens().size(), 1u);
    EXPECT_EQ(sim::RegistryOpens()[0].function, "RegOpenKeyExW");
    EXPECT_EQ(sim::RegistryOpens()[0].path, kHidUsb);
    EXPECT_EQ(sim::RegistryOpens()[0].access, static_cast<REGSAM>(KEY_QUERY_VALUE)) << "no view flag";
    if (form.keyExists) {
        ASSERT_EQ(sim::RegistryQueries().size(), 1u);
        EXPECT_EQ(sim::RegistryQueries()[0].valueName, kValueName);
        EXPECT_EQ(sim::RegistryQueries()[0].bufferSize, 256u);
    }
    EXPECT_EQ(sim::KeyExists(kHidUsb), form.keyExists) << "reading must not create the key";
    EXPECT_EQ(sim::Value(kHidUsb, kValueName), form.stored) << "reading must not change the value";
}

TEST_P(StoredFormTest, LoadSetsBothStates) {
    const StoredForm& form = GetParam();
    Arrange(form);
    initialState = form.state == Enabled ? Disabled : Enabled;
    chosenState = initialState;

    LoadFastResumeState();

    EXPECT_EQ(initialState, form.state);
    EXPECT_EQ(chosenState, form.state);
}

INSTANTIATE_TEST_SUITE_P(FastResumeDisable, StoredFormTest, ::testing::ValuesIn(kStoredForms),
                         [](const auto& info) { return TestNameOf(info.param.name); });

TEST_F(SettingStoreTest, ReadWithKeyOpenRefusedIsEnabled) {
    sim::SetDwordValue(kHidUsb, kValueName, 1);
    sim::SetKeyAccess(kHidUsb, KEY_SET_VALUE);

    LoadFastResumeState();

    EXPECT_EQ(initialState, Enabled);
    EXPECT_EQ(sim::RegistryOpens().at(0).result, ERROR_ACCESS_DENIED);
}

TEST_F(SettingStoreTest, ReadWithFailingQueryIsEnabledAndClosesTheKey) {
    sim::SetDwordValue(kHidUsb, kValueName, 1);
    sim::FailCall("RegQueryValueExW", 1, ERROR_ACCESS_DENIED);

    LoadFastResumeState();

    EXPECT_EQ(initialState, Enabled);
    EXPECT_EQ(sim::CallCount("RegCloseKey"), 1);
}

// ------------------------------------------------------- write and delete ----

enum class Operation { Write, Delete };

struct ExpectedOpen {
    REGSAM access;
    LSTATUS result;
};

struct ChangeCase {
    const char* name;
    Operation operation;
    std::function<void()> arrange;
    bool result;
    bool keyAfter;
    std::optional<sim::StoredValue> valueAfter;
    std::vector<ExpectedOpen> opens;
};

void PrintTo(const ChangeCase& value, std::ostream* out) {
    *out << value.name;
}

const sim::StoredValue kDword1{REG_DWORD, DwordBytes(1)};
const REGSAM kReadAndWrite = KEY_READ | KEY_WRITE;

std::vector<ChangeCase> ChangeCases() {
    return {
        {"write without key creates key and value",
         Operation::Write,
         [] {},
         true,
         true,
         kDword1,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"write without value",
         Operation::Write,
         [] { sim::CreateKey(kHidUsb); },
         true,
         true,
         kDword1,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"write over REG_DWORD 0",
         Operation::Write,
         [] { sim::SetDwordValue(kHidUsb, kValueName, 0); },
         true,
         true,
         kDword1,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"write over REG_SZ 1",
         Operation::Write,
         [] {
             sim::SetValue(kHidUsb, kValueName, REG_SZ, Bytes({'1', 0, 0, 0}));
         },
         true,
         true,
         kDword1,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"write falls back to KEY_WRITE",
         Operation::Write,
         [] { sim::SetKeyAccess(kHidUsb, kReadAndWrite); },
         true,
         true,
         kDword1,
         {{KEY_ALL_ACCESS, ERROR_ACCESS_DENIED}, {KEY_WRITE, ERROR_SUCCESS}}},
        {"write refused both ways",
         Operation::Write,
         [] { sim::SetKeyAccess(kHidUsb, KEY_READ); },
         false,
         true,
         std::nullopt,
         {{KEY_ALL_ACCESS, ERROR_ACCESS_DENIED}, {KEY_WRITE, ERROR_ACCESS_DENIED}}},
        {"write whose set fails",
         Operation::Write,
         [] { sim::FailCall("RegSetValueExW", 1, ERROR_ACCESS_DENIED); },
         false,
         true,
         std::nullopt,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"delete of REG_DWORD 1",
         Operation::Delete,
         [] { sim::SetDwordValue(kHidUsb, kValueName, 1); },
         true,
         true,
         std::nullopt,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"delete of REG_SZ",
         Operation::Delete,
         [] {
             sim::SetValue(kHidUsb, kValueName, REG_SZ, Bytes({'1', 0, 0, 0}));
         },
         true,
         true,
         std::nullopt,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"delete without value",
         Operation::Delete,
         [] { sim::CreateKey(kHidUsb); },
         false,
         true,
         std::nullopt,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"delete without key leaves the new empty key",
         Operation::Delete,
         [] {},
         false,
         true,
         std::nullopt,
         {{KEY_ALL_ACCESS, ERROR_SUCCESS}}},
        {"delete has no KEY_WRITE fallback",
         Operation::Delete,
         [] {
             sim::SetDwordValue(kHidUsb, kValueName, 1);
             sim::SetKeyAccess(kHidUsb, kReadAndWrite);
         },
         false,
         true,
         kDword1,
         {{KEY_ALL_ACCESS, ERROR_ACCESS_DENIED}}},
    };
}

class StoreChangeTest : public SimTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(StoreChangeTest, LeavesTheDocumentedRegistry) {
    const ChangeCase& change = GetParam();
    change.arrange();

    const bool result =
        change.operation == Operation::Write ? WriteFastResumeDisable() : DeleteFastResumeDisable();

    EXPECT_EQ(result, change.result);
    EXPECT_EQ(sim::KeyExists(kHidUsb), change.keyAfter);
    EXPECT_EQ(sim::Value(kHidUsb, kValueName), change.valueAfter);
    ASSERT_EQ(sim::RegistryOpens().size(), change.opens.size());
    for (std::size_t i = 0; i < change.opens.size(); ++i) {
        const sim::RegistryOpen& open = sim::RegistryOpens()[i];
        EXPECT_EQ(open.function, "RegCreateKeyExW") << "open " << i;
        EXPECT_EQ(open.path, kHidUsb) << "open " << i;
        EXPECT_EQ(open.access, change.opens[i].access) << "open " << i;
        EXPECT_EQ(open.result, change.opens[i].result) << "open " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(FastResumeDisable, StoreChangeTest, ::testing::ValuesIn(ChangeCases()),
                         [](const auto& info) { return TestNameOf(info.param.name); });

}  // namespace
