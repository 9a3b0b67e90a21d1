#pragma once
// Base fixture of the suites that talk to the local HTTP server: one server per
// suite, its request log cleared before every test.

#include "LocalServer.h"

#include <gtest/gtest.h>
#include <memory>

class LocalServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<LocalServer>(); }
    static void TearDownTestSuite() { server.reset(); }
    void SetUp() override
    {
        ASSERT_TRUE(server->running()) << "the local test server did not start";
        server->fetch("/__reset");
    }

    static inline std::unique_ptr<LocalServer> server;
};
