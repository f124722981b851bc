// What guards a file while a save replaces it: the new file is open to nobody the old one
// kept out, from the moment it is made, and before its first byte it has the old file's
// owner, group, permissions, access-control list and user attributes. A name already
// taken beside the file is never written through, and an owner the system cannot give
// does not stop the save.
#include "tempdir.h"

#include "bmpcodec.h"

#include <gtest/gtest.h>

#include <acl/libacl.h>
#include <fcntl.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;
constexpr gid_t kOtherGroup = 65534;

const std::vector<std::uint8_t> kNewBytes{'B', 'M', 'n', 'e', 'w'};

std::string Contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

// The access-control list of an open file as text; a file without one shows its
// permissions in the list's form.
std::string AclText(int fd)
{
    const acl_t acl = acl_get_fd(fd);
    if (acl == nullptr)
        return "no list: " + std::to_string(errno);
    char* text = acl_to_text(acl, nullptr);
    std::string result = text != nullptr ? text : "";
    acl_free(text);
    acl_free(acl);
    return result;
}

// The user attributes of an open file, by name.
std::map<std::string, std::string> UserAttributes(int fd)
{
    std::map<std::string, std::string> found;
    char names[4096];
    const ssize_t size = flistxattr(fd, names, sizeof names);
    for (ssize_t at = 0; at < size; at += static_cast<ssize_t>(std::string(names + at).size()) + 1) {
        const std::string name = names + at;
        if (name.rfind("user.", 0) != 0)
            continue;
        char value[4096];
        const ssize_t got = fgetxattr(fd, name.c_str(), value, sizeof value);
        found[name] = got >= 0 ? std::string(value, static_cast<std::size_t>(got)) : "unreadable";
    }
    return found;
}

// The read, write and execute rights an access-control list gives each class of users
// but the owner, by tag and id: the owning group and the named entries as its mask
// leaves them, and everyone else. The owner may change a file's rights at will, so
// what it may do is no secret kept from it.
using RIGHTS = std::map<std::pair<acl_tag_t, id_t>, unsigned>;

RIGHTS RightsOf(int fd)
{
    RIGHTS rights;
    const acl_t acl = acl_get_fd(fd);
    if (acl == nullptr)
        return rights;
    unsigned mask = 07;
    std::vector<std::pair<std::pair<acl_tag_t, id_t>, unsigned>> entries;
    acl_entry_t entry;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1;
         which = ACL_NEXT_ENTRY) {
        acl_tag_t tag = ACL_UNDEFINED_TAG;
        acl_get_tag_type(entry, &tag);
        acl_permset_t set;
        acl_get_permset(entry, &set);
        const unsigned perms = (acl_get_perm(set, ACL_READ) == 1 ? 4u : 0u) |
                               (acl_get_perm(set, ACL_WRITE) == 1 ? 2u : 0u) |
                               (acl_get_perm(set, ACL_EXECUTE) == 1 ? 1u : 0u);
        id_t id = 0;
        if (tag == ACL_USER || tag == ACL_GROUP) {
            void* qualifier = acl_get_qualifier(entry);
            id = *static_cast<id_t*>(qualifier);
            acl_free(qualifier);
        }
        if (tag == ACL_MASK)
            mask = perms;
        else if (tag != ACL_USER_OBJ)
            entries.push_back({{tag, id}, perms});
    }
    acl_free(acl);
    for (const auto& [key, perms] : entries)
        rights[key] = key.first == ACL_OTHER ? perms : perms & mask;
    return rights;
}

// The rights of first that second does not give.
std::string Wider(const RIGHTS& first, const RIGHTS& second)
{
    std::string wider;
    for (const auto& [key, perms] : first) {
        const auto other = second.find(key);
        const unsigned allowed = other == second.end() ? 0 : other->second;
        if ((perms & ~allowed) != 0)
            wider += "tag " + std::to_string(key.first) + " id " + std::to_string(key.second) +
                     " gains " + std::to_string(perms & ~allowed) + "; ";
    }
    return wider;
}

