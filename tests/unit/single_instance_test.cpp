// The named mutex that keeps a second copy out, per logon.
#include "env/single_instance.h"
#include "tests/unit/sim_fixture.h"

namespace {

const std::u16string kName = u"Korvantis.Quenloft.ExclusiveMutex";
const WCHAR kWideName[] = L"Korvantis.Quenloft.ExclusiveMutex";
constexpr DWORD kThisLogon = 1;
constexpr DWORD kOtherLogon = 2;

class SingleInstanceTest : public SimTest {
  protected:
    static std::vector<int> MutexCloses() {
        std::vector<int> closes;
        for (const sim::HandleRecord& handle : sim::HandlesCreated(sim::HandleKind::Mutex)) {
            closes.push_back(handle.closes);
        }
        return closes;
    }
};

TEST_F(SingleInstanceTest, FirstCopyHoldsTheMutexUntilReleased) {
    {
        CMultipleInstancePreventer guard(kWideName);
        EXPECT_TRUE(guard.Acquire());
        EXPECT_TRUE(sim::MutexExists(kName, kThisLogon));
        EXPECT_EQ(sim::OpenHandleCount(sim::HandleKind::Mutex), 1u);
    }
    EXPECT_FALSE(sim::MutexExists(kName, kThisLogon));
    EXPECT_EQ(MutexCloses(), std::vector<int>{1});
}

struct OtherCopy {
    const char* name;
    DWORD logon;
    bool endedBefore;
    bool acquires;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const OtherCopy& value, std::ostream* out) {
    *out << value.name;
}

class OtherCopyTest : public SingleInstanceTest, public ::testing::WithParamInterface<OtherCopy> {};

TEST_P(OtherCopyTest, ExcludesWithinOneLogonOnly) {
    const int other = sim::HoldMutexInOtherProcess(kName, GetParam().logon);
    if (GetParam().endedBefore) {
        sim::EndOtherProcess(other);
    }
    {
        CMultipleInstancePreventer guard(kWideName);
        EXPECT_EQ(guard.Acquire(), GetParam().acquires);
        EXPECT_EQ(sim::OpenHandleCount(sim::HandleKind::Mutex), GetParam().acquires ? 1u : 0u);
    }
    EXPECT_EQ(MutexCloses(), std::vector<int>{1}) << "closed exactly once";
    EXPECT_EQ(sim::CallCount("CloseHandle"), 1);
    if (!GetParam().endedBefore) {
        EXPECT_TRUE(sim::MutexExists(kName, GetParam().logon)) << "the other copy keeps its mutex";
        sim::EndOtherProcess(other);
    }
}

INSTANTIATE_TEST_SUITE_P(CMultipleInstancePreventer, OtherCopyTest,
                         ::testing::Values(OtherCopy{"same logon running", kThisLogon, false, false},
                                           OtherCopy{"other logon running", kOtherLogon, false, true},
                                           OtherCopy{"same logon ended", kThisLogon, true, true}),
                         [](const auto& info) { return TestNameOf(info.param.name); });

TEST_F(SingleInstanceTest, EmptyOrNullNameIsRefusedWithoutAMutex) {
    const WCHAR empty[] = L"";
    CMultipleInstancePreventer unnamed(nullptr);
    CMultipleInstancePreventer blank(empty);

    EXPECT_FALSE(unnamed.Acquire());
    EXPECT_FALSE(blank.Acquire());

    EXPECT_TRUE(sim::Calls().empty());
}

TEST_F(SingleInstanceTest, MutexThatCannotBeCreatedIsRefused) {
    sim::FailCall("CreateMutexW", 1, ERROR_ACCESS_DENIED);
    {
        CMultipleInstancePreventer guard(kWideName);
        EXPECT_FALSE(guard.Acquire());
    }
    EXPECT_EQ(sim::CallNames(), std::vector<std::string>{"CreateMutexW"});
}

TEST_F(SingleInstanceTest, NeverOwnsTheMutex) {
    CMultipleInstancePreventer guard(kWideName);
    guard.Acquire();

    ASSERT_FALSE(sim::Calls().empty());
    EXPECT_EQ(sim::Calls()[0].name, "CreateMutexW");
    EXPECT_EQ(sim::Calls()[0].args, "null, 0x0, L\"Korvantis.Quenloft.ExclusiveMutex\"");
}

}  // namespace
