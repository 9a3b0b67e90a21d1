#include "platform/FileFaults.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = FileSystem::appendPathComponent(Paths::container(),
            std::string("fs-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(FileSystem::createDirectories(dir));
    }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> out;
        if (DIR* d = opendir(dir.c_str())) {
            while (dirent* e = readdir(d))
                if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
                    out.push_back(e->d_name);
            closedir(d);
        }
        return out;
    }
    std::string path(const std::string& name) const { return FileSystem::appendPathComponent(dir, name); }
    void TearDown() override { FileSystem::setFaultHook(nullptr); }
    std::string dir;
};

}

TEST_F(FileSystemTest, AtomicWriteReplacesWholeFileAndLeavesNoTemporary)
{
    const std::string p = path("data.plist");
    ASSERT_TRUE(FileSystem::writeAtomically(p, "first version, rather long"));
    ASSERT_TRUE(FileSystem::writeAtomically(p, "second"));
    EXPECT_EQ(FileSystem::readFile(p).value_or("?"), "second");
    EXPECT_EQ(entries(), (std::vector<std::string> { "data.plist" }));
    EXPECT_EQ(FileSystem::fileSize(p).value_or(-1), 6);
    ASSERT_TRUE(FileSystem::writeAtomically(p, ""));
    EXPECT_EQ(FileSystem::readFile(p).value_or("?"), "");
}