// What one look at a file shows of its guards.
struct GUARDS {
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
    off_t size = 0;
    std::string acl;
    std::map<std::string, std::string> attributes;
    RIGHTS rights;

    static GUARDS Of(int fd)
    {
        struct stat status {};
        fstat(fd, &status);
        return {status.st_uid,  status.st_gid, status.st_mode & 07777, status.st_size,
                AclText(fd),    UserAttributes(fd), RightsOf(fd)};
    }
    static GUARDS Of(const fs::path& file)
    {
        const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        GUARDS guards = Of(fd);
        close(fd);
        return guards;
    }
};

class SaveGuardTest : public ::testing::Test {
protected:
    // The permissions a new file gets depend on the user's mask: one known mask.
    void SetUp() override { oldMask = umask(022); }
    void TearDown() override { umask(oldMask); }

    fs::path Picture() const { return dir.Path() / "picture.bmp"; }

    // The name the save tries first for its new file, then the next and so on.
    fs::path TemporaryName(unsigned attempt) const
    {
        return dir.Path() / (".picture.bmp." + std::to_string(getpid()) + "-" +
                             std::to_string(attempt) + ".tmp");
    }

    // Saves kNewBytes over the picture, with a look at the new file after each step.
    bool Save(std::vector<GUARDS>& looks, bmp::SAVESEAM seam = {}) const
    {
        seam.watch = [&looks](int fd) { looks.push_back(GUARDS::Of(fd)); };
        return bmp::WriteFile(Picture().c_str(), kNewBytes, seam);
    }

    bool MayGiveAway() const { return geteuid() == 0; }

    ScopedTempDir dir;
    mode_t oldMask = 0;
};

