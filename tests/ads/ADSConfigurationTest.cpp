// The servers the library talks to: the build's, or the environment's when
// that names an http(s) server.
#include "ADSConfiguration.h"
#include "platform/Console.h"
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

TEST(ADSConfiguration, TheEnvironmentOverridesOnlyWithAnHttpURL)
{
    platform::Console::setKeepingLines(true);
    platform::Console::takeLines();
    unsetenv(kADSBaseURLVariable);
    unsetenv(kADSStaticURLVariable);
    const std::string builtBase = ADSConfiguration::adServerBaseURL();
    const std::string builtStatic = ADSConfiguration::staticServerURL();
    EXPECT_EQ(builtStatic.find('/', builtStatic.find("://") + 3), std::string::npos) << "no path: " << builtStatic;

    setenv(kADSBaseURLVariable, "http://127.0.0.1:8123/base/", 1);
    setenv(kADSStaticURLVariable, "http://127.0.0.1:8124/ignored/path?q=1", 1);
    EXPECT_EQ(ADSConfiguration::adServerBaseURL(), "http://127.0.0.1:8123/base/");
    EXPECT_EQ(ADSConfiguration::coreScriptURL(), "http://127.0.0.1:8124/ads/sdk-core-v40.js");
    EXPECT_TRUE(platform::Console::takeLines().empty());

    setenv(kADSBaseURLVariable, "file:///etc/", 1);
    setenv(kADSStaticURLVariable, "not a url", 1);
    EXPECT_EQ(ADSConfiguration::adServerBaseURL(), builtBase);
    EXPECT_EQ(ADSConfiguration::adServerBaseURL(), builtBase);
    EXPECT_EQ(ADSConfiguration::staticServerURL(), builtStatic);
    EXPECT_EQ(platform::Console::takeLines().size(), 2u) << "each bad value is reported once";
    unsetenv(kADSBaseURLVariable);
    unsetenv(kADSStaticURLVariable);
    platform::Console::setKeepingLines(false);

    EXPECT_TRUE(ADSConfiguration::isValidAdUnitID(ADSConfiguration::adUnitID()));
    EXPECT_FALSE(ADSConfiguration::isValidAdUnitID("a14d9c0e7f3b2A1"));
    EXPECT_FALSE(ADSConfiguration::isValidAdUnitID("a14d9c0e7f3b2a"));
}

}