TEST_F(FileSystemTest, AtomicWriteKeepsThePermissionsOfTheReplacedFile)
{
    const std::string p = path("keep-mode");
    ASSERT_TRUE(FileSystem::writeAtomically(p, "x"));
    struct stat st;
    ASSERT_EQ(stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    ASSERT_EQ(chmod(p.c_str(), 0600), 0);
    ASSERT_TRUE(FileSystem::writeAtomically(p, "y"));
    ASSERT_EQ(stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(FileSystemTest, FailedWriteLeavesTheOldFileIntact)
{
    // The target is a folder: even root cannot rename a file over it.
    const std::string folder = path("is-a-folder");
    ASSERT_TRUE(FileSystem::createDirectories(folder));
    const std::string inside = FileSystem::appendPathComponent(folder, "old.txt");
    ASSERT_TRUE(FileSystem::writeAtomically(inside, "old contents"));
    auto replaced = FileSystem::writeAtomically(folder, "new");
    ASSERT_FALSE(replaced);
    EXPECT_EQ(replaced.error().domain, FileSystem::kErrorDomain);
    EXPECT_NE(replaced.error().message.find(folder), std::string::npos);
    EXPECT_TRUE(FileSystem::isDirectory(folder));
    EXPECT_EQ(FileSystem::readFile(inside).value_or("?"), "old contents");
    // The temporary file is gone again.
    EXPECT_EQ(entries(), (std::vector<std::string> { "is-a-folder" }));

    // A parent that is a regular file fails for root too.
    const std::string plain = path("plain");
    ASSERT_TRUE(FileSystem::writeAtomically(plain, "keep me"));
    EXPECT_EQ(FileSystem::writeAtomically(FileSystem::appendPathComponent(plain, "child"), "x").error().code, ENOTDIR);
    EXPECT_EQ(FileSystem::readFile(plain).value_or("?"), "keep me");
    EXPECT_EQ(FileSystem::writeAtomically(path("no/such/folder/file"), "x").error().code, ENOENT);
    EXPECT_FALSE(FileSystem::writeAtomically("", "x"));
}

TEST_F(FileSystemTest, EachFailingStepOfAWriteKeepsTheOldFileAndLeavesNothingBehind)
{
    const std::string p = path("data.plist");
    const std::string old(5000, 'o');
    ASSERT_TRUE(FileSystem::writeAtomically(p, old));
    using Step = FileSystem::FileStep;
    for (Step step : { Step::CreateTemporary, Step::Write, Step::Sync, Step::Rename }) {
        for (int err : { EIO, ENOSPC, EDQUOT }) {
            SCOPED_TRACE(std::to_string(int(step)) + " " + std::strerror(err));
            std::vector<Step> seen;
            FileSystem::setFaultHook([&](Step s, const std::string& target) {
                EXPECT_EQ(target, p);
                seen.push_back(s);
                return s == step ? err : 0;
            });
            auto result = FileSystem::writeAtomically(p, std::string(8000, 'n'));
            ASSERT_FALSE(result);
            EXPECT_EQ(result.error().code, err);
            EXPECT_NE(result.error().message.find(p), std::string::npos) << result.error().message;
            EXPECT_NE(result.error().message.find(std::strerror(err)), std::string::npos) << result.error().message;
            EXPECT_EQ(seen.back(), step); // nothing is tried after the failure
            EXPECT_EQ(FileSystem::readFile(p).value_or("?"), old);
            EXPECT_EQ(entries(), (std::vector<std::string> { "data.plist" }));
        }
    }
    FileSystem::setFaultHook(nullptr);
    ASSERT_TRUE(FileSystem::writeAtomically(p, "new"));
    EXPECT_EQ(FileSystem::readFile(p).value_or("?"), "new");
}

TEST_F(FileSystemTest, OnlyTheTemporaryFilesOfDeadWritesAreRemoved)
{
    const std::string p = path("data.plist");
    ASSERT_TRUE(FileSystem::writeAtomically(p, "the game"));
    for (const char* name : { "data.plist.tmp.AAAAAA", "data.plist.tmp.b1c2d3", "data.plist.tmp.toolong1",
             "data.plist.tmp.", "other.plist.tmp.AAAAAA", "data.plist.damaged.1" })
        ASSERT_TRUE(FileSystem::writeAtomically(path(name), "x"));
    // A write in progress elsewhere holds the lock on its file.
    ASSERT_TRUE(FileSystem::writeAtomically(path("data.plist.tmp.LIVE01"), "being written"));
    int live = ::open(path("data.plist.tmp.LIVE01").c_str(), O_RDONLY);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    EXPECT_EQ(FileSystem::removeAbandonedTemporaryFiles(p), 2);
    auto left = entries();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string> { "data.plist", "data.plist.damaged.1", "data.plist.tmp.",
                        "data.plist.tmp.LIVE01", "data.plist.tmp.toolong1", "other.plist.tmp.AAAAAA" }));
    ::close(live);
    EXPECT_EQ(FileSystem::removeAbandonedTemporaryFiles(p), 1);
    EXPECT_EQ(FileSystem::readFile(p).value_or("?"), "the game");
}

TEST_F(FileSystemTest, DamagedFilesAreKeptUnderNamesThatNeverCollideAndOnlyTheNewestStay)
{
    const std::string p = path("data.plist");
    // A stray kept file with a high number: the next ones go above it.
    ASSERT_TRUE(FileSystem::writeAtomically(p + ".damaged.41", "stray"));
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(FileSystem::writeAtomically(p, "damaged " + std::to_string(i)));
        auto kept = FileSystem::setAsideDamagedFile(p, 5);
        ASSERT_TRUE(kept);
        EXPECT_EQ(*kept, p + ".damaged." + std::to_string(42 + i));
        EXPECT_FALSE(FileSystem::exists(p));
    }
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(FileSystem::readFile(p + ".damaged." + std::to_string(42 + i)).value_or("gone"),
            i < 2 ? "gone" : "damaged " + std::to_string(i));
    EXPECT_EQ(entries().size(), 5u);
    EXPECT_FALSE(FileSystem::setAsideDamagedFile(p, 5)); // nothing there to move
    EXPECT_EQ(entries().size(), 5u);
}

TEST_F(FileSystemTest, ReadingRefusesAFileOverTheLimitUnread)
{
    const std::string p = path("big");
    ASSERT_TRUE(FileSystem::writeAtomically(p, std::string(1001, 'x')));
    EXPECT_EQ(FileSystem::readFile(p, 1000).error().code, EFBIG);
    EXPECT_EQ(FileSystem::readFile(p, 1001).value_or("").size(), 1001u);
}

