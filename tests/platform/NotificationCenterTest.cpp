#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {
class NotificationCenterTest : public ::testing::Test {
protected:
    NotificationCenter center; // a private centre: nothing leaks between tests
    int senderA = 0, senderB = 0;
    int observer1 = 0, observer2 = 0;
};
}

TEST_F(NotificationCenterTest, MatchesByNameAndSender)
{
    std::vector<std::string> got;
    center.addObserver(&observer1, "ping", &senderA, [&](const Notification& n) { got.push_back("A:" + n.name); });
    center.addObserver(&observer1, "ping", nullptr, [&](const Notification& n) { got.push_back("any:" + n.name); });
    center.addObserver(&observer2, "", &senderB, [&](const Notification& n) { got.push_back("allB:" + n.name); });
    center.post("ping", &senderA);
    EXPECT_EQ(got, (std::vector<std::string> { "A:ping", "any:ping" }));
    got.clear();
    center.post("ping", &senderB);
    EXPECT_EQ(got, (std::vector<std::string> { "any:ping", "allB:ping" }));
    got.clear();
    center.post("pong", &senderB);
    EXPECT_EQ(got, (std::vector<std::string> { "allB:pong" }));
    got.clear();
    center.post("pong");
    EXPECT_TRUE(got.empty());
}

TEST_F(NotificationCenterTest, DeliversSenderAndUserInfo)
{
    const void* sender = nullptr;
    int64_t value = 0;
    center.addObserver(&observer1, "n", nullptr, [&](const Notification& n) {
        sender = n.sender;
        value = n.userInfo.get("k").asInt64();
    });
    center.post("n", &senderA, Dictionary { { "k", Value(42) } });
    EXPECT_EQ(sender, &senderA);
    EXPECT_EQ(value, 42);
}

TEST_F(NotificationCenterTest, RemovalByObserverAndBySelection)
{
    int a = 0, b = 0, c = 0;
    center.addObserver(&observer1, "x", nullptr, [&](const Notification&) { ++a; });
    center.addObserver(&observer1, "y", nullptr, [&](const Notification&) { ++b; });
    center.addObserver(&observer2, "x", nullptr, [&](const Notification&) { ++c; });
    center.removeObserver(&observer1, "x", nullptr);
    center.post("x");
    center.post("y");
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 1);
    EXPECT_EQ(c, 1);
    center.removeObserver(&observer1);
    center.post("y");
    EXPECT_EQ(b, 1);
    center.removeObserver(&observer2, "x", &senderA); // other sender: stays
    center.post("x");
    EXPECT_EQ(c, 2);
}

TEST_F(NotificationCenterTest, HandlersMayChangeRegistrationsDuringAPost)
{
    std::vector<std::string> got;
    center.addObserver(&observer1, "n", nullptr, [&](const Notification&) {
        got.push_back("first");
        center.removeObserver(&observer1); // itself, while running
        center.removeObserver(&observer2); // one not yet called
        center.addObserver(&senderB, "n", nullptr, [&](const Notification&) { got.push_back("added"); });
    });
    center.addObserver(&observer2, "n", nullptr, [&](const Notification&) { got.push_back("second"); });
    center.post("n");
    EXPECT_EQ(got, (std::vector<std::string> { "first" }));
    got.clear();
    center.post("n");
    EXPECT_EQ(got, (std::vector<std::string> { "added" }));
}

TEST_F(NotificationCenterTest, DefaultCenterIsShared)
{
    int hits = 0;
    NotificationCenter::defaultCenter().addObserver(&observer1, kApplicationDidEnterBackgroundNotification, nullptr,
        [&](const Notification&) { ++hits; });
    NotificationCenter::defaultCenter().post(kApplicationDidEnterBackgroundNotification);
    NotificationCenter::defaultCenter().removeObserver(&observer1);
    NotificationCenter::defaultCenter().post(kApplicationDidEnterBackgroundNotification);
    EXPECT_EQ(hits, 1);
}