// Each kind of file replaced: before its first byte the new file has all the old one's
// guards, and at no look from its making on does anyone but the owner have a right the
// old file did not give; afterwards the file has the same guards.
TEST_F(SaveGuardTest, TheNewFileIsNeverMoreOpenThanTheOneItReplaces)
{
    const struct {
        const char* what;
        mode_t mode;
        bool otherOwner; // owned by another user and group (only the administrator saves so)
        const char* acl;
        const char* attribute;
    } cases[] = {
        {"private to its owner", 0600, true, nullptr, nullptr},
        {"private to the saver", 0600, false, nullptr, nullptr},
        {"shared with a named user and less with its group",
         0640, false, "u::rw-,u:65534:rw-,g::r--,m::rw-,o::---", nullptr},
        {"shared with a named group, read by others",
         0644, true, "u::rw-,g::---,g:100:rw-,m::rw-,o::r--", nullptr},
        {"holding a user attribute", 0640, false, nullptr, "kept by its user"},
        {"set-user, set-group and sticky", 07755, true, nullptr, nullptr},
        {"set-group with a list and an attribute", 02660, true,
         "u::rw-,u:65534:r--,g::r--,m::rw-,o::---", "shared"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(Picture());
        WriteText(Picture(), "an older picture");
        if (c.otherOwner) {
            if (!MayGiveAway())
                continue;
            ASSERT_EQ(chown(Picture().c_str(), kOtherUser, kOtherGroup), 0);
        }
        ASSERT_EQ(chmod(Picture().c_str(), c.mode), 0);
        if (c.acl != nullptr) {
            const acl_t acl = acl_from_text(c.acl);
            ASSERT_NE(acl, nullptr);
            const int set = acl_set_file(Picture().c_str(), ACL_TYPE_ACCESS, acl);
            acl_free(acl);
            if (set != 0 && errno == ENOTSUP)
                continue; // a file system without access-control lists
            ASSERT_EQ(set, 0);
        }
        if (c.attribute != nullptr) {
            const int set = setxattr(Picture().c_str(), "user.comment", c.attribute,
                                     std::string(c.attribute).size(), 0);
            if (set != 0 && errno == ENOTSUP)
                continue; // a file system without user attributes
            ASSERT_EQ(set, 0);
        }
        const GUARDS old = GUARDS::Of(Picture());

        std::vector<GUARDS> looks;
        ASSERT_TRUE(Save(looks)) << std::strerror(errno);
        ASSERT_GE(looks.size(), 2u);
        for (std::size_t i = 0; i < looks.size(); ++i)
            EXPECT_EQ(Wider(looks[i].rights, old.rights), "") << "look " << i;
        const GUARDS& beforeData = looks.back();
        EXPECT_EQ(beforeData.size, 0);
        const GUARDS afterSave = GUARDS::Of(Picture());
        for (const GUARDS* seen : {&beforeData, &afterSave}) {
            SCOPED_TRACE(seen == &beforeData ? "before the first byte" : "after the save");
            EXPECT_EQ(seen->owner, old.owner);
            EXPECT_EQ(seen->group, old.group);
            EXPECT_EQ(seen->mode, old.mode);
            EXPECT_EQ(seen->acl, old.acl);
            EXPECT_EQ(seen->attributes, old.attributes);
        }
        EXPECT_EQ(Contents(Picture()), std::string(kNewBytes.begin(), kNewBytes.end()));
    }
}

// A file made where none was is the saver's, with the permissions any new file gets.
TEST_F(SaveGuardTest, ANewFileGetsTheUsualPermissions)
{
    std::vector<GUARDS> looks;
    ASSERT_TRUE(Save(looks));
    const GUARDS made = GUARDS::Of(Picture());
    EXPECT_EQ(made.owner, geteuid());
    EXPECT_EQ(made.mode, 0644u);
    EXPECT_EQ(Contents(Picture()), std::string(kNewBytes.begin(), kNewBytes.end()));
}

// Names beside the file that are already taken, by a link to another file, a link to a
// name not made yet or a file, are passed over: nothing is written through them and they
// stay as they were. When every name the save may use is taken it refuses.
TEST_F(SaveGuardTest, TakenNamesBesideTheFileAreNeverWrittenThrough)
{
    WriteText(Picture(), "an older picture");
    WriteText(dir.Path() / "victim.bmp", "another picture");
    fs::create_symlink("victim.bmp", TemporaryName(0));
    fs::create_symlink("never-made.bmp", TemporaryName(1));
    WriteText(TemporaryName(2), "planted");

    std::vector<GUARDS> looks;
    ASSERT_TRUE(Save(looks));
    EXPECT_EQ(Contents(Picture()), std::string(kNewBytes.begin(), kNewBytes.end()));
    EXPECT_EQ(Contents(dir.Path() / "victim.bmp"), "another picture");
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.Path() / "never-made.bmp")));
    EXPECT_EQ(fs::read_symlink(TemporaryName(0)), "victim.bmp");
    EXPECT_EQ(fs::read_symlink(TemporaryName(1)), "never-made.bmp");
    EXPECT_EQ(Contents(TemporaryName(2)), "planted");

    // With every name taken, the names above are the ones the save uses.
    for (unsigned attempt = 3; attempt < 100; ++attempt)
        WriteText(TemporaryName(attempt), "planted");
    errno = 0;
    EXPECT_FALSE(Save(looks));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(Contents(Picture()), std::string(kNewBytes.begin(), kNewBytes.end()));
}

// The new file replaces the name saved through: another hard link to the old file keeps
// the old picture.
TEST_F(SaveGuardTest, OtherHardLinksKeepTheOldPicture)
{
    WriteText(Picture(), "an older picture");
    fs::create_hard_link(Picture(), dir.Path() / "second name.bmp");
    std::vector<GUARDS> looks;
    ASSERT_TRUE(Save(looks));
    EXPECT_EQ(Contents(Picture()), std::string(kNewBytes.begin(), kNewBytes.end()));
    EXPECT_EQ(Contents(dir.Path() / "second name.bmp"), "an older picture");
    EXPECT_EQ(fs::hard_link_count(Picture()), 1u);
}