TEST_F(FileSystemTest, ReadingWhatIsNotThere)
{
    auto absent = FileSystem::readFile(path("absent"));
    ASSERT_FALSE(absent);
    EXPECT_EQ(absent.error().code, ENOENT);
    EXPECT_NE(absent.error().message.find("absent"), std::string::npos);
    EXPECT_EQ(FileSystem::readFile(dir).error().code, EISDIR);
    EXPECT_FALSE(FileSystem::modificationTime(path("absent")));
    EXPECT_FALSE(FileSystem::fileSize(path("absent")));
    EXPECT_FALSE(FileSystem::exists(path("absent")));
    EXPECT_FALSE(FileSystem::removeFile(path("absent")));
}

TEST_F(FileSystemTest, ModificationTimesCanBeSetAndRead)
{
    const std::string p = path("timed");
    ASSERT_TRUE(FileSystem::writeAtomically(p, "x"));
    ASSERT_TRUE(FileSystem::setModificationTime(p, 784111777.0)); // Sun, 06 Nov 1994 08:49:37 GMT
    EXPECT_DOUBLE_EQ(FileSystem::modificationTime(p).value_or(0), 784111777.0);
    ASSERT_TRUE(FileSystem::setModificationTime(p, 1000.5));
    EXPECT_NEAR(FileSystem::modificationTime(p).value_or(0), 1000.5, 1e-6);
    EXPECT_FALSE(FileSystem::setModificationTime(path("absent"), 5));
}

TEST_F(FileSystemTest, FoldersRenamesAndRemoval)
{
    const std::string deep = path("a/b/c");
    EXPECT_TRUE(FileSystem::createDirectories(deep));
    EXPECT_TRUE(FileSystem::createDirectories(deep)); // already there
    EXPECT_TRUE(FileSystem::isDirectory(deep));
    ASSERT_TRUE(FileSystem::writeAtomically(path("f"), "x"));
    EXPECT_FALSE(FileSystem::createDirectories(path("f/sub")));
    EXPECT_TRUE(FileSystem::renameFile(path("f"), path("g")));
    EXPECT_FALSE(FileSystem::exists(path("f")));
    EXPECT_TRUE(FileSystem::removeFile(path("g")));
    EXPECT_FALSE(FileSystem::exists(path("g")));
    EXPECT_TRUE(FileSystem::removeFile(deep)); // an empty folder
}

TEST(FileSystemPaths, ComponentArithmetic)
{
    EXPECT_EQ(FileSystem::appendPathComponent("/a/b", "c"), "/a/b/c");
    EXPECT_EQ(FileSystem::appendPathComponent("/a/b/", "/c"), "/a/b/c");
    EXPECT_EQ(FileSystem::appendPathComponent("", "c"), "c");
    EXPECT_EQ(FileSystem::lastPathComponent("/a/b/data.plist"), "data.plist");
    EXPECT_EQ(FileSystem::lastPathComponent("/a/b/"), "b");
    EXPECT_EQ(FileSystem::lastPathComponent("/"), "/");
    EXPECT_EQ(FileSystem::deletingLastPathComponent("/a/b/data.plist"), "/a/b");
    EXPECT_EQ(FileSystem::deletingLastPathComponent("/a"), "/");
    EXPECT_EQ(FileSystem::deletingLastPathComponent("a"), "");
    const char* home = getenv("HOME");
    if (home) {
        EXPECT_EQ(FileSystem::expandTilde("~/Documents"), std::string(home) + "/Documents");
    }
    EXPECT_EQ(FileSystem::expandTilde("~user/x"), "~user/x");
    EXPECT_EQ(FileSystem::expandTilde("/abs"), "/abs");
}

TEST(FileSystemPaths, ContainerFoldersAreMadeOnFirstUse)
{
    EXPECT_NE(Paths::container().find("tolvane-test-"), std::string::npos);
    EXPECT_EQ(Paths::documents(), Paths::container() + "/Documents");
    EXPECT_EQ(Paths::caches(), Paths::container() + "/Library/Caches");
    EXPECT_EQ(Paths::preferences(), Paths::container() + "/Library/Preferences");
    EXPECT_TRUE(FileSystem::isDirectory(Paths::documents()));
    EXPECT_TRUE(FileSystem::isDirectory(Paths::caches()));
    EXPECT_TRUE(FileSystem::isDirectory(Paths::preferences()));
    EXPECT_EQ(Paths::pathForResource("../etc/passwd"), "");
    EXPECT_EQ(Paths::pathForResource("no-such-resource.png"), "");
}
