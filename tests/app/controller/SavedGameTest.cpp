#include "game/ControllerFixture.h"

#include "platform/FileFaults.h"
#include "platform/IntegerText.h"

#include <cerrno>
#include <cstring>
#include <limits>
#include <tuple>

class SavedGameTest : public ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        for (const std::string& kept : keptDamaged())
            platform::FileSystem::removeFile(kept);
    }
    void TearDown() override
    {
        platform::FileSystem::setFaultHook(nullptr);
        ControllerTest::TearDown();
    }
    // The damaged games set aside beside the saved game, oldest first.
    static std::vector<std::string> keptDamaged()
    {
        const std::string prefix = "data.plist.damaged.";
        std::vector<std::pair<long, std::string>> found;
        for (const std::string& name : platform::FileSystem::contentsOfDirectory(platform::Paths::documents()))
            if (name.rfind(prefix, 0) == 0)
                found.emplace_back(std::stol(name.substr(prefix.size())), name);
        std::sort(found.begin(), found.end());
        std::vector<std::string> out;
        for (const auto& [n, name] : found)
            out.push_back(platform::FileSystem::appendPathComponent(platform::Paths::documents(), name));
        return out;
    }
    static std::string newestDamaged()
    {
        auto kept = keptDamaged();
        return kept.empty() ? std::string() : kept.back();
    }
    platform::Array readBack()
    {
        auto root = platform::PropertyList::readFile(savedGamePath());
        EXPECT_TRUE(root && root->isArray());
        return root ? root->asArray() : platform::Array {};
    }
    // What the player sees after an unreadable file: untouched default names,
    // a fresh round, the file set aside whole.
    void expectSetAside(const std::string& golden)
    {
        const auto original = platform::FileSystem::readFile(std::string(TOLVANE_TEST_DATA_DIR) + "/savedgames/" + golden);
        ASSERT_TRUE(original) << golden;
        EXPECT_EQ(c().nameField0->text(), "Kim") << golden;
        EXPECT_EQ(c().nameField1->text(), "Lee") << golden;
        EXPECT_EQ(c().getHP(0), 20) << golden;
        EXPECT_EQ(c().getHP(1), 20) << golden;
        EXPECT_TRUE(c().arHp.empty()) << golden;
        EXPECT_EQ(c().gameRound, 1) << golden;
        EXPECT_FALSE(platform::FileSystem::exists(savedGamePath())) << golden;
        EXPECT_EQ(platform::FileSystem::readFile(newestDamaged()).value_or("<none>"), *original) << golden;
    }
};

TEST_F(SavedGameTest, ExampleFileRestoresNamesAndTotalsWithoutStartingARound)
{
    copyGolden("example.plist");
    launch();
    EXPECT_EQ(c().nameField0->text(), "Orrin");
    EXPECT_EQ(c().nameField1->text(), "Ajani");
    EXPECT_EQ(selected(0), 10);
    EXPECT_EQ(selected(1), 12);
    EXPECT_EQ(c().getHP(1), 18);
    EXPECT_TRUE(c().arHp.empty());
    EXPECT_EQ(c().gameRound, 0);
    EXPECT_FALSE(c().gameTimer);
    advance(5);
    EXPECT_EQ(c().buttonReset->title(), "Reset");
    // The next reset makes it round 1 at zero.
    c().DoReset();
    advance(1);
    EXPECT_EQ(c().buttonReset->title(), "R1 00:01");
}

TEST_F(SavedGameTest, LogIsRestoredWithItsDisplayTimes)
{
    copyGolden("with-log.plist");
    launch();
    ASSERT_EQ(c().arHp.size(), 2u);
    EXPECT_EQ(c().arHp, (std::vector<int> { 17, 23 }));
    EXPECT_EQ(*c().arName[0], "Orrin");
    EXPECT_EQ(*c().arName[1], "Ajani");
    EXPECT_EQ(c().arTimeString, (std::vector<std::string> { "2:01:02", "2:03:44" }));
    EXPECT_EQ(c().getHP(0), 17);
    EXPECT_EQ(c().getHP(1), 23);
    EXPECT_EQ(rows(1), 36); // the saved row count is not read back

    // A restored entry never merges: the field was set since.
    tap(*c().buttonInc1);
    EXPECT_EQ(c().arHp.size(), 3u);
}

