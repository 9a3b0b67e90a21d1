#include "platform/Console.h"
#include "platform/FileFaults.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

using namespace platform;

namespace {

class UserDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = FileSystem::appendPathComponent(Paths::preferences(),
            std::string("ud-") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".plist");
        FileSystem::removeFile(path);
    }
    void TearDown() override
    {
        FileSystem::setFaultHook(nullptr);
        FileSystem::removeFile(path);
    }
    void writeStore(const Dictionary& d) { ASSERT_TRUE(PropertyList::writeFile(path, Value(d))); }
    std::string path;
};

}

TEST_F(UserDefaultsTest, BoolConversions)
{
    writeStore({ { "yes", Value("YES") }, { "yesLower", Value("yes") }, { "true", Value("TRUE") }, { "one", Value("1") },
        { "seven", Value("  7 days") }, { "no", Value("NO") }, { "false", Value("false") }, { "zero", Value("0") },
        { "word", Value("maybe") }, { "empty", Value("") }, { "numTrue", Value(2) }, { "numFalse", Value(0) },
        { "real", Value(0.25) }, { "boolTrue", Value(true) }, { "boolFalse", Value(false) },
        { "array", Value(Array { Value(true) }) } });
    UserDefaults d(path);
    for (const char* key : { "yes", "yesLower", "true", "one", "seven", "numTrue", "real", "boolTrue" })
        EXPECT_TRUE(d.boolForKey(key)) << key;
    for (const char* key : { "no", "false", "zero", "word", "empty", "numFalse", "boolFalse", "array", "missing" })
        EXPECT_FALSE(d.boolForKey(key)) << key;
}

TEST_F(UserDefaultsTest, IntegerConversions)
{
    writeStore({ { "lead", Value("  -12abc") }, { "plus", Value("+5") }, { "none", Value("abc") },
        { "spaceSign", Value("- 3") }, { "real", Value(-7.9) }, { "bool", Value(true) }, { "int", Value(36) },
        { "huge", Value("99999999999999999999") }, { "date", Value(Date { 5 }) } });
    UserDefaults d(path);
    EXPECT_EQ(d.integerForKey("lead"), -12);
    EXPECT_EQ(d.integerForKey("plus"), 5);
    EXPECT_EQ(d.integerForKey("none"), 0);
    EXPECT_EQ(d.integerForKey("spaceSign"), 0);
    EXPECT_EQ(d.integerForKey("real"), -7);
    EXPECT_EQ(d.integerForKey("bool"), 1);
    EXPECT_EQ(d.integerForKey("int"), 36);
    EXPECT_EQ(d.integerForKey("huge"), INT64_MAX);
    EXPECT_EQ(d.integerForKey("date"), 0);
    EXPECT_EQ(d.integerForKey("missing"), 0);
    EXPECT_DOUBLE_EQ(d.doubleForKey("real"), -7.9);
    EXPECT_EQ(d.stringForKey("int"), "36");
    EXPECT_EQ(d.stringForKey("lead"), "  -12abc");
    EXPECT_EQ(d.stringForKey("missing"), "");
}

TEST_F(UserDefaultsTest, StoredValuesWinOverRegisteredDefaults)
{
    writeStore({ { "is5hp", Value(false) } });
    UserDefaults d(path);
    d.registerDefaults({ { "is5hp", Value(true) }, { "diceFaceType", Value(20) } });
    EXPECT_FALSE(d.boolForKey("is5hp")); // present with NO: not the default
    EXPECT_EQ(d.integerForKey("diceFaceType"), 20);
    EXPECT_TRUE(d.objectForKey("numPlayers").isNull());
    d.removeObject("is5hp");
    EXPECT_TRUE(d.boolForKey("is5hp"));
    ASSERT_TRUE(d.synchronize());
    // Registered defaults never reach the file.
    auto file = PropertyList::readFile(path);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->asDictionary().empty());
}