// An owner the system cannot give here (EINVAL, as for an id unknown inside a container)
// or may not (EPERM) leaves the file the saver's, and the save goes on.
TEST_F(SaveGuardTest, AnOwnerTheSystemCannotGiveStillSaves)
{
    for (const int answer : {EINVAL, EPERM}) {
        SCOPED_TRACE(answer == EINVAL ? "EINVAL" : "EPERM");
        WriteText(Picture(), "an older picture");
        chmod(Picture().c_str(), 0640);
        bmp::SAVESEAM seam;
        int asked = 0;
        seam.changeOwner = [answer, &asked](int, uid_t, gid_t) {
            ++asked;
            errno = answer;
            return -1;
        };
        std::vector<GUARDS> looks;
        ASSERT_TRUE(Save(looks, seam)) << std::strerror(errno);
        EXPECT_EQ(asked, 2); // the owner and group, then the group alone
        const GUARDS saved = GUARDS::Of(Picture());
        EXPECT_EQ(saved.owner, geteuid());
        EXPECT_EQ(saved.mode, 0640u);
        EXPECT_EQ(Contents(Picture()), std::string(kNewBytes.begin(), kNewBytes.end()));
    }
}

// An access-control list or attribute the new file cannot be given fails the save rather
// than leave the group the list's mask or drop what the user kept: the old file stays as
// it was, and no new file is left beside it.
TEST_F(SaveGuardTest, WhatCannotBeCarriedOverFailsTheSave)
{
    const struct {
        const char* name;
        int answer;
    } cases[] = {{"system.posix_acl_access", EPERM}, {"user.comment", ENOSPC}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText(Picture(), "an older picture");
        const acl_t acl = acl_from_text("u::rw-,u:65534:rw-,g::r--,m::rw-,o::---");
        ASSERT_NE(acl, nullptr);
        const int aclSet = acl_set_file(Picture().c_str(), ACL_TYPE_ACCESS, acl);
        acl_free(acl);
        const int attributeSet = setxattr(Picture().c_str(), "user.comment", "kept", 4, 0);
        if ((aclSet != 0 || attributeSet != 0) && errno == ENOTSUP)
            GTEST_SKIP() << "the file system keeps no access-control lists or attributes";
        ASSERT_EQ(aclSet, 0);
        ASSERT_EQ(attributeSet, 0);
        const GUARDS old = GUARDS::Of(Picture());
        bmp::SAVESEAM seam;
        seam.setAttribute = [&c](int fd, const char* name, const void* value, std::size_t size) {
            if (std::string(name) != c.name)
                return fsetxattr(fd, name, value, size, 0);
            errno = c.answer;
            return -1;
        };
        std::vector<GUARDS> looks;
        errno = 0;
        EXPECT_FALSE(Save(looks, seam));
        EXPECT_EQ(errno, c.answer);
        EXPECT_EQ(Contents(Picture()), "an older picture");
        const GUARDS kept = GUARDS::Of(Picture());
        EXPECT_EQ(kept.acl, old.acl);
        EXPECT_EQ(kept.mode, old.mode);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
    }
}

// Any other refusal of the owner fails the save, with the old file as it was and no new
// file left beside it.
TEST_F(SaveGuardTest, AnotherRefusalOfTheOwnerFailsTheSave)
{
    WriteText(Picture(), "an older picture");
    bmp::SAVESEAM seam;
    seam.changeOwner = [](int, uid_t, gid_t) {
        errno = EIO;
        return -1;
    };
    std::vector<GUARDS> looks;
    errno = 0;
    EXPECT_FALSE(Save(looks, seam));
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(Contents(Picture()), "an older picture");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

} // namespace
