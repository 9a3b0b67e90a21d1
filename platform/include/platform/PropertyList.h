#pragma once
// XML property lists (the PropertyList-1.0 document type) read into and written
// from Values. The reader accepts only well-formed property lists: no entity
// declarations, no external DTD fetch; anything else is a reported failure.

#include "platform/Value.h"
#include <optional>
#include <string>
#include <string_view>

namespace platform::PropertyList {

std::optional<Value> parse(std::string_view xml, std::string* error = nullptr);
// Null has no property-list form: serialize() writes it as an empty string,
// and writeFile() refuses a tree that holds one.
std::string serialize(const Value& root);

std::optional<Value> readFile(const std::string& path, std::string* error = nullptr);
// Atomic and durable (see FileSystem::writeAtomically): a failed write leaves
// any previous file untouched.
bool writeFile(const std::string& path, const Value& root, std::string* error = nullptr);

}
