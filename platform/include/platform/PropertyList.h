#pragma once
// XML property lists (the PropertyList-1.0 document type) read into and written
// from Values. The reader accepts only well-formed property lists: no entity
// declarations, no external DTD fetch; anything else is a reported failure.

#include "platform/Result.h"
#include "platform/Value.h"

#include <string>
#include <string_view>

namespace platform::PropertyList {

// Domain of the reader's and writer's own errors (a file that cannot be read
// or written reports the file system's).
inline constexpr const char* kErrorDomain = "platform.PropertyList";
enum ErrorCode : long {
    ErrorNotAPropertyList = 1, // the text is not a well-formed property list
    ErrorNullValue = 2,        // a tree holding null has no property-list form
};

Result<Value> parse(std::string_view xml);
// Null has no property-list form: serialize() writes it as an empty string,
// and writeFile() refuses a tree that holds one.
std::string serialize(const Value& root);

Result<Value> readFile(const std::string& path);
// Atomic and durable (see FileSystem::writeAtomically): a failed write leaves
// any previous file untouched.
Result<void> writeFile(const std::string& path, const Value& root);

}
