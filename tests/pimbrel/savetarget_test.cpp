// The file a save replaces: it keeps its owner and group, and a symbolic link is written
// through, so the link stays and the file it names is written, created when missing.
#include "bmptest.h"
#include "tempdir.h"

#include "kxpicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// An owner and group that are neither root's nor, on a test machine, the tester's.
constexpr uid_t kOtherUser = 65534;
constexpr gid_t kOtherGroup = 65534;

class SaveTargetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Copy({fs::path(PELISK_BIN_DIR) / "pimbrel.dll"});
        dir.Enter();
    }

    std::string PathOf(const std::string& name) const { return (dir.Path() / name).string(); }

    // A picture finds its loaders when it is made, so it is made in the test's folder.
    bool Save(const std::string& name) const
    {
        KXPICTURE picture;
        picture.Create(3, 2, 24);
        picture.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
        std::fill_n(picture.GetData(), picture.GetDataSize(), std::uint8_t{0x5A});
        return picture.GetLoaderSet().SaveFile(PathOf(name).c_str());
    }

    // True when the file at name holds the picture this fixture saves.
    bool HoldsThePicture(const std::string& name) const
    {
        KXPICTURE back;
        return back.GetLoaderSet().LoadFile(PathOf(name).c_str()) && back.GetWidth() == 3 &&
               back.GetHeight() == 2 && back.GetData()[0] == 0x5A;
    }

    void WriteOld(const std::string& name) const
    {
        std::ofstream(dir.Path() / name, std::ios::binary) << "an older picture";
    }

    // Every name in the folder and its subfolders, links included, to show what a save
    // made and that it left nothing behind.
    std::vector<std::string> Listing() const
    {
        std::vector<std::string> names;
        List(dir.Path(), names);
        std::sort(names.begin(), names.end());
        return names;
    }

    // Links are listed, never followed: some of them name nothing, or each other.
    void List(const fs::path& folder, std::vector<std::string>& names) const
    {
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().lexically_relative(dir.Path()).string());
            if (fs::is_directory(fs::symlink_status(entry.path())))
                List(entry.path(), names);
        }
    }

    ScopedTempDir dir;
};

struct stat StatusOf(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status;
}

// Root saving a user's private picture leaves it that user's, readable to them.
TEST_F(SaveTargetTest, SavingOverAnotherUsersFileKeepsItsOwnerAndGroup)
{
    WriteOld("theirs.bmp");
    if (chown(PathOf("theirs.bmp").c_str(), kOtherUser, kOtherGroup) != 0)
        GTEST_SKIP() << "this user may not give a file to another";
    chmod(PathOf("theirs.bmp").c_str(), 0600);

    ASSERT_TRUE(Save("theirs.bmp"));
    const struct stat status = StatusOf(PathOf("theirs.bmp"));
    EXPECT_EQ(status.st_uid, kOtherUser);
    EXPECT_EQ(status.st_gid, kOtherGroup);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_TRUE(HoldsThePicture("theirs.bmp"));
}

