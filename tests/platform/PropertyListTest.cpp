#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>

using namespace platform;

namespace {

std::string dataFile(const std::string& name) { return std::string(TOLVANE_TEST_DATA_DIR) + "/plist/" + name; }

std::string wrap(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>\n";
}

Value roundTrip(const Value& v)
{
    auto back = PropertyList::parse(PropertyList::serialize(v));
    EXPECT_TRUE(back) << (back ? "" : back.error().message) << "\n" << PropertyList::serialize(v);
    return back.value_or(Value());
}

void expectRefused(const std::string& xml, const std::string& why)
{
    auto v = PropertyList::parse(xml);
    ASSERT_FALSE(v) << why << ": accepted " << xml;
    EXPECT_EQ(v.error().domain, PropertyList::kErrorDomain) << why;
    EXPECT_EQ(v.error().code, PropertyList::ErrorNotAPropertyList) << why;
    EXPECT_FALSE(v.error().message.empty()) << why;
}

}

TEST(PropertyList, RoundTripsEveryValueType)
{
    Dictionary inner { { "empty array", Value(Array {}) }, { "empty dict", Value(Dictionary {}) }, { "", Value("empty key") } };
    Array all {
        Value("plain"),
        Value(""),
        Value(int64_t(0)),
        Value(std::numeric_limits<int64_t>::max()),
        Value(std::numeric_limits<int64_t>::min()),
        Value(-20),
        Value(3.25),
        Value(-0.1),
        Value(1e300),
        Value(5e-324),
        Value(true),
        Value(false),
        Value(Date { 1768478400 }),
        Value(Date { -86400 * 365.0 }),
        Value(Bytes {}),
        Value(Bytes { 0, 1, 2, 253, 254, 255 }),
        Value(Bytes { 'a' }),
        Value(Bytes { 'a', 'b' }),
        Value(inner),
        Value(Array { Value(Array { Value(Array {}) }) }),
    };
    Value back = roundTrip(Value(all));
    EXPECT_EQ(back, Value(all));
    // Types survive, not only values.
    ASSERT_EQ(back.asArray().size(), all.size());
    for (size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(back.asArray()[i].type(), all[i].type()) << i;
}

TEST(PropertyList, SpecialRealsRoundTrip)
{
    Value back = roundTrip(Value(Array { Value(std::numeric_limits<double>::infinity()),
        Value(-std::numeric_limits<double>::infinity()), Value(std::numeric_limits<double>::quiet_NaN()) }));
    ASSERT_EQ(back.asArray().size(), 3u);
    EXPECT_EQ(back.asArray()[0].asDouble(), std::numeric_limits<double>::infinity());
    EXPECT_EQ(back.asArray()[1].asDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(back.asArray()[2].asDouble()));
}

TEST(PropertyList, DecimalIsWrittenWithItsOwnDigits)
{
    std::string xml = PropertyList::serialize(Value(Decimal { "0.10000000000000000001" }));
    EXPECT_NE(xml.find("<real>0.10000000000000000001</real>"), std::string::npos);
}

TEST(PropertyList, DatesAreWholeSecondsUtc)
{
    std::string xml = PropertyList::serialize(Value(Date { 1768478403.75 }));
    EXPECT_NE(xml.find("<date>2026-01-15T12:00:03Z</date>"), std::string::npos) << xml;
    // Before 1970 the fraction goes down to the earlier second.
    xml = PropertyList::serialize(Value(Date { -0.5 }));
    EXPECT_NE(xml.find("<date>1969-12-31T23:59:59Z</date>"), std::string::npos) << xml;
    auto v = PropertyList::parse(wrap("<date>2024-02-29T23:59:59Z</date>"));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->asDate().secondsSince1970, 1709251199.0);
}

