// Stack lines for frames whose names are known: this executable exports its
// symbols, so the loader can name the probe functions below.
#include "encoding/ADSStackTrace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

// The probes must stay real, exported frames: not inlined, and not cloned
// under a local name (GCC's interprocedural clones). Stores after each call
// keep the calls from becoming tail jumps, which would drop the caller's frame.
#if defined(__clang__)
#define STACK_PROBE __attribute__((noinline))
#else
#define STACK_PROBE __attribute__((noipa))
#endif
static volatile int probeCalls = 0;

namespace stacktest {

class Probe {
public:
    STACK_PROBE std::string capture() const
    {
        std::string trace = ADSStackTrace();
        probeCalls = probeCalls + 1;
        return trace;
    }
};

template<typename T> class holder {
public:
    STACK_PROBE std::string get()
    {
        std::string trace = Probe().capture();
        probeCalls = probeCalls + 1;
        return trace;
    }
};

// A function template: its name carries its return type and template
// arguments, and its operator's "+" runs into the "<" of those arguments.
template<typename T> struct Tag { };

template<typename T> STACK_PROBE std::string operator+(Tag<T>, int times)
{
    std::string trace = holder<T>().get();
    probeCalls = probeCalls + times;
    return trace;
}

class Visitor {
public:
    STACK_PROBE std::string operator()(int times) const
    {
        std::string trace = Tag<int>() + times;
        probeCalls = probeCalls + times;
        return trace;
    }
};

class Recorder {
public:
    STACK_PROBE explicit Recorder(std::string* out)
    {
        *out = Visitor()(1);
        probeCalls = probeCalls + 1;
    }
};

STACK_PROBE std::string freeFunction()
{
    std::string trace;
    Recorder recorder(&trace);
    probeCalls = probeCalls + 1;
    return trace;
}

}

extern "C" STACK_PROBE void stacktest_c_entry(std::string* out)
{
    *out = stacktest::freeFunction();
    probeCalls = probeCalls + 1;
}

namespace {

STACK_PROBE int notExported(int x)
{
    probeCalls = probeCalls + x;
    return probeCalls;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

}

TEST(ADSStackTrace, NamesKnownFramesInMethodAndFunctionForm)
{
    std::string trace;
    stacktest_c_entry(&trace);
    probeCalls = probeCalls + 1;
    const std::vector<std::string> frames = lines(trace);
    ASSERT_FALSE(frames.empty());

    // "#%-2u %-35s %0*p name": number, image in 35 columns, address ten wide or more.
    const std::regex form(R"(#(\d+) +(\S+) +0x[0-9a-f]{8,} (.+))");
    std::vector<std::string> names;
    for (size_t i = 0; i < frames.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(frames[i], m, form)) << frames[i];
        EXPECT_EQ(m[1].str(), std::to_string(i));
        names.push_back(m[3].str());
        if (m[2].str().size() <= 35 && i < 100) {
            EXPECT_EQ(frames[i][39], ' ') << "image column is 35 wide: " << frames[i];
        }
    }
    EXPECT_EQ(frames[0].substr(0, 4), "#0  ");
    if (frames.size() > 10) {
        EXPECT_EQ(frames[10].substr(0, 4), "#10 ");
    }

    // The innermost line is the caller of ADSStackTrace, not ADSStackTrace itself.
    const std::vector<std::string> expected = { "-[stacktest::Probe capture]", "-[stacktest::holder<int> get]",
        "stacktest::operator+<int>()", "-[stacktest::Visitor operator()]", "-[stacktest::Recorder Recorder]", "stacktest::freeFunction()",
        "stacktest_c_entry()", "-[ADSStackTrace_NamesKnownFramesInMethodAndFunctionForm_Test TestBody]" };
    ASSERT_GE(names.size(), expected.size()) << trace;
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + long(expected.size())), expected) << trace;
    EXPECT_EQ(frames[0].substr(4, 35), std::string("test_ads_encoding") + std::string(35 - 17, ' '));
}

TEST(ADSStackTrace, UnknownImagesAndSymbolsAndTheMethodForms)
{
    const void* addresses[] = { reinterpret_cast<const void*>(uintptr_t(0x10)),
        reinterpret_cast<const void*>(&notExported) };
    auto found = ADSGetStackAddressDescriptorsForAddresses(addresses);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].imageName, "test_ads_encoding") << "known image, unnamed function";
    EXPECT_EQ(notExported(0), probeCalls);

    ADSStackAddressDescriptor classMethod;
    classMethod.address = reinterpret_cast<const void*>(uintptr_t(0xabcdef));
    classMethod.imageName = "an-image-whose-name-runs-past-thirty-five-columns.so";
    classMethod.className = "ADSBannerView";
    classMethod.symbol = "sharedBanner";
    classMethod.isClassMethod = true;
    found.push_back(classMethod);

    std::ostringstream hidden;
    hidden << std::hex << reinterpret_cast<uintptr_t>(&notExported);
    ASSERT_GE(hidden.str().size(), 8u) << "a program address is wider than the padding";
    EXPECT_EQ(ADSStackTraceFromAddressDescriptors(found),
        "#0  ??                                  0x00000010 \?\?\?()\n"
        "#1  test_ads_encoding                   0x" + hidden.str() + " \?\?\?()\n"
        "#2  an-image-whose-name-runs-past-thirty-five-columns.so 0x00abcdef +[ADSBannerView sharedBanner]");
    EXPECT_EQ(ADSStackTraceFromAddressDescriptors({}), "");
}
