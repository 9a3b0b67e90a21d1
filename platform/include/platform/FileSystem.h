#pragma once
// Files and folders as the program needs them: existence, whole-file reads,
// atomic durable writes, modification times, folders. Plain POSIX underneath.

#include "platform/Result.h"

#include <optional>
#include <string>
#include <string_view>

namespace platform::FileSystem {

// Domain of the errors below; the code is the system's errno.
inline constexpr const char* kErrorDomain = "platform.FileSystem";

bool exists(const std::string& path);
bool isDirectory(const std::string& path);
Result<std::string> readFile(const std::string& path);
// Writes a temporary file in the same folder, flushes it to disk, renames it
// over `path`, then flushes the folder. On any failure the temporary file is
// removed and the old file stays as it was.
Result<void> writeAtomically(const std::string& path, std::string_view contents);
// Modification time in seconds since 1970, or nothing when the file is absent.
std::optional<double> modificationTime(const std::string& path);
bool setModificationTime(const std::string& path, double secondsSince1970);
std::optional<long long> fileSize(const std::string& path);
bool createDirectories(const std::string& path);
bool removeFile(const std::string& path);
bool renameFile(const std::string& from, const std::string& to);
std::string appendPathComponent(const std::string& base, std::string_view component);
std::string lastPathComponent(const std::string& path);
std::string deletingLastPathComponent(const std::string& path);
std::string expandTilde(const std::string& path);

}