TEST(PropertyList, UnicodeAndEscapingSurvive)
{
    const std::string tricky = "Ajaní ☃ 🂡 <b>&amp;</b> \"q\" 'a' ]]> tab\tnl\ncr\rend";
    Value v(Dictionary { { "k<&>\"", Value(tricky) }, { "名前", Value("名前") } });
    std::string xml = PropertyList::serialize(v);
    EXPECT_NE(xml.find("&lt;b&gt;&amp;amp;&lt;/b&gt;"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<key>k&lt;&amp;&gt;&quot;</key>"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("<b>"), std::string::npos);
    EXPECT_EQ(roundTrip(v), v);
}

TEST(PropertyList, ControlCharactersAndBrokenUtf8StayReadable)
{
    std::string withControl = std::string("a\x01") + "b\x1f" + "c";
    Value back = roundTrip(Value(withControl));
    EXPECT_EQ(back.asString(), withControl);
    // Bytes that are not UTF-8 are replaced; the file stays readable.
    back = roundTrip(Value(std::string("ok\xff\xfeok")));
    EXPECT_EQ(back.asString(), "ok\xEF\xBF\xBD\xEF\xBF\xBDok");
}

TEST(PropertyList, WritesTheUsualLayout)
{
    Array game { Value("2"), Value("Orrin"), Value("Ajani"), Value("20"), Value("36"), Value("18"), Value("36"),
        Value(Date { 1768478403 }), Value("Orrin"), Value(19) };
    auto golden = FileSystem::readFile(dataFile("savedgame.plist"));
    ASSERT_TRUE(golden);
    EXPECT_EQ(PropertyList::serialize(Value(game)), *golden);
    auto parsed = PropertyList::parse(*golden);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, Value(game));
    EXPECT_TRUE(parsed->asArray()[9].isInteger());
    EXPECT_TRUE(parsed->asArray()[3].isString());
}

TEST(PropertyList, DeepIndentationAndDatesAcrossMidnight)
{
    // Log dates going over midnight and back again, twelve containers deep.
    Value v(Array { Value(Date { 1768521599 }), Value(Date { 1768521600 }), Value(Date { 1768521598 }) });
    for (int i = 0; i < 11; ++i)
        v = Value(Dictionary { { "k", v } });
    const std::string xml = PropertyList::serialize(v);
    const std::string tabs(12, '\t');
    EXPECT_NE(xml.find(tabs + "<date>2026-01-15T23:59:59Z</date>\n" + tabs + "<date>2026-01-16T00:00:00Z</date>\n" + tabs
                  + "<date>2026-01-15T23:59:58Z</date>\n" + std::string(11, '\t') + "</array>\n"),
        std::string::npos)
        << xml;
    EXPECT_NE(xml.find(std::string(10, '\t') + "<key>k</key>\n"), std::string::npos) << xml;
    EXPECT_EQ(roundTrip(v), v);
}

TEST(PropertyList, ReaderAcceptsWhatWellFormedFilesMayHold)
{
    auto v = PropertyList::parse("\xEF\xBB\xBF<?xml version=\"1.0\"?>\n<!-- saved -->\n"
                                 "<!DOCTYPE plist SYSTEM \"file://localhost/System/Library/DTDs/PropertyList.dtd\">\n"
                                 "<plist version=\"1.0\">\n<dict>\n <!-- c -->\n <key>a</key>\n <string>x&#65;&#x42;&apos;<![CDATA[<raw>&]]></string>\n"
                                 " <key>b</key><integer> -0x10 </integer>\n <key>c</key><real>.5</real>\n"
                                 " <key>d</key><true></true><key>e</key><string/>\n"
                                 " <key>f</key><data>\n  AAEC\n  /w==\n </data>\n <key>a</key><integer>1</integer>\n"
                                 "</dict>\n</plist>\n<!-- done -->\n");
    ASSERT_TRUE(v);
    const Dictionary& d = v->asDictionary();
    EXPECT_EQ(d.size(), 6u);
    EXPECT_EQ(d.begin()->first, "a"); // repeated key replaced in place
    EXPECT_EQ(d.get("a").asInt64(), 1);
    EXPECT_EQ(d.get("b").asInt64(), -16);
    EXPECT_EQ(d.get("c").asDouble(), 0.5);
    EXPECT_TRUE(d.get("d").asBool());
    EXPECT_EQ(d.get("e").asString(), "");
    EXPECT_EQ(d.get("f").asData(), (Bytes { 0, 1, 2, 255 }));

    auto s = PropertyList::parse(wrap("<string>x&#65;&#x42;&apos;<![CDATA[<raw>&]]></string>"));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->asString(), "xAB'<raw>&");
    auto crlf = PropertyList::parse(wrap("<string>a\r\nb\rc</string>"));
    ASSERT_TRUE(crlf);
    EXPECT_EQ(crlf->asString(), "a\nb\nc");
}

