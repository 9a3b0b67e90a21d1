// The network type follows reachability reports delivered through the main run
// loop; nothing is known before the first one.
#include "Network/ADSNetworkChecker.h"
#include "platform/RunLoop.h"
#include <gtest/gtest.h>

namespace {

using platform::Reachability;

TEST(ADSNetworkChecker, TypeFollowsReportsAndStaysUnknownBeforeTheFirst)
{
    ADSNetworkChecker checker;
    EXPECT_FALSE(checker.isEnabled());
    checker.setEnabled(true);
    ASSERT_TRUE(checker.isEnabled());
    platform::RunLoop::main().runPending();
    EXPECT_EQ(checker.networkType(), ADSNetworkChecker::Unknown);
    EXPECT_FALSE(checker.networkTypeString().has_value());
    EXPECT_EQ(checker.changeCount(), 0u);

    Reachability::postReport(Reachability::kReachable);
    EXPECT_EQ(checker.changeCount(), 0u) << "reports arrive through the run loop, not inside the post";
    platform::RunLoop::main().runPending();
    EXPECT_EQ(checker.networkType(), ADSNetworkChecker::ReachableViaWiFi);
    EXPECT_EQ(checker.networkTypeString().value_or(""), "wi");

    Reachability::postReport(Reachability::kReachable | Reachability::kIsWWAN);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(checker.networkTypeString().value_or(""), "ed");

    // The cellular flag alone does not make the host reachable.
    Reachability::postReport(Reachability::kIsWWAN);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(checker.networkType(), ADSNetworkChecker::NotReachable);
    EXPECT_FALSE(checker.networkTypeString().has_value());
    EXPECT_EQ(checker.changeCount(), 3u);
}

TEST(ADSNetworkChecker, DisablingDropsTheTargetAndLaterReports)
{
    ADSNetworkChecker checker;
    checker.setEnabled(true);
    Reachability::postReport(Reachability::kReachable);
    platform::RunLoop::main().runPending();
    ASSERT_EQ(checker.networkType(), ADSNetworkChecker::ReachableViaWiFi);

    checker.setEnabled(false);
    EXPECT_FALSE(checker.isEnabled());
    EXPECT_EQ(checker.networkType(), ADSNetworkChecker::Unknown);
    Reachability::postReport(Reachability::kReachable);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(checker.networkType(), ADSNetworkChecker::Unknown);
    EXPECT_EQ(checker.changeCount(), 1u);

    // Enabling again starts from "unknown"; the count is never reset.
    checker.setEnabled(true);
    EXPECT_EQ(checker.networkType(), ADSNetworkChecker::Unknown);
    Reachability::postReport(0);
    platform::RunLoop::main().runPending();
    EXPECT_EQ(checker.networkType(), ADSNetworkChecker::NotReachable);
    EXPECT_EQ(checker.changeCount(), 2u);
}

TEST(ADSNetworkChecker, AReportPostedBeforeTheCheckerGoesIsNotDeliveredToIt)
{
    ADSNetworkChecker survivor;
    survivor.setEnabled(true);
    auto doomed = std::make_unique<ADSNetworkChecker>();
    doomed->setEnabled(true);
    Reachability::postReport(Reachability::kReachable);
    doomed.reset();
    platform::RunLoop::main().runPending(); // must not touch the destroyed checker
    EXPECT_EQ(survivor.changeCount(), 1u);
    EXPECT_EQ(survivor.networkTypeString().value_or(""), "wi");
}

TEST(ADSNetworkChecker, SharedCheckerIsEnabledOnFirstUse)
{
    ADSNetworkChecker& shared = ADSNetworkChecker::sharedChecker();
    EXPECT_TRUE(shared.isEnabled());
    EXPECT_EQ(&shared, &ADSNetworkChecker::sharedChecker());
}

}
