// The bitmap loader as the viewer meets it: one module in a picture's image loaders,
// reading and writing files through them.
#include "bmptest.h"
#include "filesizelimit.h"
#include "tempdir.h"

#include "bmplayout.h"
#include "kxloadermodule.h"
#include "kxobject3d.h"
#include "kxpicture.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Copy({std::filesystem::path(PELISK_BIN_DIR) / "pimbrel.dll"});
        dir.Enter();
    }

    std::string PathOf(const char* name) const { return (dir.Path() / name).string(); }

    ScopedTempDir dir;
};

TEST_F(LoaderTest, OffersOneImageLoaderForBitmaps)
{
    KXPICTURE picture;
    KXLOADERSET& loaders = picture.GetLoaderSet();
    ASSERT_EQ(loaders.GetCount(), 1);
    KXMODULE* module = loaders[0];
    EXPECT_STREQ(module->GetName(), "PIMBRELMOD");
    EXPECT_TRUE(module->GetDisplayName() == "Bitmap loader");
    EXPECT_TRUE(module->GetKind() == "Image Loader");
    EXPECT_TRUE(module->GetSupportedFiles() == "All");
    KXCOLLECTION<KXSTRING> filters;
    EXPECT_EQ(loaders.GetFilterList(filters), 1);
    EXPECT_STREQ(filters[0].GetText(), "Bitmap|bmp");
}

TEST_F(LoaderTest, SavesAndLoadsThroughThePicture)
{
    KXPICTURE picture;
    picture.Create(5, 2, 24);
    picture.SetMasks(0xFF0000, 0xFF00, 0xFF, 0);
    for (std::uint32_t i = 0; i < picture.GetDataSize(); ++i)
        picture.GetData()[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(picture.GetLoaderSet().SaveFile(PathOf("out.BMP").c_str()));

    KXPICTURE back;
    ASSERT_TRUE(back.GetLoaderSet().LoadFile(PathOf("out.BMP").c_str()));
    ASSERT_EQ(back.GetDataSize(), picture.GetDataSize());
    EXPECT_EQ(std::memcmp(back.GetData(), picture.GetData(), picture.GetDataSize()), 0);
    EXPECT_FALSE(QImage(QString::fromStdString(PathOf("out.BMP")), "BMP").isNull());
}

// A 32-bit picture is stored as 24 bits, and is itself 24-bit afterwards.
TEST_F(LoaderTest, SavingA32BitPictureConvertsIt)
{
    KXPICTURE picture;
    picture.Create(2, 1, 32);
    KXCOLOR colour;
    colour.Set(10, 20, 30, 40);
    picture.SetPixel(0, colour);
    picture.SetPixel(1, colour);
    ASSERT_TRUE(picture.GetLoaderSet().SaveFile(PathOf("deep.bmp").c_str()));
    EXPECT_EQ(picture.GetDepth(), 24);
    EXPECT_EQ(picture.GetRedMask(), 0xFF0000u);
    EXPECT_EQ(picture.GetBlueMask(), 0xFFu);
    const std::vector<std::uint8_t> file = ReadBytes(dir.Path() / "deep.bmp");
    ASSERT_GE(file.size(), 60u);
    const std::size_t pixels = bmp::layout::kInfoHeaderEnd;
    EXPECT_EQ(file[bmp::layout::kBitCount], 24);
    EXPECT_EQ(file[pixels], 30); // blue, green, red
    EXPECT_EQ(file[pixels + 1], 20);
    EXPECT_EQ(file[pixels + 2], 10);
}

TEST_F(LoaderTest, FailedSavesLeaveNoFile)
{
    KXPICTURE empty;
    EXPECT_FALSE(empty.GetLoaderSet().SaveFile(PathOf("empty.bmp").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "empty.bmp"));

    KXPICTURE picture;
    picture.Create(2, 2, 8);
    EXPECT_FALSE(picture.GetLoaderSet().SaveFile(PathOf("missing/dir.bmp").c_str()));
    EXPECT_FALSE(picture.GetLoaderSet().SaveFile(PathOf("picture.png").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "picture.png"));
}

// The names in the folder, to show that a save left nothing behind.
std::vector<std::string> Listing(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

std::string TextOf(const std::filesystem::path& file)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(file);
    return {bytes.begin(), bytes.end()};
}

// A save that fails never destroys the file it was to replace, and leaves nothing
// beside it: the disk filling up half-way, a read-only file, a name that is a folder.
TEST_F(LoaderTest, FailedSavesLeaveTheOldFileAsItWas)
{
    KXPICTURE picture;
    picture.Create(100, 100, 24); // a file of 30 KB
    const std::string precious = "precious bytes";
    const struct {
        const char* what;
        std::function<void()> prepare;
        std::size_t sizeLimit; // 0: none
        int reason;
    } cases[] = {
        {"the disk fills up", [] {}, 4096, EFBIG},
        {"a read-only file", [&] { chmod(PathOf("precious.bmp").c_str(), 0444); }, 0, EACCES},
    };
    for (const auto& c : cases) {
        WriteBytes(dir.Path() / "precious.bmp", precious);
        c.prepare();
        const std::vector<std::string> before = Listing(dir.Path());
        errno = 0;
        bool saved = true;
        {
            std::optional<FILESIZELIMIT> limit;
            if (c.sizeLimit > 0)
                limit.emplace(c.sizeLimit);
            saved = picture.GetLoaderSet().SaveFile(PathOf("precious.bmp").c_str());
        }
        EXPECT_FALSE(saved) << c.what;
        EXPECT_EQ(errno, c.reason) << c.what;
        EXPECT_EQ(TextOf(dir.Path() / "precious.bmp"), precious) << c.what;
        EXPECT_EQ(Listing(dir.Path()), before) << c.what;
        chmod(PathOf("precious.bmp").c_str(), 0644);
    }
    std::filesystem::create_directory(dir.Path() / "folder.bmp");
    EXPECT_FALSE(picture.GetLoaderSet().SaveFile(PathOf("folder.bmp").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder.bmp"));
}

// A save replaces the file whole, keeps its permissions, and writes through a link to
// what it names.
TEST_F(LoaderTest, SavesReplaceTheFileAndKeepItsPermissions)
{
    KXPICTURE picture;
    picture.Create(3, 2, 24);
    std::memset(picture.GetData(), 0x5A, picture.GetDataSize());
    WriteBytes(dir.Path() / "kept.bmp", std::string(100000, 'x'));
    chmod(PathOf("kept.bmp").c_str(), 0640);
    std::filesystem::create_symlink("kept.bmp", dir.Path() / "link.bmp");
    for (const char* name : {"kept.bmp", "link.bmp"}) {
        ASSERT_TRUE(picture.GetLoaderSet().SaveFile(PathOf(name).c_str())) << name;
        struct stat status {};
        ASSERT_EQ(stat(PathOf("kept.bmp").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0640u) << name;
        KXPICTURE back;
        ASSERT_TRUE(back.GetLoaderSet().LoadFile(PathOf("kept.bmp").c_str())) << name;
        EXPECT_EQ(back.GetWidth(), 3u);
        EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "link.bmp")) << name;
    }
    EXPECT_EQ(Listing(dir.Path()),
              (std::vector<std::string>{"kept.bmp", "link.bmp", "pimbrel.dll"}));
}

// The new file beside the target has a name of its own, however long the target's is.
TEST_F(LoaderTest, SavesUnderTheLongestNames)
{
    KXPICTURE picture;
    picture.Create(2, 2, 24);
    const std::string longest = std::string(251, 'n') + ".bmp"; // 255 bytes, the most a name has
    EXPECT_TRUE(picture.GetLoaderSet().SaveFile(PathOf(longest.c_str()).c_str()));
    EXPECT_EQ(Listing(dir.Path()), (std::vector<std::string>{longest, "pimbrel.dll"}));
}

// Runs check in a child process as an ordinary user, and gives its exit status: the
// administrator writes in every folder, so a test that needs a folder closed to its user
// runs as nobody when it runs as root.
int RunAsOrdinaryUser(const std::function<int()>& check)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            const uid_t uid = nobody != nullptr ? nobody->pw_uid : 65534;
            const gid_t gid = nobody != nullptr ? nobody->pw_gid : 65534;
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(100);
        }
        _exit(check());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A folder the user may not write in: the save fails for want of permission and leaves
// nothing in it, while the same user saves into an open folder beside it.
TEST_F(LoaderTest, SavesIntoAReadOnlyFolderFail)
{
    std::filesystem::create_directory(dir.Path() / "open");
    std::filesystem::create_directory(dir.Path() / "closed");
    chmod(dir.Path().c_str(), 0755);
    chmod((dir.Path() / "open").c_str(), 0777);
    chmod((dir.Path() / "closed").c_str(), 0555);
    KXPICTURE picture;
    picture.Create(2, 2, 24);
    const std::string open = PathOf("open/new.bmp");
    const std::string closed = PathOf("closed/new.bmp");
    const int outcome = RunAsOrdinaryUser([&] {
        if (!picture.GetLoaderSet().SaveFile(open.c_str()))
            return 1;
        errno = 0;
        if (picture.GetLoaderSet().SaveFile(closed.c_str()))
            return 2;
        return errno == EACCES ? 0 : 3;
    });
    EXPECT_EQ(outcome, 0) << "1: no save into the open folder, 2: a save into the closed "
                             "one, 3: not refused for want of permission";
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "open" / "new.bmp"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path() / "closed"));
    chmod((dir.Path() / "closed").c_str(), 0755);
}