TEST(PropertyList, RefusesDamagedDocuments)
{
    expectRefused("", "empty");
    expectRefused("   \n", "blank");
    expectRefused("<array></array>", "no plist root");
    expectRefused(wrap(""), "no value");
    expectRefused("<plist version=\"1.0\"/>", "empty root");
    expectRefused("<plist version=\"2.0\"><true/></plist>", "unknown version");
    expectRefused(wrap("<array><string>a</string>"), "unclosed array");
    expectRefused(wrap("<array></dict>"), "mismatched tags");
    expectRefused(wrap("<string>a</strin>"), "mismatched string");
    expectRefused(wrap("<string>a<b/></string>"), "element inside string");
    expectRefused(wrap("<string>a & b</string>"), "bare ampersand");
    expectRefused(wrap("<string>&nbsp;</string>"), "undeclared entity");
    expectRefused(wrap("<string>&#0;</string>"), "NUL reference");
    expectRefused(wrap("<string>&#xD800;</string>"), "surrogate reference");
    expectRefused(wrap("<string>&#x110000;</string>"), "beyond unicode");
    expectRefused(wrap("<string>\xC3\x28</string>"), "broken UTF-8");
    expectRefused(wrap("<string>\xC0\xAF</string>"), "overlong UTF-8");
    expectRefused(wrap("<string>a\x01</string>"), "raw control character");
    expectRefused(wrap("<integer>12a</integer>"), "bad integer");
    expectRefused(wrap("<integer></integer>"), "empty integer");
    expectRefused(wrap("<integer>9223372036854775808</integer>"), "integer too large");
    expectRefused(wrap("<integer>1.5</integer>"), "fraction in integer");
    expectRefused(wrap("<real>1.2.3</real>"), "bad real");
    expectRefused(wrap("<real>1e999</real>"), "real out of range");
    expectRefused(wrap("<date>2026-02-30T00:00:00Z</date>"), "no such day");
    expectRefused(wrap("<date>2026-01-15 12:00:00</date>"), "wrong date form");
    expectRefused(wrap("<date>2026-01-15T24:00:00Z</date>"), "hour 24");
    expectRefused(wrap("<data>AB$C</data>"), "bad base64");
    expectRefused(wrap("<data>QQ=</data>"), "short padding");
    expectRefused(wrap("<data>QQ==QQ==</data>"), "data after padding");
    expectRefused(wrap("<dict><string>v</string></dict>"), "value without key");
    expectRefused(wrap("<dict><key>k</key></dict>"), "key without value");
    expectRefused(wrap("<array>loose text</array>"), "text between elements");
    expectRefused(wrap("<unknown/>"), "unknown element");
    expectRefused(wrap("<true>yes</true>"), "content in true");
    expectRefused(wrap("<true/>") + "<true/>", "second root");
    expectRefused(wrap("<true/>") + "garbage", "trailing garbage");
    expectRefused(wrap("<true/><true/>"), "two values");
    expectRefused(wrap("<string>a<!-- open</string>"), "open comment");
    expectRefused("<!DOCTYPE html><plist version=\"1.0\"><true/></plist>", "other document type");
    expectRefused("<plist version=\"1.0\"><true/></plist><?xml version=\"1.0\"?>", "late declaration");
    // A declaration or a document type that says anything but "property list".
    const std::string body = "<plist version=\"1.0\"><true/></plist>";
    for (const char* declaration : { "<?xml versaon=\"1.0\"?>", "<?xml?>", "<?xml version=\"2.0\"?>",
             "<?xml version=\"1.0\" encoding=\"UTF-16\"?>", "<?xml encoding=\"UTF-8\" version=\"1.0\"?>",
             "<?xml version=\"1.0\"encoding=\"UTF-8\"?>", "<?xml version=\"1.0\" standalone=\"maybe\"?>",
             "<?xml version=\"1.0?>\"?>", "<!DOCTYPE plist PUBLIC \"-//Evil//EN\" \"http://example.com/x.dtd\">",
             "<!DOCTYPE plist SYSTEM \"http://example.com/x.dtd\">",
             "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"file:///etc/passwd\">",
             "<!DOCTYPE plist anything at all>" })
        expectRefused(declaration + body, declaration);
    EXPECT_TRUE(PropertyList::parse("<?xml version='1.0' encoding='utf-8' standalone='no' ?><!DOCTYPE plist>" + body));
    expectRefused(wrap("<string attr=unquoted>x</string>"), "unquoted attribute");
    expectRefused(wrap("<array><true/></array>").substr(0, 60), "cut short");
}

