// The query-string parser on any text. Keys come out lower-cased and values
// as valid UTF-8; a pair with a plain key and a value, appended to a URL by
// the builder, reads back from that URL's query as the same pair.
#include "FuzzSupport.h"
#include "Utility/ADSNetworkUtilities.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bool plainKey(std::string_view key)
{
    if (key.empty())
        return false;
    for (char c : key)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~'))
            return false;
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The query already there has a key that no plain key can equal.
    static const platform::Url base = *platform::Url::fromString("http://ads.example.com/ad?Z%20=1#frag");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::Dictionary pairs = ADSNetworkUtilities::dictionaryFromQueryString(text);
    for (const auto& [key, value] : pairs) {
        for (char c : key)
            fuzzCheck(!(c >= 'A' && c <= 'Z'), "a key kept an upper-case letter");
        // Escaping everything and unescaping again checks the UTF-8.
        fuzzCheck(platform::Url::percentUnescape(platform::Url::percentEscape(value.asString())) == value.asString(),
            "a value is not valid UTF-8");
        if (!plainKey(key) || value.asString().empty())
            continue;
        std::optional<platform::Url> built = ADSNetworkUtilities::appendQueryKey(key, value.asString(), base);
        fuzzCheck(built.has_value(), "appending a plain pair made no URL");
        fuzzCheck(built->fragment() == "frag", "the fragment moved");
        const platform::Dictionary back = ADSNetworkUtilities::dictionaryFromQueryString(built->query());
        fuzzCheck(back.get(key) == value, "an appended pair does not read back");
        std::optional<std::string> raw = ADSNetworkUtilities::parameterValueForKey(key, *built);
        fuzzCheck(raw && platform::Url::percentUnescape(*raw) == value.asString(), "the raw value does not unescape to the value");
    }
    // The parameter lookup never fails on what the parser saw.
    if (std::optional<platform::Url> url = platform::Url::fromString("http://h/?" + std::string(text)))
        (void)ADSNetworkUtilities::parameterValueForKey("a", *url);
    // A whole dictionary of whatever keys the input holds builds without harm.
    (void)ADSNetworkUtilities::appendQueryParameters(pairs, base);
    return 0;
}
