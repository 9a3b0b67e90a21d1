#pragma once
// Reads JSON text into platform values and writes values back as JSON text,
// with a nesting limit, optional key sorting and indentation. Numbers are read
// as exact decimal text; it does not stream and is not reentrant.

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
    // the error in `error`.
    bool scanValue(platform::Value& out, platform::Error* error);
    bool scanRestOfString(std::string& out, platform::Error* error);
    bool scanNumber(platform::Value& out, platform::Error* error);
    // Moves past one number; the caller takes the text it spans.
    bool scanNumberText(platform::Error* error);
    bool scanRestOfNull(platform::Value& out, platform::Error* error);
    bool scanRestOfTrue(platform::Value& out, platform::Error* error);
    bool scanRestOfFalse(platform::Value& out, platform::Error* error);
    bool scanRestOfArray(platform::Value& out, platform::Error* error);
    bool scanRestOfDictionary(platform::Value& out, platform::Error* error);
    bool scanUnicodeChar(uint32_t& out, platform::Error* error);
    bool scanHexQuad(uint32_t& out, platform::Error* error);
    bool scanIsAtEnd();
    bool enterContainer(platform::Error* error);
    void skipWhitespace();

    // Writer steps.
    bool appendValue(const platform::Value& value, std::string& out, platform::Error* error);
    bool appendDictionary(const platform::Dictionary& dict, std::string& out, platform::Error* error);
    bool appendArray(const platform::Array& array, std::string& out, platform::Error* error);
    bool appendString(std::string_view text, std::string& out, platform::Error* error);
    void indent(std::string& out) const;
    size_t estimatedSize(const platform::Value& value, uint32_t depth) const;

    const uint8_t* c_ = nullptr; // read position, valid during one read
    const uint8_t* end_ = nullptr;
    uint32_t depth_ = 0;
    uint32_t maxDepth_ = 512;
    bool sortKeys_ = false;
    bool humanReadable_ = false;
    // Elements of the containers being read, innermost last; a finished
    // container takes its own tail, so no per-container buffer grows by doubling.
    std::vector<platform::Value> valueStack_;
    std::vector<platform::Dictionary::Entry> entryStack_;
};
