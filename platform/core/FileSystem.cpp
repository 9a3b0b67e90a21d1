// Files on POSIX: whole-file reads, atomic durable writes, times, folders.
#include "platform/FileSystem.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::FileSystem {

namespace {

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

Result<std::string> readFile(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return failure("cannot open", path, errno);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return failure("cannot read", path, EISDIR);
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
    std::string tmpl = path + ".tmp.XXXXXX";
    int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0)
        return failure("cannot create a temporary file for", path, errno);
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
    if (!writeAll(fd, contents))
        return fail("cannot write", errno);
    if (::fsync(fd) != 0)
        return fail("cannot flush", errno);
    int rc = ::close(fd);
    fd = -1;
    if (rc != 0)
        return fail("cannot close", errno);
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
