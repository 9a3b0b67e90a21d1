// URL parsing, resolution, escaping and building on any text. An accepted
// URL keeps its text and reads again the same; a relative reference resolved
// against a base gives a URL of its scheme without dot segments; escaping
// gives only URL characters and unescapes to the text; building from any
// pair either fails cleanly or gives a URL.
#include "FuzzSupport.h"
#include "Utility/ADSNetworkUtilities.h"
#include "platform/Url.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool samePartsAs(const platform::Url& a, const platform::Url& b)
{
    return a.absoluteString() == b.absoluteString() && a.scheme() == b.scheme() && a.host() == b.host()
        && a.port() == b.port() && a.path() == b.path() && a.query() == b.query() && a.hasQuery() == b.hasQuery()
        && a.fragment() == b.fragment() && a.user() == b.user();
}

bool onlyUrlCharacters(std::string_view s, std::string_view keep)
{
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
            || c == '.' || c == '_' || c == '~';
        if (unreserved || (c != '\0' && keep.find(c) != std::string_view::npos))
            continue;
        if (c != '%' || i + 2 >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i + 1]))
            || !std::isxdigit(static_cast<unsigned char>(s[i + 2])))
            return false;
        i += 2;
    }
    return true;
}

bool hasDotSegment(std::string_view path)
{
    size_t start = 0;
    for (;;) {
        const size_t slash = path.find('/', start);
        const std::string_view seg = path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (seg == "." || seg == "..")
            return true;
        if (slash == std::string_view::npos)
            return false;
        start = slash + 1;
    }
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const platform::Url base = *platform::Url::fromString("http://user@a.example:8080/b/c/d;p?q#f");
    FuzzedDataProvider input(data, size);
    const std::string first = input.ConsumeRandomLengthString(512);
    const std::string second = input.ConsumeRemainingBytesAsString();

    if (std::optional<platform::Url> url = platform::Url::fromString(first)) {
        fuzzCheck(url->absoluteString() == first, "an accepted URL changed its text");
        std::optional<platform::Url> again = platform::Url::fromString(url->absoluteString());
        fuzzCheck(again && samePartsAs(*again, *url), "a URL's own text reads differently");
        fuzzCheck(url->port() >= -1 && url->port() <= 65535, "a port out of range");
        if (std::optional<platform::Url> self = platform::Url::fromString(first, base))
            fuzzCheck(samePartsAs(*self, *url), "an absolute reference did not resolve to itself");
    }
    if (!platform::Url::fromString(first)) {
        // A relative reference: what it resolves to is absolute and clean.
        if (std::optional<platform::Url> resolved = platform::Url::fromString(first, base)) {
            fuzzCheck(resolved->scheme() == "http", "a relative reference changed the scheme");
            fuzzCheck(!hasDotSegment(resolved->path()), "a resolved path keeps a dot segment");
        }
    }

    const std::string escaped = platform::Url::percentEscape(second, "/:");
    fuzzCheck(onlyUrlCharacters(escaped, "/:"), "escaping left a character that needs escaping");
    std::optional<std::string> unescaped = platform::Url::percentUnescape(escaped);
    fuzzCheck(!unescaped || *unescaped == second, "unescaping the escaped text gives another text");
    const std::string encoded = ADSNetworkUtilities::encodeURL(second);
    fuzzCheck(onlyUrlCharacters(encoded, ""), "encodeURL left a character that needs escaping");
    fuzzCheck(platform::Url::percentUnescape(encoded) == unescaped, "encodeURL and percentEscape disagree");
    (void)platform::Url::percentUnescape(second);

    // Building: the key goes in as given, so a hostile key may make no URL,
    // but never a crash; a URL that comes out reads as one.
    if (std::optional<platform::Url> built = ADSNetworkUtilities::appendQueryKey(first, second, base))
        fuzzCheck(platform::Url::fromString(built->absoluteString()).has_value(), "a built URL does not read");
    if (std::optional<platform::Url> url = platform::Url::fromString(first)) {
        platform::Dictionary one;
        one.set("k", platform::Value(second));
        std::optional<platform::Url> built = ADSNetworkUtilities::appendQueryParameters(one, *url);
        fuzzCheck(built.has_value(), "a plain key with any value made no URL");
        fuzzCheck(built->fragment() == url->fragment(), "building moved the fragment");
    }
    return 0;
}