// A user who may write a file but not give it away still saves it: the file becomes
// theirs, and keeps its group when they are a member of it.
TEST_F(SaveTargetTest, AUserWhoMayNotKeepTheOwnerStillSaves)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the administrator can act as another user here";
    constexpr gid_t kSharedGroup = 100; // the other user's second group
    // The other user may list the test folder for its plug-in and write in a folder of
    // its own.
    chmod(dir.Path().c_str(), 0755);
    fs::create_directory(dir.Path() / "open");
    chmod(PathOf("open").c_str(), 0777);
    WriteOld("open/shared.bmp");
    ASSERT_EQ(chown(PathOf("open/shared.bmp").c_str(), 0, kSharedGroup), 0);
    chmod(PathOf("open/shared.bmp").c_str(), 0666);

    EXPECT_EXIT(
        {
            const bool dropped = setgroups(1, &kSharedGroup) == 0 && setgid(kOtherGroup) == 0 &&
                                 setuid(kOtherUser) == 0;
            // Straight out: nothing of the test's own state is torn down in this copy.
            std::_Exit(!dropped ? 2 : Save("open/shared.bmp") ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    const struct stat status = StatusOf(PathOf("open/shared.bmp"));
    EXPECT_EQ(status.st_uid, kOtherUser);
    EXPECT_EQ(status.st_gid, kSharedGroup);
    EXPECT_EQ(status.st_mode & 07777, 0666u);
    EXPECT_TRUE(HoldsThePicture("open/shared.bmp"));
}

// Each case makes links (name, what it names) and files, saves through one name, and
// names the file that must then hold the picture; every link stays as it was.
TEST_F(SaveTargetTest, SavingThroughALinkWritesWhatItNames)
{
    struct LINK {
        std::string name;
        std::string target;
    };
    const struct {
        const char* what;
        std::vector<LINK> links;
        std::vector<std::string> oldFiles;
        std::string saved;
        std::string written;
    } cases[] = {
        {"a link to an existing file", {{"link.bmp", "kept.bmp"}}, {"kept.bmp"}, "link.bmp",
         "kept.bmp"},
        {"a link to a file not made yet", {{"link.bmp", "made.bmp"}}, {}, "link.bmp", "made.bmp"},
        {"a relative link in a subfolder names a file beside it",
         {{"sub/link.bmp", "made.bmp"}}, {}, "sub/link.bmp", "sub/made.bmp"},
        {"a chain of links, relative to each link's folder",
         {{"first.bmp", "sub/second.bmp"}, {"sub/second.bmp", "../end.bmp"}}, {}, "first.bmp",
         "end.bmp"},
        {"an absolute link to a file not made yet", {{"link.bmp", PathOf("sub/far.bmp")}}, {},
         "link.bmp", "sub/far.bmp"},
        {"a link to a link to an existing file",
         {{"link.bmp", "sub/middle.bmp"}, {"sub/middle.bmp", "../kept.bmp"}}, {"kept.bmp"},
         "link.bmp", "kept.bmp"},
    };
    for (const auto& c : cases) {
        fs::remove_all(dir.Path() / "sub");
        for (const char* name : {"link.bmp", "first.bmp", "kept.bmp", "made.bmp", "end.bmp"})
            fs::remove(dir.Path() / name);
        fs::create_directory(dir.Path() / "sub");
        for (const std::string& old : c.oldFiles)
            WriteOld(old);
        for (const LINK& link : c.links)
            fs::create_symlink(link.target, dir.Path() / link.name);
        std::vector<std::string> expected = Listing();
        if (!fs::exists(dir.Path() / c.written))
            expected.push_back(c.written);
        std::sort(expected.begin(), expected.end());

        EXPECT_TRUE(Save(c.saved)) << c.what;
        EXPECT_TRUE(HoldsThePicture(c.written)) << c.what;
        for (const LINK& link : c.links) {
            const fs::path name = dir.Path() / link.name;
            EXPECT_TRUE(fs::is_symlink(name) && fs::read_symlink(name) == link.target)
                << c.what << ": " << link.name;
        }
        EXPECT_EQ(Listing(), expected) << c.what;
    }
}

// The owner and the permissions are kept also when the file is reached through a link.
TEST_F(SaveTargetTest, SavingThroughALinkKeepsTheOwnerOfWhatItNames)
{
    WriteOld("theirs.bmp");
    if (chown(PathOf("theirs.bmp").c_str(), kOtherUser, kOtherGroup) != 0)
        GTEST_SKIP() << "this user may not give a file to another";
    chmod(PathOf("theirs.bmp").c_str(), 0640);
    fs::create_symlink("theirs.bmp", dir.Path() / "link.bmp");

    ASSERT_TRUE(Save("link.bmp"));
    const struct stat status = StatusOf(PathOf("theirs.bmp"));
    EXPECT_EQ(status.st_uid, kOtherUser);
    EXPECT_EQ(status.st_gid, kOtherGroup);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "link.bmp"));
}

// Links that name each other, or a chain longer than the system follows, are refused
// with the system's reason, and nothing is made.
TEST_F(SaveTargetTest, LinksThatNeverEndAreRefused)
{
    fs::create_symlink("b.bmp", dir.Path() / "a.bmp");
    fs::create_symlink("a.bmp", dir.Path() / "b.bmp");
    fs::create_symlink("chain0.bmp", dir.Path() / "start.bmp");
    for (int i = 0; i < 60; ++i)
        fs::create_symlink("chain" + std::to_string(i + 1) + ".bmp",
                           dir.Path() / ("chain" + std::to_string(i) + ".bmp"));
    const std::vector<std::string> before = Listing();
    for (const char* name : {"a.bmp", "start.bmp"}) {
        errno = 0;
        EXPECT_FALSE(Save(name)) << name;
        EXPECT_EQ(errno, ELOOP) << name;
    }
    EXPECT_EQ(Listing(), before);
}

} // namespace
