// The future-OS question and the machine-wide switch that suppresses it.
#include <functional>
#include <optional>

#include "env/future_os.h"
#include "tests/unit/sim_fixture.h"

namespace {

const std::u16string kNativeKey = u"SOFTWARE\\Korvantis\\Common";
const std::u16string kRedirectedKey = u"SOFTWARE\\WOW6432Node\\Korvantis\\Common";
const std::u16string kSwitch = u"DisableFutureOSWarning";
const WCHAR kQuestion[] = L"Go on?";
const WCHAR kTitle[] = L"Quenloft";

struct SwitchCase {
    const char* name;
    std::function<void()> arrange;
    bool asks;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const SwitchCase& value, std::ostream* out) {
    *out << value.name;
}

std::vector<SwitchCase> SwitchCases() {
    return {
        {"REG_DWORD 1", [] { sim::SetDwordValue(kNativeKey, kSwitch, 1); }, false},
        {"REG_DWORD 0", [] { sim::SetDwordValue(kNativeKey, kSwitch, 0); }, true},
        {"REG_DWORD 2", [] { sim::SetDwordValue(kNativeKey, kSwitch, 2); }, true},
        {"REG_DWORD 0x00000100", [] { sim::SetDwordValue(kNativeKey, kSwitch, 0x100); }, true},
        {"one byte 1", [] { sim::SetValue(kNativeKey, kSwitch, REG_DWORD, Bytes({1})); }, false},
        {"5 bytes starting with 1",
         [] {
             sim::SetValue(kNativeKey, kSwitch, REG_DWORD, BytesStartingWith({1, 0, 0, 0}, 5));
         },
         false},
        {"260 bytes starting with 1",
         [] {
             sim::SetValue(kNativeKey, kSwitch, REG_DWORD, BytesStartingWith({1, 0, 0, 0}, 260));
         },
         false},
        {"261 bytes starting with 1",
         [] {
             sim::SetValue(kNativeKey, kSwitch, REG_DWORD, BytesStartingWith({1, 0, 0, 0}, 261));
         },
         true},
        {"REG_SZ 1",
         [] {
             sim::SetValue(kNativeKey, kSwitch, REG_SZ, Bytes({'1', 0, 0, 0}));
         },
         true},
        {"REG_BINARY 01 00 00 00", [] { sim::SetValue(kNativeKey, kSwitch, REG_BINARY, DwordBytes(1)); },
         true},
        {"no key", [] {}, true},
        {"no value", [] { sim::CreateKey(kNativeKey); }, true},
        {"only in the redirected 32-bit key", [] { sim::SetDwordValue(kRedirectedKey, kSwitch, 1); }, true},
        {"native 1 and redirected 0",
         [] {
             sim::SetDwordValue(kNativeKey, kSwitch, 1);
             sim::SetDwordValue(kRedirectedKey, kSwitch, 0);
         },
         false},
        {"key refused",
         [] {
             sim::SetDwordValue(kNativeKey, kSwitch, 1);
             sim::SetKeyAccess(kNativeKey, KEY_SET_VALUE);
         },
         true},
        {"query fails",
         [] {
             sim::SetDwordValue(kNativeKey, kSwitch, 1);
             sim::FailCall("RegQueryValueExW", 1, ERROR_ACCESS_DENIED);
         },
         true},
    };
}

class FutureOsSwitchTest : public SimTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(FutureOsSwitchTest, AsksUnlessTheNativeSwitchReadsOne) {
    GetParam().arrange();
    if (GetParam().asks) {
        sim::QueueMessageBoxAnswer(IDYES);
    }

    EXPECT_TRUE(ConfirmFutureOS(kQuestion, kTitle));

    EXPECT_EQ(sim::MessageBoxes().size(), GetParam().asks ? 1u : 0u);
    ASSERT_EQ(sim::RegistryOpens().size(), 1u);
    EXPECT_EQ(sim::RegistryOpens()[0].function, "RegOpenKeyExW");
    EXPECT_EQ(sim::RegistryOpens()[0].path, kNativeKey);
    EXPECT_EQ(sim::RegistryOpens()[0].resolvedPath, kNativeKey) << "the 64-bit view reads the native key";
    EXPECT_EQ(sim::RegistryOpens()[0].access, 0x101u);
    if (!sim::RegistryQueries().empty()) {
        EXPECT_EQ(sim::RegistryQueries()[0].valueName, kSwitch);
        EXPECT_EQ(sim::RegistryQueries()[0].bufferSize, 260u);
    }
}

INSTANTIATE_TEST_SUITE_P(DisableFutureOSWarning, FutureOsSwitchTest, ::testing::ValuesIn(SwitchCases()),
                         [](const auto& info) { return TestNameOf(info.param.name); });

struct AnswerCase {
    const char* name;
    int answer;
    bool goOn;
};

void PrintTo(const AnswerCase& value, std::ostream* out) {
    *out << value.name;
}

class FutureOsAnswerTest : public SimTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(FutureOsAnswerTest, OnlyNoStops) {
    sim::QueueMessageBoxAnswer(GetParam().answer);

    EXPECT_EQ(ConfirmFutureOS(kQuestion, kTitle), GetParam().goOn);

    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxShown& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.text, std::u16string(u"Go on?"));
    EXPECT_EQ(box.caption, std::u16string(u"Quenloft"));
    EXPECT_EQ(box.type, 0x40134u);
}

INSTANTIATE_TEST_SUITE_P(Question, FutureOsAnswerTest,
                         ::testing::Values(AnswerCase{"Yes", IDYES, true}, AnswerCase{"No", IDNO, false},
                                           AnswerCase{"Enter answers No", sim::kPressEnter, false},
                                           AnswerCase{"box fails", 0, true}),
                         [](const auto& info) { return TestNameOf(info.param.name); });

struct NullCase {
    const char* name;
    LPCWSTR text;
    LPCWSTR caption;
};

void PrintTo(const NullCase& value, std::ostream* out) {
    *out << value.name;
}

class FutureOsNullTest : public SimTest, public ::testing::WithParamInterface<NullCase> {};

TEST_P(FutureOsNullTest, GoesOnWithoutAsking) {
    sim::SetDwordValue(kNativeKey, kSwitch, 0);

    EXPECT_TRUE(ConfirmFutureOS(GetParam().text, GetParam().caption));

    EXPECT_TRUE(sim::MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Question, FutureOsNullTest,
                         ::testing::Values(NullCase{"null text", nullptr, kTitle},
                                           NullCase{"null caption", kQuestion, nullptr},
                                           NullCase{"both null", nullptr, nullptr}),
                         [](const auto& info) { return TestNameOf(info.param.name); });

}  // namespace
