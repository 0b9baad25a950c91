// Membership of the effective token in a built-in group.
#include "env/admin_check.h"
#include "tests/unit/sim_fixture.h"

namespace {

struct MembershipCase {
    const char* name;
    sim::Account account;
    BuiltinGroup group;
    bool member;
};

// Failure messages name the case rather than dumping its bytes.
void PrintTo(const MembershipCase& value, std::ostream* out) {
    *out << value.name;
}

const MembershipCase kMemberships[] = {
    {"elevated administrator is an administrator", sim::Account::ElevatedAdmin, Administrators, true},
    {"unelevated administrator is not", sim::Account::UnelevatedAdmin, Administrators, false},
    {"user is not an administrator", sim::Account::User, Administrators, false},
    {"guest is not an administrator", sim::Account::Guest, Administrators, false},
    {"guest is a guest", sim::Account::Guest, Guests, true},
    {"administrator is not a guest", sim::Account::ElevatedAdmin, Guests, false},
};

class MembershipTest : public SimTest, public ::testing::WithParamInterface<MembershipCase> {};

TEST_P(MembershipTest, CountsOnlyEnabledGroups) {
    sim::SetAccount(GetParam().account);

    EXPECT_EQ(IsTokenMemberOf(GetParam().group), GetParam().member);

    ASSERT_EQ(sim::SidAllocations().size(), 1u);
    const sim::SidAllocation& sid = sim::SidAllocations()[0];
    EXPECT_EQ(sid.authority, Bytes({0, 0, 0, 0, 0, 5}));
    EXPECT_EQ(sid.subAuthorityCount, 2);
    const DWORD rid = GetParam().group == Administrators ? 544u : 546u;
    EXPECT_EQ(std::vector<DWORD>(sid.subAuthorities, sid.subAuthorities + 8),
              (std::vector<DWORD>{32, rid, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(sim::CallCount("FreeSid"), 1);
    EXPECT_EQ(sim::CallNames(),
              (std::vector<std::string>{"AllocateAndInitializeSid", "CheckTokenMembership", "FreeSid"}));
}

INSTANTIATE_TEST_SUITE_P(BuiltinGroups, MembershipTest, ::testing::ValuesIn(kMemberships),
                         [](const auto& info) { return TestNameOf(info.param.name); });

class AdminCheckTest : public SimTest {};

TEST_F(AdminCheckTest, IsUserAdminAsksForAdministrators) {
    sim::SetAccount(sim::Account::ElevatedAdmin);
    EXPECT_TRUE(IsUserAdmin());
    sim::SetAccount(sim::Account::UnelevatedAdmin);
    EXPECT_FALSE(IsUserAdmin());
    ASSERT_EQ(sim::SidAllocations().size(), 2u);
    EXPECT_EQ(sim::SidAllocations()[1].subAuthorities[1], 544u);
}

TEST_F(AdminCheckTest, SidThatCannotBeBuiltAnswersFalse) {
    sim::FailCall("AllocateAndInitializeSid", 1, ERROR_NOT_ENOUGH_MEMORY);

    EXPECT_FALSE(IsUserAdmin());

    EXPECT_EQ(sim::CallNames(), std::vector<std::string>{"AllocateAndInitializeSid"});
}

TEST_F(AdminCheckTest, FailedMembershipCheckAnswersFalseAndFreesTheSid) {
    sim::SetAccount(sim::Account::ElevatedAdmin);
    sim::FailCall("CheckTokenMembership", 1, ERROR_ACCESS_DENIED);

    EXPECT_FALSE(IsUserAdmin());

    EXPECT_EQ(sim::CallCount("FreeSid"), 1);
}

TEST_F(AdminCheckTest, GroupOutsideTheTableAnswersFalseWithoutASid) {
    EXPECT_FALSE(IsTokenMemberOf(static_cast<BuiltinGroup>(2)));

    EXPECT_TRUE(sim::Calls().empty());
}

}  // namespace