TEST_F(UserDefaultsTest, RegistrationDomainHoldsPreferredLanguages)
{
    UserDefaults d(path);
    Value langs = d.objectForKey("AppleLanguages");
    ASSERT_TRUE(langs.isArray());
    ASSERT_FALSE(langs.asArray().empty());
    const std::string& first = langs.asArray()[0].asString();
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first.find('.'), std::string::npos);
    EXPECT_EQ(first.find('_'), std::string::npos);
    EXPECT_TRUE(d.persistentDomain().empty());
}

TEST_F(UserDefaultsTest, PreferredLanguagesComeFromTheEnvironment)
{
    const char* oldLanguage = getenv("LANGUAGE");
    const char* oldLang = getenv("LANG");
    std::string savedLanguage = oldLanguage ? oldLanguage : "", savedLang = oldLang ? oldLang : "";
    unsetenv("LANGUAGE");
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(UserDefaults(path).objectForKey("AppleLanguages"), Value(Array { Value("en") }));
    setenv("LANGUAGE", "pt_PT:pt:en", 1);
    EXPECT_EQ(UserDefaults(path).objectForKey("AppleLanguages"), Value(Array { Value("pt-PT"), Value("pt"), Value("en") }));
    unsetenv("LANGUAGE");
    setenv("LANG", "C", 1);
    EXPECT_EQ(UserDefaults(path).objectForKey("AppleLanguages"), Value(Array { Value("en") }));
    if (oldLanguage)
        setenv("LANGUAGE", savedLanguage.c_str(), 1);
    if (oldLang)
        setenv("LANG", savedLang.c_str(), 1);
    else
        unsetenv("LANG");
}

TEST_F(UserDefaultsTest, SynchronizeSavesThenSeesOtherWriters)
{
    UserDefaults app(path);
    app.setInteger("numPlayers", 3);
    app.setBool("isAlwaysOn", false);
    EXPECT_FALSE(FileSystem::exists(path)); // nothing written before synchronize
    ASSERT_TRUE(app.synchronize());
    EXPECT_EQ(PropertyList::readFile(path)->asDictionary().get("numPlayers").asInt64(), 3);

    // The settings window, another instance, changes a key.
    UserDefaults settings(path);
    EXPECT_EQ(settings.integerForKey("numPlayers"), 3);
    settings.setBool("isLandscapeAtStart", true);
    ASSERT_TRUE(settings.synchronize());

    EXPECT_TRUE(app.objectForKey("isLandscapeAtStart").isNull());
    // A pending change of one key does not undo the other writer's key.
    app.setInteger("diceFaceType", 6);
    ASSERT_TRUE(app.synchronize());
    EXPECT_TRUE(app.boolForKey("isLandscapeAtStart"));
    EXPECT_EQ(app.integerForKey("diceFaceType"), 6);
    ASSERT_TRUE(settings.synchronize());
    EXPECT_EQ(settings.integerForKey("diceFaceType"), 6);
    EXPECT_TRUE(settings.boolForKey("isLandscapeAtStart"));
}

