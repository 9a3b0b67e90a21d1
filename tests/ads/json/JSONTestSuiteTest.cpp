// The reader against the JSONTestSuite parsing corpus kept beside the source
// tree (../shared/conformance): every y_ file reads, every n_ file is refused
// but for three deliberate acceptances, and nothing (i_ files, transform
// files) crashes or takes long. What reads also writes and reads back equal.
#include "json/ADS_KVJSON.h"

#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path suiteDir()
{
    return fs::path(TOLVANE_SOURCE_DIR).parent_path() / "shared" / "conformance" / "JSONTestSuite";
}

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The reader takes values separated only by white space, and the form feed
// as white space; the suite calls both errors.
const std::set<std::string> kDeliberatelyAccepted = {
    "n_array_1_true_without_comma.json",
    "n_array_inner_array_no_comma.json",
    "n_structure_whitespace_formfeed.json",
};

struct Outcome {
    bool accepted = false;
    std::string failure; // why a read value did not survive writing and reading back
    double seconds = 0;
};

Outcome readAndRoundTrip(const std::string& text)
{
    Outcome o;
    platform::RealClock clock;
    const double start = clock.monotonic();
    ADS_KVJSON json;
    platform::Error error;
    std::optional<platform::Value> value = json.fragmentWithString(text, &error);
    o.accepted = value.has_value();
    if (value) {
        ADS_KVJSON writer;
        std::optional<std::string> written = writer.stringWithFragment(*value, &error);
        if (!written)
            o.failure = "write failed: " + error.message;
        else if (std::optional<platform::Value> back = ADS_KVJSON().fragmentWithString(*written, &error); !back)
            o.failure = "written text does not read: " + *written;
        else if (*back != *value)
            o.failure = "reads back different: " + *written;
    }
    o.seconds = clock.monotonic() - start;
    return o;
}

}

TEST(JSONTestSuite, ParsingCorpus)
{
    const fs::path dir = suiteDir() / "test_parsing";
    ASSERT_TRUE(fs::is_directory(dir)) << dir << " is missing: the conformance data must be beside the source tree";
    std::map<char, int> seen;
    std::map<char, int> accepted;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 2 || name[1] != '_')
            continue;
        const char kind = name[0];
        ++seen[kind];
        SCOPED_TRACE(name);
        const Outcome o = readAndRoundTrip(contents(entry.path()));
        EXPECT_LT(o.seconds, 1.0) << "took too long";
        EXPECT_EQ(o.failure, "");
        if (kind == 'y') {
            EXPECT_TRUE(o.accepted);
        } else if (kind == 'n' && kDeliberatelyAccepted.count(name)) {
            EXPECT_TRUE(o.accepted) << "a deliberate acceptance changed";
        } else if (kind == 'n') {
            EXPECT_FALSE(o.accepted);
        }
        accepted[kind] += o.accepted;
    }
    // The suite as kept: 95 accept, 188 refuse, 35 either way.
    EXPECT_GE(seen['y'], 95);
    EXPECT_GE(seen['n'], 188);
    EXPECT_GE(seen['i'], 35);
    std::printf("JSONTestSuite: y %d/%d read, n %d/%d refused, i %d/%d read\n", accepted['y'], seen['y'],
        seen['n'] - accepted['n'], seen['n'], accepted['i'], seen['i']);
}

TEST(JSONTestSuite, TransformCorpusReadsOrFailsCleanly)
{
    const fs::path dir = suiteDir() / "test_transform";
    ASSERT_TRUE(fs::is_directory(dir)) << dir << " is missing";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        const Outcome o = readAndRoundTrip(contents(entry.path()));
        EXPECT_LT(o.seconds, 1.0);
        EXPECT_EQ(o.failure, "");
    }
    EXPECT_GE(files, 20);
}
