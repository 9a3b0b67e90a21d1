// Files on POSIX: whole-file reads, atomic durable writes, times, folders.
#include "platform/FileSystem.h"
#ifdef TOLVANE_FILE_FAULTS
#include "platform/FileFaults.h"
#endif

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::FileSystem {

#ifdef TOLVANE_FILE_FAULTS
namespace {
FaultHook& faultHook()
{
    static FaultHook hook;
    return hook;
}
}

void setFaultHook(FaultHook hook) { faultHook() = std::move(hook); }

// The errno a test asks this step to fail with, or 0.
static int injectedFault(FileStep step, const std::string& path)
{
    const FaultHook& hook = faultHook();
    return hook ? hook(step, path) : 0;
}
#else
enum class FileStep { CreateTemporary, Write, Sync, Rename, Read };
static constexpr int injectedFault(FileStep, const std::string&) { return 0; }
#endif

namespace {

constexpr std::string_view kTemporaryInfix = ".tmp.";

Error failure(const std::string& what, const std::string& path, int err)
{
    return Error(kErrorDomain, err, what + " " + path + ": " + std::strerror(err));
}

bool writeAll(int fd, std::string_view data)
{
    const char* p = data.data();
    size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

}

bool exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

Result<std::string> readFile(const std::string& path) { return readFile(path, -1); }

Result<std::string> readFile(const std::string& path, long long maxBytes)
{
    if (int err = injectedFault(FileStep::Read, path))
        return failure("cannot open", path, err);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure("cannot open", path, errno);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return failure("cannot read", path, EISDIR);
    }
    if (maxBytes >= 0 && st.st_size > maxBytes) {
        ::close(fd);
        return failure("refusing to read", path, EFBIG);
    }
    std::string out;
    if (st.st_size > 0)
        out.reserve(size_t(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            int err = errno;
            ::close(fd);
            return failure("cannot read", path, err);
        }
        if (n == 0)
            break;
        out.append(buf, size_t(n));
        // The file may grow while it is read.
        if (maxBytes >= 0 && (long long)out.size() > maxBytes) {
            ::close(fd);
            return failure("refusing to read", path, EFBIG);
        }
    }
    ::close(fd);
    return out;
}

Result<void> writeAtomically(const std::string& path, std::string_view contents)
{
    if (path.empty())
        return Error(kErrorDomain, ENOENT, "cannot write: empty path");
    std::string folder = deletingLastPathComponent(path);
    if (folder.empty())
        folder = ".";
    std::string tmpl = path + std::string(kTemporaryInfix) + "XXXXXX";
    int fd = -1;
    if (int err = injectedFault(FileStep::CreateTemporary, path)) {
        errno = err;
    } else {
        fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    }
    if (fd < 0)
        return failure("cannot create a temporary file for", path, errno);
    // The lock tells removeAbandonedTemporaryFiles that this write is alive;
    // the system drops it when the process dies, however it dies.
    ::flock(fd, LOCK_EX | LOCK_NB);
    auto fail = [&](const char* what, int err) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(tmpl.c_str());
        return failure(what, path, err);
    };
    // Keep the permissions of the file being replaced; a new file gets the
    // usual rw-r--r-- rather than mkstemp's owner-only mode.
    struct stat old;
    mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0)
        return fail("cannot set permissions of", errno);
    if (int err = injectedFault(FileStep::Write, path)) {
        writeAll(fd, contents.substr(0, contents.size() / 2));
        return fail("cannot write", err);
    }
    if (!writeAll(fd, contents))
        return fail("cannot write", errno);
    if (int err = injectedFault(FileStep::Sync, path))
        return fail("cannot flush", err);
    if (::fsync(fd) != 0)
        return fail("cannot flush", errno);
    int rc = ::close(fd);
    fd = -1;
    if (rc != 0)
        return fail("cannot close", errno);
    if (int err = injectedFault(FileStep::Rename, path))
        return fail("cannot rename over", err);
    if (::rename(tmpl.c_str(), path.c_str()) != 0)
        return fail("cannot rename over", errno);
    // The rename is durable only once the folder's entry is on disk too.
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return {};
}

