#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

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