TEST(PropertyList, RefusesEntityDeclarationsQuickly)
{
    for (const char* name : { "billion-laughs.plist", "external-entity.plist" }) {
        auto text = FileSystem::readFile(dataFile(name));
        ASSERT_TRUE(text);
        const auto start = std::chrono::steady_clock::now();
        auto refused = PropertyList::parse(*text);
        ASSERT_FALSE(refused) << name;
        EXPECT_NE(refused.error().message.find("not accepted"), std::string::npos) << refused.error().message;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    }
    expectRefused("<!ENTITY a \"b\"><plist version=\"1.0\"><true/></plist>", "bare entity");
    expectRefused(wrap("<array><!ENTITY a \"b\"></array>"), "entity inside");
}

TEST(PropertyList, RefusesDeepNestingWithoutCrashing)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<array>";
    expectRefused(wrap(deep), "deep nesting");
    std::string fine;
    for (int i = 0; i < 200; ++i)
        fine += "<array>";
    for (int i = 0; i < 200; ++i)
        fine += "</array>";
    EXPECT_TRUE(PropertyList::parse(wrap(fine)));
}

TEST(PropertyList, RefusesEveryTruncationOfAValidFile)
{
    auto text = FileSystem::readFile(dataFile("savedgame.plist"));
    ASSERT_TRUE(text);
    // Everything but the closing tag's trailing newline is needed.
    const size_t needed = text->rfind("</plist>") + 8;
    for (size_t n = 0; n < needed; ++n)
        EXPECT_FALSE(PropertyList::parse(std::string_view(*text).substr(0, n))) << n;
    EXPECT_TRUE(PropertyList::parse(std::string_view(*text).substr(0, needed)));
    auto truncated = PropertyList::readFile(dataFile("truncated.plist"));
    EXPECT_FALSE(truncated);
}

TEST(PropertyList, FilesRoundTripAndNullIsRefused)
{
    const std::string path = FileSystem::appendPathComponent(Paths::documents(), "plist-test.plist");
    Value v(Array { Value("a"), Value(Dictionary { { "n", Value(1) } }) });
    ASSERT_TRUE(PropertyList::writeFile(path, v));
    auto back = PropertyList::readFile(path);
    ASSERT_TRUE(back) << back.error().message;
    EXPECT_EQ(*back, v);

    auto withNull = PropertyList::writeFile(path, Value(Array { Value("b"), Value() }));
    EXPECT_EQ(withNull.error().code, PropertyList::ErrorNullValue);
    back = PropertyList::readFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, v);

    // A file that is not there fails as the file system says.
    auto absent = PropertyList::readFile(path + ".absent");
    ASSERT_FALSE(absent);
    EXPECT_EQ(absent.error().domain, FileSystem::kErrorDomain);
    FileSystem::removeFile(path);
}

TEST(PropertyList, RandomDamageNeverCrashesAndAcceptedTextIsStable)
{
    Value sample(Dictionary { { "names", Value(Array { Value("Orrin"), Value("Ajaní & <co>") }) },
        { "n", Value(-42) }, { "r", Value(2.5) }, { "when", Value(Date { 1768478400 }) },
        { "blob", Value(Bytes { 1, 2, 3, 4, 5 }) }, { "flags", Value(Array { Value(true), Value(false) }) } });
    const std::string good = PropertyList::serialize(sample);
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 8); };
    const char alphabet[] = "<>/&;#x=\"' \n\t[]!-?adkeyintgrsl0123456789\xC3\xA9\xFF";
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = good;
        const int edits = 1 + int(next() % 4);
        for (int e = 0; e < edits; ++e) {
            const size_t at = next() % text.size();
            const char c = alphabet[next() % (sizeof alphabet - 1)];
            switch (next() % 3) {
            case 0: text[at] = c; break;
            case 1: text.insert(text.begin() + long(at), c); break;
            default: text.erase(at, 1 + next() % 8); break;
            }
        }
        auto v = PropertyList::parse(text);
        if (!v) {
            EXPECT_FALSE(v.error().message.empty());
            continue;
        }
        ++accepted;
        // Whatever was accepted must survive its own round trip unchanged.
        auto again = PropertyList::parse(PropertyList::serialize(*v));
        ASSERT_TRUE(again) << text;
        if (v->type() == Value::Type::Real || !(*v == *v))
            continue;
        EXPECT_EQ(*again, *v) << text;
    }
    EXPECT_GT(accepted, 0);
}