TEST_F(UserDefaultsTest, DamageCostsOnlyTheDamagedSettingsAndTheFileIsKept)
{
    Console::setEcho(false);
    Console::setKeepingLines(true);
    const Dictionary sound { { "isDiceRepeat", Value(true) }, { "diceFaceType", Value(6) }, { "numPlayers", Value(4) },
        { "ads_stats_shared", Value(Dictionary { { "preqs", Value(7) } }) }, { "name", Value("Orrin") } };
    writeStore(sound);
    const std::string text = FileSystem::readFile(path).value_or("");
    const std::vector<std::string> keys { "isDiceRepeat", "diceFaceType", "numPlayers", "ads_stats_shared", "name" };

    struct Damage {
        std::string text;
        std::vector<std::string> lost; // the settings that must fall back
    };
    std::string flipped = text;
    flipped[text.find("<integer>4") + 5] ^= 0x08; // "<integer>" becomes "<intoger>"
    std::string huge = text;
    huge.resize(100u << 20, '\n');
    const std::vector<Damage> damages {
        { flipped, { "numPlayers" } },
        { text.substr(0, text.find("<integer>4") + 4), { "numPlayers", "ads_stats_shared", "name" } },
        { text.substr(0, text.find("preqs")), { "ads_stats_shared", "name" } },
        { huge, keys },
        { "\x01\x02 not a property list at all", keys },
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.text.substr(0, 200));
        for (const std::string& kept : FileSystem::contentsOfDirectory(Paths::preferences()))
            if (kept.find(".damaged.") != std::string::npos)
                FileSystem::removeFile(FileSystem::appendPathComponent(Paths::preferences(), kept));
        ASSERT_TRUE(FileSystem::writeAtomically(path, damage.text));
        Console::takeLines();
        UserDefaults d(path);
        d.registerDefaults({ { "numPlayers", Value(2) } });
        EXPECT_EQ(Console::takeLines().size(), 1u);
        for (const std::string& key : keys) {
            const bool lost = std::find(damage.lost.begin(), damage.lost.end(), key) != damage.lost.end();
            EXPECT_EQ(d.persistentDomain().find(key) == nullptr, lost) << key;
            if (!lost) {
                EXPECT_EQ(d.objectForKey(key), *sound.find(key)) << key;
            } else if (key == "numPlayers") {
                EXPECT_EQ(d.integerForKey(key), 2); // the default
            }
        }
        // The damaged file is kept whole; the store holds what was recovered
        // and reads back sound, without another word.
        EXPECT_TRUE(FileSystem::readFile(path + ".damaged.1").value_or("<none>") == damage.text);
        UserDefaults again(path);
        EXPECT_TRUE(Console::takeLines().empty());
        EXPECT_EQ(again.persistentDomain(), d.persistentDomain());
    }
}

TEST_F(UserDefaultsTest, AFailedSaveKeepsTheFileAndTheChangesAndSaysSoOnce)
{
    Console::setEcho(false);
    Console::setKeepingLines(true);
    writeStore({ { "numPlayers", Value(3) }, { "diceFaceType", Value(20) } });
    const std::string before = FileSystem::readFile(path).value_or("");
    UserDefaults d(path);
    using Step = FileSystem::FileStep;
    // Read: a store that cannot read its file must not write over it, which
    // would keep only the changes made here.
    for (Step step : { Step::CreateTemporary, Step::Write, Step::Sync, Step::Rename, Step::Read }) {
        for (int err : { EIO, EACCES }) {
            FileSystem::setFaultHook([&](Step s, const std::string&) { return s == step ? err : 0; });
            d.setInteger("numPlayers", 5);
            Console::takeLines();
            EXPECT_FALSE(d.synchronize());
            FileSystem::setFaultHook(nullptr);
            const auto lines = Console::takeLines();
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_NE(lines[0].find(std::strerror(err)), std::string::npos) << lines[0];
            EXPECT_EQ(FileSystem::readFile(path).value_or(""), before);
            EXPECT_EQ(d.integerForKey("numPlayers"), 5);
        }
    }
    EXPECT_TRUE(d.synchronize());
    EXPECT_EQ(UserDefaults(path).integerForKey("numPlayers"), 5);
    EXPECT_EQ(UserDefaults(path).integerForKey("diceFaceType"), 20);
}

TEST_F(UserDefaultsTest, SettingNullRemovesTheKey)
{
    UserDefaults d(path);
    d.setObject("a", Value(1));
    d.setObject("a", Value());
    EXPECT_TRUE(d.objectForKey("a").isNull());
    EXPECT_TRUE(d.synchronize());
    EXPECT_TRUE(UserDefaults(path).objectForKey("a").isNull());
}

TEST_F(UserDefaultsTest, StandardStoreLivesUnderPreferences)
{
    EXPECT_EQ(UserDefaults::standard().filePath(), Paths::preferences() + "/" + Bundle::identifier() + ".plist");
    EXPECT_FALSE(Bundle::identifier().empty());
}