TEST_F(SavedGameTest, OutOfRangeTotalsGetTheirMargins)
{
    writeSavedGame({ "2", "A", "B", "45", "36", "-8", "36" });
    launch();
    EXPECT_EQ(c().maxOfPicker(0), 55);
    EXPECT_EQ(selected(0), 10);
    EXPECT_EQ(c().getHP(0), 45);
    EXPECT_EQ(c().minOfPicker(1), -18);
    EXPECT_EQ(selected(1), 38);
    EXPECT_EQ(c().getHP(1), -8);
    quit();

    writeSavedGame({ "2", "A", "B", "30", "36", "-5", "36" });
    launch();
    EXPECT_EQ(c().maxOfPicker(0), 40);
    EXPECT_EQ(selected(0), 10);
    EXPECT_EQ(c().getHP(0), 30);
    EXPECT_EQ(c().minOfPicker(1), -5);
    EXPECT_EQ(selected(1), 35);
    quit();

    // The furthest totals play reaches: the wheel grows ten at a time and
    // stops short of the 32-bit edge (up), or of the most rows a column holds
    // (down). Such a game is sound and restores whole, with what margin fits.
    const int top = 30 + (std::numeric_limits<int32_t>::max() - 30) / 10 * 10;
    const int bottom = -5 - (std::numeric_limits<int32_t>::max() - 36) / 10 * 10;
    writeSavedGame({ "2", "Orrin", "Ajani", std::to_string(top), "36", std::to_string(bottom), "36",
        platform::Date { 1.7e9 }, "Orrin", top, platform::Date { 1.7e9 + 60 }, "Ajani", bottom });
    launch();
    EXPECT_TRUE(keptDamaged().empty());
    EXPECT_EQ(c().nameField0->text(), "Orrin");
    EXPECT_EQ(c().nameField1->text(), "Ajani");
    EXPECT_EQ(c().getHP(0), top);
    EXPECT_EQ(c().getHP(1), bottom);
    EXPECT_EQ(c().arHp, (std::vector<int> { top, bottom }));
    EXPECT_EQ(rows(0), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(rows(1), std::numeric_limits<int32_t>::max());
}

TEST_F(SavedGameTest, MorePlayersSavedThanConfiguredRestoreOnlyNames)
{
    copyGolden("three-players.plist");
    launch();
    EXPECT_EQ(c().nameField0->text(), "Orrin");
    EXPECT_EQ(c().nameField1->text(), "Ajani");
    // Reset runs and, asked first, waits for the answer.
    ASSERT_NE(c().currentAlert(), nullptr);
    EXPECT_EQ(c().currentAlert()->title(), "Reset");
    EXPECT_EQ(c().gameRound, 0);
    c().currentAlert()->simulateButtonPress(1);
    EXPECT_EQ(c().gameRound, 1);
    EXPECT_EQ(c().getHP(0), 20);
    EXPECT_EQ(c().getHP(1), 20);
    EXPECT_TRUE(platform::FileSystem::exists(savedGamePath()));
}

TEST_F(SavedGameTest, FewerPlayersSavedThanConfiguredKeepTheFurtherDefaultName)
{
    copyGolden("example.plist");
    setting("numPlayers", 3);
    launchWithoutAsking();
    EXPECT_EQ(c().ar_nameField[0]->text(), "Orrin");
    EXPECT_EQ(c().ar_nameField[1]->text(), "Ajani");
    EXPECT_EQ(c().ar_nameField[2]->text(), "Orrin");
    EXPECT_EQ(c().gameRound, 1);
    EXPECT_EQ(c().getHP(1), 20);
}

TEST_F(SavedGameTest, SavingWritesHeaderTotalsAndLogTriples)
{
    launch();
    c().nameField0->setText("Orrin");
    c().nameField1->setText("");
    tap(*c().buttonInc0);
    advance(5);
    tap(*c().buttonDec1);
    advance(5);
    tap(*c().buttonDec1);
    c().savePref();
    const auto saved = readBack();
    ASSERT_EQ(saved.size(), 16u);
    EXPECT_EQ(saved[0], platform::Value("2"));
    EXPECT_EQ(saved[1], platform::Value("Orrin"));
    EXPECT_EQ(saved[2], platform::Value(""));
    EXPECT_EQ(saved[3], platform::Value("21"));
    EXPECT_EQ(saved[4], platform::Value("46"));
    EXPECT_EQ(saved[5], platform::Value("18"));
    EXPECT_EQ(saved[6], platform::Value("36"));
    for (int j = 0; j < 3; ++j) {
        EXPECT_TRUE(saved[7 + 3 * j].isDate());
        EXPECT_TRUE(saved[8 + 3 * j].isString());
        EXPECT_TRUE(saved[9 + 3 * j].isInteger());
    }
    EXPECT_EQ(saved[9], platform::Value(21));
    EXPECT_EQ(saved[15], platform::Value(18));
    EXPECT_EQ(saved[11].asString(), "");
    EXPECT_EQ(saved[13].asDate().secondsSince1970, c().arTime[2].secondsSince1970);

    // Termination saves twice; the second write gives the same file.
    const auto first = platform::FileSystem::readFile(savedGamePath());
    ASSERT_TRUE(first);
    c().savePref();
    EXPECT_EQ(platform::FileSystem::readFile(savedGamePath()).value_or("<none>"), *first);
}

TEST_F(SavedGameTest, AGameSurvivesARestart)
{
    setting("numPlayers", 4);
    launch();
    c().ar_nameField[3]->setText("Nahiri");
    tap(*c().buttonDec0);
    select(2, 2);
    c().setPickerSelectedRow(3, -30);
    const std::vector<int> totals { c().getHP(0), c().getHP(1), c().getHP(2), c().getHP(3) };
    const auto times = c().arTimeString;
    platform::Application::shared().terminate();
    quit();

    launch();
    EXPECT_EQ(c().ar_nameField[3]->text(), "Nahiri");
    EXPECT_EQ(c().ar_nameField[2]->text(), "Orrin");
    for (int p = 0; p < 4; ++p)
        EXPECT_EQ(c().getHP(p), totals[p]) << p;
    EXPECT_EQ(c().arTimeString, times);
    EXPECT_EQ(c().arHp.size(), 4u);
    EXPECT_EQ(selected(2), 2); // 28 restored in a fresh column
}

TEST_F(SavedGameTest, FurtherPlayerAtZeroOrBelowGetsAColumnThatHoldsIt)
{
    setting("numPlayers", 3);
    writeSavedGame({ "3", "A", "B", "C", "20", "36", "20", "36", "0", "30" });
    launch();
    EXPECT_EQ(c().getHP(2), 0);
    EXPECT_EQ(c().minOfPicker(2), -4);
    EXPECT_EQ(selected(2), 30);
    quit();

    writeSavedGame({ "3", "A", "B", "C", "20", "36", "20", "36", "-5", "30" });
    launch();
    EXPECT_EQ(c().getHP(2), -5);
    EXPECT_EQ(c().minOfPicker(2), -9);
    quit();

    writeSavedGame({ "3", "A", "B", "C", "20", "36", "20", "36", "1", "30" });
    launch();
    EXPECT_EQ(c().getHP(2), 1);
    EXPECT_EQ(c().minOfPicker(2), 1);
}

TEST_F(SavedGameTest, DamagedAndMalformedFilesAreSetAsideAndTheGameResets)
{
    setting("isAskBeforeReset", false);
    for (const char* golden : { "damaged.plist", "not-an-array.plist", "short.plist", "partial-log.plist",
             "wrong-types.plist", "huge-total.plist" }) {
        copyGolden(golden);
        launch();
        expectSetAside(golden);
        quit();
    }
}

TEST_F(SavedGameTest, ANonNumericHeaderIsUnreadableToo)
{
    writeSavedGame({ "two", "Orrin", "Ajani", "20", "36", "18", "36" });
    launch();
    // Unreadable: the reset asks, as any Reset does.
    ASSERT_NE(c().currentAlert(), nullptr);
    EXPECT_EQ(c().nameField0->text(), "Kim");
    EXPECT_EQ(keptDamaged().size(), 1u);
}

TEST_F(SavedGameTest, NothingIsWrittenWithoutAScreen)
{
    copyGolden("example.plist");
    const auto before = platform::FileSystem::readFile(savedGamePath());
    ASSERT_TRUE(before);
    {
        TolvaneViewController unloaded;
        unloaded.savePref();
        platform::Notification n;
        unloaded.applicationWillTerminate(n);
    }
    EXPECT_EQ(platform::FileSystem::readFile(savedGamePath()).value_or("<none>"), *before);
}

TEST_F(SavedGameTest, DataFileLivesInTheDocumentsFolder)
{
    TolvaneViewController unloaded;
    EXPECT_EQ(unloaded.dataFilePath(), platform::Paths::documents() + "/data.plist");
}

TEST_F(SavedGameTest, AFailedSaveKeepsThePreviousGameAndSaysWhereAndWhy)
{
    launchWithoutAsking();
    tap(*c().buttonInc0);
    c().savePref();
    const auto before = platform::FileSystem::readFile(savedGamePath());
    ASSERT_TRUE(before);

    using Step = platform::FileSystem::FileStep;
    for (Step step : { Step::CreateTemporary, Step::Write, Step::Sync, Step::Rename }) {
        for (int err : { EIO, ENOSPC }) {
            SCOPED_TRACE(std::to_string(int(step)) + " " + std::strerror(err));
            tap(*c().buttonInc0); // play goes on: the notice blocks nothing
            platform::FileSystem::setFaultHook([&](Step s, const std::string&) { return s == step ? err : 0; });
            platform::Console::takeLines();
            c().savePref();
            const auto lines = platform::Console::takeLines();
            ASSERT_EQ(lines.size(), 1u);
            EXPECT_NE(lines[0].find(std::strerror(err)), std::string::npos) << lines[0];
            EXPECT_EQ(platform::FileSystem::readFile(savedGamePath()).value_or("<none>"), *before);
            EXPECT_EQ(platform::FileSystem::contentsOfDirectory(platform::Paths::documents()),
                std::vector<std::string> { "data.plist" });
            platform::Label* notice = c().saveNotice();
            ASSERT_NE(notice, nullptr);
            EXPECT_EQ(notice->superview(), &c().view());
            EXPECT_EQ(c().view().subviews().back(), notice);
            EXPECT_FALSE(notice->isHidden());
            EXPECT_FALSE(notice->isUserInteractionEnabled());
            EXPECT_NE(notice->text().find(platform::Paths::documents()), std::string::npos) << notice->text();
            EXPECT_NE(notice->text().find(std::strerror(err)), std::string::npos) << notice->text();
            EXPECT_EQ(c().currentAlert(), nullptr);
        }
    }
    platform::FileSystem::setFaultHook(nullptr);
    c().savePref();
    EXPECT_EQ(c().saveNotice(), nullptr);
    EXPECT_EQ(readBack()[3], platform::Value(std::to_string(c().getHP(0))));
    EXPECT_EQ(c().getHP(0), 29);
}

TEST_F(SavedGameTest, EveryDamagedGameIsKeptAsItWasAndNoneIsRestoredAltered)
{
    setting("isAskBeforeReset", false);
    launch();
    c().nameField0->setText("Orrin");
    for (int i = 0; i < 4; ++i) {
        tap(*c().buttonDec1);
        advance(5);
    }
    c().savePref();
    const std::string sound = platform::FileSystem::readFile(savedGamePath()).value_or("");
    ASSERT_FALSE(sound.empty());
    auto game = [&] {
        std::vector<std::string> names;
        for (auto* field : c().ar_nameField)
            names.push_back(field->text());
        std::vector<double> times;
        for (const auto& date : c().arTime)
            times.push_back(date.secondsSince1970);
        return std::make_tuple(names, c().getHP(0), c().getHP(1), c().arHp, times);
    };
    const auto soundGame = game();
    quit();

    // Cut short anywhere, one bit flipped anywhere (a spread of places over
    // the whole file), or grown to 100 MB.
    std::vector<std::string> damaged;
    for (size_t cut = 0; cut < sound.size(); cut += sound.size() / 12 + 1)
        damaged.push_back(sound.substr(0, cut));
    std::vector<size_t> bits { sound.find("<string>16<") * 8 + 8 * 8 }; // a total: "16" becomes "06"
    for (size_t bit = 3; bit < sound.size() * 8; bit += sound.size() * 8 / 100 + 1)
        bits.push_back(bit);
    for (size_t bit : bits) {
        std::string flipped = sound;
        flipped[bit / 8] = char(flipped[bit / 8] ^ (1 << (bit % 8)));
        damaged.push_back(flipped);
    }
    std::string huge = sound;
    huge.resize(100u << 20, ' ');
    damaged.push_back(huge);

    int reset = 0;
    for (size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE("variant " + std::to_string(i));
        ASSERT_TRUE(platform::FileSystem::writeAtomically(savedGamePath(), damaged[i]));
        launch();
        if (c().gameRound == 1) {
            ++reset;
            EXPECT_EQ(c().getHP(1), 20);
            EXPECT_FALSE(platform::FileSystem::exists(savedGamePath()));
            EXPECT_TRUE(platform::FileSystem::readFile(newestDamaged()).value_or("<none>") == damaged[i]);
            EXPECT_LE(keptDamaged().size(), size_t(TolvaneViewController::kDamagedSavedGamesKept));
        } else {
            // Only a flip inside the checksum's own marker goes unnoticed, and
            // then the game itself is whole.
            EXPECT_TRUE(game() == soundGame);
        }
        quit();
    }
    EXPECT_GE(reset, int(damaged.size()) - 4);
    EXPECT_EQ(keptDamaged().size(), size_t(TolvaneViewController::kDamagedSavedGamesKept));
}

TEST_F(SavedGameTest, WhatAnInterruptedSaveLeftIsRemovedAtTheNextStart)
{
    copyGolden("example.plist");
    for (const char* name : { "data.plist.tmp.a1B2c3", "data.plist.tmp.Zz9Yy8" })
        ASSERT_TRUE(platform::FileSystem::writeAtomically(
            platform::FileSystem::appendPathComponent(platform::Paths::documents(), name), "half a game"));
    launch();
    EXPECT_EQ(c().getHP(1), 18);
    EXPECT_EQ(platform::FileSystem::contentsOfDirectory(platform::Paths::documents()),
        std::vector<std::string> { "data.plist" });
}

TEST_F(SavedGameTest, TheGameOnDiskIsNeverMoreThanTwoSecondsBehind)
{
    int writes = 0;
    platform::FileSystem::setFaultHook([&](platform::FileSystem::FileStep step, const std::string&) {
        writes += step == platform::FileSystem::FileStep::CreateTemporary;
        return 0;
    });
    launchWithoutAsking();
    auto onDisk = [&] {
        auto root = platform::PropertyList::readFile(savedGamePath());
        return root && root->isArray() ? int(platform::leadingInteger(root->asArray()[3].asString()).value_or(-1)) : -1;
    };
    // Taps at uneven intervals; the total as it was at each moment.
    std::vector<std::pair<double, int>> history { { 0, c().getHP(0) } };
    double now = 0;
    for (double pause : { 0.3, 0.3, 1.5, 0.1, 2.5, 0.7, 0.7, 0.7, 0.7, 0.7, 3.0, 1.9 }) {
        tap(*c().buttonInc0);
        history.emplace_back(now, c().getHP(0));
        for (double t = 0; t < pause - 1e-9; t += 0.1) {
            advance(0.1);
            now += 0.1;
            int due = -1; // nothing is owed to the disk before the first two seconds
            for (const auto& [when, total] : history)
                if (when < now - TolvaneViewController::kAutosaveDelay - 1e-6)
                    due = total;
            const int saved = onDisk();
            EXPECT_GE(saved, due) << "at " << now;
            EXPECT_LE(saved, c().getHP(0)) << "at " << now;
        }
    }
    advance(TolvaneViewController::kAutosaveDelay);
    EXPECT_EQ(onDisk(), c().getHP(0));
    // Quiet play writes nothing more.
    const int written = writes;
    advance(60);
    EXPECT_EQ(writes, written);
    // Taps close together share a write.
    EXPECT_LE(written, 6);

    // A name left with Tab rather than Return is a change like any other.
    c().nameField0->simulateUserEdit("Orrin", platform::TextField::EditEnd::FocusLoss);
    EXPECT_FALSE(c().nameField0->isFirstResponder());
    advance(TolvaneViewController::kAutosaveDelay);
    auto root = platform::PropertyList::readFile(savedGamePath());
    ASSERT_TRUE(root && root->isArray());
    EXPECT_EQ(root->asArray()[1].asString(), "Orrin");
}
