// Reading and writing whole files for the bitmap loader.
#include "bmpcodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace bmp {

namespace {

// Files up to 2 GiB: no picture this reader accepts needs more.
constexpr std::uint64_t largestFile = std::uint64_t{1} << 31;

// Reads count bytes at offset at into buffer; false when the file ends early or fails.
bool ReadWhole(int fd, std::size_t at, std::uint8_t* buffer, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = pread(fd, buffer + done, count - done, static_cast<off_t>(at + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// A regular file open for reading, no larger than any picture this reader accepts;
// closed when the object goes.
class OPENFILE {
public:
    explicit OPENFILE(const char* path)
        // Opened without waiting, so that a pipe or a device is refused rather than
        // waited on.
        : fd(path != nullptr ? open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY) : -1)
    {
        // The size and the kind are those of the file opened, not of whatever the path
        // names a moment later.
        struct stat status {};
        if (fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
            static_cast<std::uint64_t>(status.st_size) <= largestFile)
            size = static_cast<std::size_t>(status.st_size);
        else
            Close();
    }
    ~OPENFILE() { Close(); }
    OPENFILE(const OPENFILE&) = delete;
    OPENFILE& operator=(const OPENFILE&) = delete;

    bool IsOpen() const { return fd >= 0; }
    std::size_t Size() const { return size; }

    // Reads count bytes from offset at into buffer; false when the file ends early. The
    // reader asks for small pieces, which it places from a buffer that stays in the cache.
    bool ReadAt(std::size_t at, std::uint8_t* buffer, std::size_t count) const
    {
        return ReadWhole(fd, at, buffer, count);
    }

private:
    void Close()
    {
        if (fd >= 0)
            close(fd);
        fd = -1;
        size = 0;
    }

    int fd;
    std::size_t size = 0;
};

} // namespace

// The headers are read first and checked as Decode checks them; then the pixels go from
// the file through a small staging buffer straight into the picture's new buffer. That
// spares a second fresh buffer of the file's size, whose first touch costs as much as
// reading the file.
REFUSAL ReadFile(const char* path, KXPICTURE& picture)
{
    const OPENFILE file(path);
    if (!file.IsOpen())
        return REFUSAL::UNREADABLE;
    std::uint8_t head[kHeadSize];
    const std::size_t headSize = std::min(kHeadSize, file.Size());
    if (!file.ReadAt(0, head, headSize))
        return REFUSAL::UNREADABLE;
    const READAT readAt = [&file](std::size_t at, std::uint8_t* buffer, std::size_t count) {
        return file.ReadAt(at, buffer, count);
    };
    return DecodeFile(head, headSize, file.Size(), readAt, picture);
}

namespace {

// The file a save replaces: where it lies (a link is followed, so that the link stays
// and what it names is replaced) and the owner, group and permissions the new file takes
// over, as it does the file's attributes. A name that does not exist yet is written as it
// is, with the owner and the permissions a new file gets.
struct TARGET {
    std::string path;
    bool exists = false;
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0666;
};

// The most links a save follows before it takes the chain for a loop, as many as the
// system itself follows in one name.
constexpr int kMostLinks = 40;

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// What the link at path names, read whole however long it is; false, with errno set,
// when it cannot be read.
bool ReadLink(const std::string& path, std::size_t sizeHint, std::string& named)
{
    std::string buffer(std::max<std::size_t>(sizeHint + 1, 256), '\0');
    for (;;) {
        const ssize_t got = readlink(path.c_str(), buffer.data(), buffer.size());
        if (got < 0)
            return false;
        // A link that filled the buffer may have been cut short.
        if (static_cast<std::size_t>(got) < buffer.size()) {
            named.assign(buffer.data(), static_cast<std::size_t>(got));
            return true;
        }
        buffer.resize(buffer.size() * 2);
    }
}

// The name at the end of the chain of links that starts at path: path itself when it is
// no link. That name need not exist: a link may name a file not made yet. A relative
// link names a file from the link's own folder. False, with errno set, for a chain that
// loops or runs longer than the system follows, or a link that cannot be read.
bool FollowLinks(const char* path, std::string& end)
{
    end = path;
    for (int followed = 0;; ++followed) {
        struct stat status {};
        if (lstat(end.c_str(), &status) != 0)
            return errno == ENOENT;
        if (!S_ISLNK(status.st_mode))
            return true;
        if (followed == kMostLinks) {
            errno = ELOOP;
            return false;
        }
        std::string named;
        if (!ReadLink(end, static_cast<std::size_t>(status.st_size), named))
            return false;
        if (named.empty()) {
            errno = ENOENT;
            return false;
        }
        if (named.front() != '/')
            named = FolderOf(end) + "/" + named;
        end = std::move(named);
    }
}

// False, with errno set, for a target that must not be replaced: anything but a
// regular file, or a file that is read-only (also for a user whom the system would let
// write it anyway).
bool FindTarget(const char* path, TARGET& target)
{
    if (!FollowLinks(path, target.path))
        return false;
    struct stat status {};
    if (stat(target.path.c_str(), &status) != 0)
        return errno == ENOENT;
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if ((status.st_mode & 0222) == 0 || access(target.path.c_str(), W_OK) != 0) {
        errno = EACCES;
        return false;
    }
    target.exists = true;
    target.owner = status.st_uid;
    target.group = status.st_gid;
    target.mode = status.st_mode & 07777;
    return true;
}

// A new file beside the target, open for writing, made with mode (less the user's mask);
// -1, with errno set, when none can be made. It is always a file of its own: a name that
// exists, whatever it is, is never opened. Its name starts with a dot, so that listings
// do not show it while it is written.
int CreateBeside(const std::string& target, mode_t mode, std::string& name)
{
    const std::size_t slash = target.rfind('/');
    // Part of the name shows whose file it is; all of it might be too long with the rest.
    const std::string base =
        (slash == std::string::npos ? target : target.substr(slash + 1)).substr(0, 200);
    const std::string folder = FolderOf(target);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/." + base + "." + std::to_string(getpid()) + "-" +
               std::to_string(attempt) + ".tmp";
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// True when the system refuses this process the owner or group asked for: not allowed
// (EPERM), or an id it cannot give here (EINVAL, as for a file whose owner is unknown
// inside a container).
bool MayNotGive()
{
    return errno == EPERM || errno == EINVAL;
}

// The attributes a save carries over: the user's own and the access-control list. The
// system's other namespaces are the system's to give (a security label) or must not pass
// to a new file unasked (capabilities, trusted attributes).
bool IsCarried(std::string_view name)
{
    return name.starts_with("user.") || name == "system.posix_acl_access";
}

// The names of the extended attributes of the file at path, none where its file system
// keeps none; false, with errno set, when they cannot be listed.
bool ListAttributes(const std::string& path, std::vector<std::string>& names)
{
    names.clear();
    for (;;) {
        const ssize_t size = listxattr(path.c_str(), nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        std::string list(static_cast<std::size_t>(size), '\0');
        const ssize_t got = listxattr(path.c_str(), list.data(), list.size());
        if (got < 0 && errno != ERANGE)
            return errno == ENOTSUP;
        // A list that grew since its size was asked is asked again (asked with no room,
        // the system answers with its size instead of ERANGE).
        if (got < 0 || static_cast<std::size_t>(got) > list.size())
            continue;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            const std::size_t end = list.find('\0', at);
            names.push_back(list.substr(at, end - at));
            at = end == std::string::npos ? list.size() : end + 1;
        }
        return true;
    }
}

// The value of one attribute of the file at path; present is false for an attribute
// removed since it was listed. False, with errno set, when it cannot be read.
bool ReadAttribute(const std::string& path, const std::string& name, std::string& value,
                   bool& present)
{
    present = false;
    for (;;) {
        const ssize_t size = getxattr(path.c_str(), name.c_str(), nullptr, 0);
        if (size < 0)
            return errno == ENODATA;
        value.assign(static_cast<std::size_t>(size), '\0');
        const ssize_t got = getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (got < 0 && errno != ERANGE)
            return errno == ENODATA;
        if (got < 0 || static_cast<std::size_t>(got) > value.size())
            continue;
        value.resize(static_cast<std::size_t>(got));
        present = true;
        return true;
    }
}

// Gives the new file the carried attributes of the file at path. Setting the
// access-control list also sets the permissions it implies, so the owning group gets its
// own entry's rights, never the wider ones of the list's mask. False, with errno set,
// when one cannot be read or given: a save that dropped the list would give the group
// the mask's rights, and one that dropped an attribute would lose what the user kept.
bool CopyAttributes(const std::string& path, int fd, const SAVESEAM& seam)
{
    std::vector<std::string> names;
    if (!ListAttributes(path, names))
        return false;
    std::string value;
    for (const std::string& name : names) {
        if (!IsCarried(name))
            continue;
        bool present = false;
        if (!ReadAttribute(path, name, value, present))
            return false;
        if (!present)
            continue;
        const int set = seam.setAttribute
                            ? seam.setAttribute(fd, name.c_str(), value.data(), value.size())
                            : fsetxattr(fd, name.c_str(), value.data(), value.size(), 0);
        if (set != 0)
            return false;
    }
    return true;
}

// Gives the new file the owner, group, attributes and permissions of the file it
// replaces, watched after each step. A user who may not give a file away keeps the group
// when a member of it, and otherwise saves the file as their own: only the administrator
// may keep another user's file theirs.
bool TakeOver(int fd, const TARGET& target, const SAVESEAM& seam)
{
    const auto changeOwner = [&seam, fd](uid_t owner, gid_t group) {
        return seam.changeOwner ? seam.changeOwner(fd, owner, group) : fchown(fd, owner, group);
    };
    // The owner goes first: changing it clears the set-user and set-group bits, which the
    // permissions then put back. Until then the file is its owner's alone.
    if (changeOwner(target.owner, target.group) != 0) {
        if (!MayNotGive())
            return false;
        if (changeOwner(static_cast<uid_t>(-1), target.group) != 0 && !MayNotGive())
            return false;
    }
    if (seam.watch)
        seam.watch(fd);
    if (!CopyAttributes(target.path, fd, seam))
        return false;
    if (seam.watch)
        seam.watch(fd);
    // With an access-control list the group bits are its mask's, which the list already
    // holds: the permissions change nothing else.
    return fchmod(fd, target.mode) == 0;
}

// TakeOver, with memory that runs out while the attributes are read a failure like any
// other (ENOMEM), so that the new file is still closed and removed.
bool TakeOverOrFail(int fd, const TARGET& target, const SAVESEAM& seam)
{
    try {
        return TakeOver(fd, target, seam);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return false;
    }
}

// Makes the rename itself durable; a folder that cannot be flushed costs nothing more.
void FlushFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes)
{
    return WriteFile(path, bytes, SAVESEAM{});
}

bool WriteFile(const char* path, const std::vector<std::uint8_t>& bytes, const SAVESEAM& seam)
{
    TARGET target;
    if (path == nullptr || *path == '\0') {
        errno = ENOENT;
        return false;
    }
    if (!FindTarget(path, target))
        return false;
    // Every name is formed before the new file exists, so nothing can fail between its
    // rename and the end.
    const std::string folder = FolderOf(target.path);
    std::string temporary;
    // A file that replaces another is private until it has what guards the old one: a
    // process that opened it earlier would keep reading it. A new file has the saver as
    // owner and 0666 less the user's mask, as any new file.
    const int fd = CreateBeside(target.path, target.exists ? 0600 : 0666, temporary);
    if (fd < 0)
        return false;
    if (seam.watch)
        seam.watch(fd);
    bool saved = !target.exists || TakeOverOrFail(fd, target, seam);
    if (saved && seam.watch)
        seam.watch(fd);
    saved = saved && WriteAll(fd, bytes) && fsync(fd) == 0;
    int reason = saved ? 0 : errno;
    if (close(fd) != 0 && saved) {
        saved = false;
        reason = errno;
    }
    if (saved && rename(temporary.c_str(), target.path.c_str()) != 0) {
        saved = false;
        reason = errno;
    }
    if (saved) {
        FlushFolder(folder);
        return true;
    }
    // Only the new file goes; the caller learns the reason of the first failure.
    unlink(temporary.c_str());
    errno = reason;
    return false;
}

} // namespace bmp