int removeAbandonedTemporaryFiles(const std::string& path)
{
    std::string folder = deletingLastPathComponent(path);
    if (folder.empty())
        folder = ".";
    const std::string prefix = lastPathComponent(path) + std::string(kTemporaryInfix);
    int removed = 0;
    for (const std::string& name : contentsOfDirectory(folder)) {
        // Exactly what mkostemp makes of the template: six more characters.
        if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string candidate = appendPathComponent(folder, name);
        int fd = ::open(candidate.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::unlink(candidate.c_str()) == 0)
            ++removed;
        ::close(fd);
    }
    return removed;
}

std::optional<double> modificationTime(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return double(st.st_mtim.tv_sec) + double(st.st_mtim.tv_nsec) / 1e9;
}

bool setModificationTime(const std::string& path, double secondsSince1970)
{
    struct timespec times[2];
    if (!std::isfinite(secondsSince1970))
        return false;
    double whole = std::floor(secondsSince1970);
    times[0].tv_sec = time_t(whole);
    times[0].tv_nsec = long((secondsSince1970 - whole) * 1e9);
    if (times[0].tv_nsec < 0 || times[0].tv_nsec > 999999999)
        times[0].tv_nsec = 0;
    times[1] = times[0];
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::optional<long long> fileSize(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return (long long)st.st_size;
}

bool createDirectories(const std::string& path)
{
    if (path.empty())
        return false;
    if (isDirectory(path))
        return true;
    std::string partial;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        partial = path.substr(0, next);
        if (!partial.empty() && !isDirectory(partial)) {
            if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
                return false;
        }
        pos = next + 1;
    }
    return isDirectory(path);
}

bool removeFile(const std::string& path)
{
    if (::unlink(path.c_str()) == 0)
        return true;
    return errno == EISDIR || errno == EPERM ? ::rmdir(path.c_str()) == 0 : false;
}

bool renameFile(const std::string& from, const std::string& to) { return ::rename(from.c_str(), to.c_str()) == 0; }

bool renameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a hard link cannot replace either.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

std::optional<std::string> setAsideDamagedFile(const std::string& path, int keepNewest)
{
    std::string folder = deletingLastPathComponent(path);
    if (folder.empty())
        folder = ".";
    const std::string prefix = lastPathComponent(path) + ".damaged.";
    std::vector<std::pair<unsigned long long, std::string>> kept;
    for (const std::string& name : contentsOfDirectory(folder)) {
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string digits = name.substr(prefix.size());
        if (digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        kept.emplace_back(std::stoull(digits), name);
    }
    unsigned long long next = 1;
    for (const auto& [n, name] : kept)
        next = std::max(next, n + 1);
    std::optional<std::string> moved;
    // Another process may take a number at the same moment: try the next one.
    for (int attempt = 0; attempt < 100 && !moved; ++attempt, ++next) {
        std::string target = appendPathComponent(folder, prefix + std::to_string(next));
        if (renameWithoutReplacing(path, target)) {
            moved = target;
            kept.emplace_back(next, prefix + std::to_string(next));
        } else if (errno != EEXIST) {
            return std::nullopt;
        }
    }
    if (!moved)
        return std::nullopt;
    std::sort(kept.begin(), kept.end());
    for (size_t i = 0; i + size_t(std::max(keepNewest, 1)) < kept.size(); ++i)
        ::unlink(appendPathComponent(folder, kept[i].second).c_str());
    return moved;
}

std::vector<std::string> contentsOfDirectory(const std::string& path)
{
    std::vector<std::string> out;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return out;
    while (const dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            out.emplace_back(name);
    }
    ::closedir(dir);
    return out;
}

std::string appendPathComponent(const std::string& base, std::string_view component)
{
    if (base.empty())
        return std::string(component);
    std::string out = base;
    while (!component.empty() && component.front() == '/')
        component.remove_prefix(1);
    if (out.back() != '/')
        out += '/';
    out += component;
    return out;
}

std::string lastPathComponent(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    size_t slash = p.rfind('/');
    if (slash == std::string::npos || p == "/")
        return p;
    return p.substr(slash + 1);
}

std::string deletingLastPathComponent(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    size_t slash = p.rfind('/');
    if (slash == std::string::npos)
        return "";
    if (slash == 0)
        return "/";
    return p.substr(0, slash);
}

std::string expandTilde(const std::string& path)
{
    if (path.empty() || path[0] != '~' || (path.size() > 1 && path[1] != '/'))
        return path;
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        return path;
    return std::string(home) + path.substr(1);
}

}