TEST_F(LoaderTest, RefusedFilesLeaveThePictureAsItWas)
{
    std::filesystem::create_directory(dir.Path() / "folder.bmp");
    KXPICTURE picture;
    picture.Create(3, 1, 8);
    picture.GetData()[2] = 9;
    for (const char* name : {"folder.bmp", "absent.bmp"})
        EXPECT_FALSE(picture.GetLoaderSet().LoadFile(PathOf(name).c_str())) << name;
    EXPECT_EQ(picture.GetWidth(), 3u);
    EXPECT_EQ(picture.GetData()[2], 9);
}

// The loader is handed the set of another kind, whose owner is no picture: it refuses the
// set rather than take its owner for a picture and write one over it.
TEST_F(LoaderTest, SetOfAnotherKindIsRefused)
{
    KXPICTURE picture;
    picture.Create(2, 1, 24);
    ASSERT_TRUE(picture.GetLoaderSet().SaveFile(PathOf("two.bmp").c_str()));
    ASSERT_EQ(picture.GetLoaderSet().GetCount(), 1);
    auto* loader = static_cast<KXLOADERMODULE*>(picture.GetLoaderSet()[0]);

    KXOBJECT3D notAPicture;
    const std::string name = notAPicture.GetName();
    KXLOADERSET& objects = notAPicture.GetLoaderSet();
    EXPECT_FALSE(loader->Load(&objects, PathOf("two.bmp").c_str()));
    EXPECT_FALSE(loader->Save(&objects, PathOf("back.bmp").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "back.bmp"));
    EXPECT_EQ(notAPicture.GetName(), name) << "the owner is left as it was";
}

} // namespace
