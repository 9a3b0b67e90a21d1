#pragma once
// Files and folders as the program needs them: existence, whole-file reads,
// atomic durable writes, modification times, folders. Plain POSIX underneath.

#include "platform/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::FileSystem {

// Domain of the errors below; the code is the system's errno.
inline constexpr const char* kErrorDomain = "platform.FileSystem";

bool exists(const std::string& path);
bool isDirectory(const std::string& path);
Result<std::string> readFile(const std::string& path);
// As above, but a file longer than `maxBytes` is refused (EFBIG) unread, so
// that a runaway file cannot take the memory with it.
Result<std::string> readFile(const std::string& path, long long maxBytes);
// Writes a temporary file in the same folder ("<path>.tmp.XXXXXX"), flushes
// it to disk, renames it over `path`, then flushes the folder. On any failure
// the temporary file is removed and the old file stays as it was.
Result<void> writeAtomically(const std::string& path, std::string_view contents);
// Removes the temporary files that writes of `path` interrupted by a crash or
// a kill left behind. A write still running in a live process holds a lock on
// its file and is left alone. Returns how many files were removed.
int removeAbandonedTemporaryFiles(const std::string& path);
// Modification time in seconds since 1970, or nothing when the file is absent.
std::optional<double> modificationTime(const std::string& path);
bool setModificationTime(const std::string& path, double secondsSince1970);
std::optional<long long> fileSize(const std::string& path);
bool createDirectories(const std::string& path);
bool removeFile(const std::string& path);
bool renameFile(const std::string& from, const std::string& to);
// Renames only when nothing is at `to` yet; false (errno EEXIST) otherwise.
bool renameWithoutReplacing(const std::string& from, const std::string& to);
// Moves a damaged file aside as "<path>.damaged.N", N one above any kept
// before, so that no kept file is ever replaced, then deletes the oldest kept
// ones beyond `keepNewest`. Returns the new path, or nothing when the file
// could not be moved (it then stays where it was).
std::optional<std::string> setAsideDamagedFile(const std::string& path, int keepNewest);
// Names of the entries of a folder, without "." and ".."; empty when unreadable.
std::vector<std::string> contentsOfDirectory(const std::string& path);
std::string appendPathComponent(const std::string& base, std::string_view component);
std::string lastPathComponent(const std::string& path);
std::string deletingLastPathComponent(const std::string& path);
std::string expandTilde(const std::string& path);

}
