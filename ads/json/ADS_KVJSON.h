#pragma once
// Reads JSON text into documents or platform values and writes values back as
// JSON text, with a nesting limit, optional key sorting and indentation.
// Numbers are read as exact decimal text; it does not stream and is not reentrant.

#include "json/ADSJSONDocument.h"

#include "platform/Error.h"
#include "platform/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ADS_KVJSON {
public:
    // Nesting that no setting can lift: deeper text or values would exhaust
    // the stack of the recursive reader and writer, and of the values'
    // destructors (about a kilobyte a level in a debug build), so they fail
    // with "Nested too deep" even when maxDepth is 0 ("no limit") or larger.
    static constexpr uint32_t kHardDepthLimit = 1024;

    ADS_KVJSON() = default;

    uint32_t maxDepth() const { return maxDepth_; }
    void setMaxDepth(uint32_t depth) { maxDepth_ = depth; }
    bool sortKeys() const { return sortKeys_; }
    void setSortKeys(bool sort) { sortKeys_ = sort; }
    bool humanReadable() const { return humanReadable_; }
    void setHumanReadable(bool human) { humanReadable_ = human; }

    // The top level must be an object or an array. The view's length, not a
    // zero byte, ends the text: a zero byte inside is refused like any other
    // stray byte instead of silently cutting the text short.
    std::optional<platform::Value> objectWithString(std::string_view text, platform::Error* error = nullptr)
    {
        return objectWithString(text, false, error);
    }
    // A null pointer stands for "no text" and reports "Input was 'nil'".
    std::optional<platform::Value> objectWithString(const char* text, platform::Error* error = nullptr);
    // The top level may be any value.
    std::optional<platform::Value> fragmentWithString(std::string_view text, platform::Error* error = nullptr)
    {
        return objectWithString(text, true, error);
    }
    std::optional<platform::Value> fragmentWithString(const char* text, platform::Error* error = nullptr);
    std::optional<platform::Value> objectWithString(std::string_view text, bool allowScalar, platform::Error* error);

    // The same reading into a document that owns its memory: the fast way
    // to look at a large text, since nothing is allocated value by value.
    // A text of 4 GiB or more is refused whole (code 12, "Input too long").
    std::optional<ADSJSONDocument> documentWithString(
        std::string_view text, bool allowScalar = false, platform::Error* error = nullptr);

    // The top level must be a dictionary or an array.
    std::optional<std::string> stringWithObject(const platform::Value& value, platform::Error* error = nullptr)
    {
        return stringWithObject(value, false, error);
    }
    std::optional<std::string> stringWithFragment(const platform::Value& value, platform::Error* error = nullptr)
    {
        return stringWithObject(value, true, error);
    }
    std::optional<std::string> stringWithObject(const platform::Value& value, bool allowScalar, platform::Error* error);

private:
    // Reader steps; each answers success and fills its out-value, or stores
    // the error in `error`. Strings, keys and containers go to `arena_`.
    bool scanValue(ADSJSONValue& out, platform::Error* error);
    bool scanRestOfString(const char*& chars, uint32_t& length, platform::Error* error);
    bool scanRestOfEscapedString(const uint8_t* start, const char*& chars, uint32_t& length, platform::Error* error);
    bool scanNumber(ADSJSONValue& out, platform::Error* error);
    // Moves past one number; the caller takes the text it spans.
    bool scanNumberText(platform::Error* error);
    bool scanRestOfNull(ADSJSONValue& out, platform::Error* error);
    bool scanRestOfTrue(ADSJSONValue& out, platform::Error* error);
    bool scanRestOfFalse(ADSJSONValue& out, platform::Error* error);
    bool scanRestOfArray(ADSJSONValue& out, platform::Error* error);
    bool scanRestOfDictionary(ADSJSONValue& out, platform::Error* error);
    bool scanUnicodeChar(uint32_t& out, platform::Error* error);
    bool scanHexQuad(uint32_t& out, platform::Error* error);
    bool scanIsAtEnd();
    bool enterContainer(platform::Error* error);
    void skipWhitespace();
    // Folds later duplicates of a key into the first member with that key;
    // answers how many members are left above `base`.
    size_t keepFirstOfEachKey(size_t base);
    const char* copyText(const uint8_t* text, size_t length);

    // Writer steps.
    bool appendValue(const platform::Value& value, std::string& out, platform::Error* error);
    bool appendDictionary(const platform::Dictionary& dict, std::string& out, platform::Error* error);
    bool appendArray(const platform::Array& array, std::string& out, platform::Error* error);
    bool appendString(std::string_view text, std::string& out, platform::Error* error);
    bool appendEntry(const platform::Dictionary::Entry& entry, bool first, std::string& out, platform::Error* error);
    void indent(std::string& out) const;

    const uint8_t* c_ = nullptr; // read position, valid during one read
    const uint8_t* end_ = nullptr;
    uint32_t depth_ = 0;
    uint32_t maxDepth_ = 512;
    bool sortKeys_ = false;
    bool humanReadable_ = false;
    // Elements of the containers being read, innermost last; a finished
    // container copies its own tail into the arena in one piece.
    ADSJSONArena* arena_ = nullptr; // the document's, during one read
    std::vector<ADSJSONValue> valueStack_;
    std::vector<ADSJSONMember> memberStack_;
    std::string escaped_; // a string with escapes, while it is unescaped
    std::vector<uint32_t> keySlots_; // open addressing over a large object's members
    // Entries of the objects being written in sorted order, innermost last.
    std::vector<const platform::Dictionary::Entry*> sortedEntries_;
};
