// adsutil: runs the ad library's encoders, JSON reader and writer, URL helpers,
// location wire form and device parameters on shell input. Output goes to
// standard output; exit 0 on success, 1 on a reported failure (the error on
// standard error), 2 on bad usage.
#include "Utility/ADSIdentifierUtilities.h"
#include "Utility/ADSLocation.h"
#include "Utility/ADSNetworkUtilities.h"
#include "Utility/ADSNumberUtilities.h"
#include "encoding/ADSStringEncoding.h"
#include "json/ADS_KVJSON.h"
#include "platform/PlatformSession.h"
#include "platform/Url.h"
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kOk = 0, kFailure = 1, kUsage = 2;

const char* kUsageText =
    "usage: adsutil COMMAND [ARGS]\n"
    "  json parse [--fragment] [--max-depth N]   read JSON from stdin, write it back (keys sorted)\n"
    "  json write [--sort] [--human] [--fragment] read JSON from stdin, write it with those options\n"
    "  encode ALPHABET [--pad|--no-pad]          stdin bytes to text\n"
    "  decode ALPHABET                           stdin text to bytes\n"
    "     alphabets: base64 base64url base32 base32hex crockford hex binary\n"
    "  query STRING                              query string as JSON (keys sorted)\n"
    "  param KEY URL                             raw value of KEY in URL's query\n"
    "  append URL KEY=VALUE ...                  URL with the pairs appended, in order\n"
    "  escape STRING                             percent-escaped STRING\n"
    "  float NUMBER                              short text of a 32-bit float\n"
    "  location --lat X --lon Y --acc Z --time T wire form of a coordinate location\n"
    "  location --desc TEXT --time T             wire form of a described location\n"
    "  device                                    device parameters as JSON\n";

int usage(const std::string& problem)
{
    if (!problem.empty())
        std::cerr << "adsutil: " << problem << "\n";
    std::cerr << kUsageText;
    return kUsage;
}

int failure(const std::string& message)
{
    std::cerr << message << "\n";
    return kFailure;
}

std::string readStdin()
{
    std::ios::sync_with_stdio(false);
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

void writeLine(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
}

std::string describe(const platform::Error& e)
{
    std::string text = "error " + std::to_string(e.code) + ": " + e.message;
    if (e.underlying)
        text += "; underlying " + std::to_string(e.underlying->code) + ": " + e.underlying->message;
    return text;
}

std::optional<ADSStringEncoding> encodingNamed(const std::string& name)
{
    if (name == "base64")
        return ADSStringEncoding::rfc4648Base64StringEncoding();
    if (name == "base64url")
        return ADSStringEncoding::rfc4648Base64WebsafeStringEncoding();
    if (name == "base32")
        return ADSStringEncoding::rfc4648Base32StringEncoding();
    if (name == "base32hex")
        return ADSStringEncoding::rfc4648Base32HexStringEncoding();
    if (name == "crockford")
        return ADSStringEncoding::crockfordBase32StringEncoding();
    if (name == "hex")
        return ADSStringEncoding::hexStringEncoding();
    if (name == "binary")
        return ADSStringEncoding::binaryStringEncoding();
    return std::nullopt;
}

bool parseDouble(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    return end && *end == '\0' && errno == 0 && std::isfinite(out);
}

int jsonCommand(const std::vector<std::string>& args)
{
    if (args.empty())
        return usage("json needs parse or write");
    const std::string& mode = args[0];
    bool fragment = false, sort = false, human = false;
    std::optional<uint32_t> maxDepth;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--fragment")
            fragment = true;
        else if (mode == "parse" && a == "--max-depth" && i + 1 < args.size()) {
            double d;
            if (!parseDouble(args[++i], d) || d < 0 || d > 4294967295.0 || d != std::floor(d))
                return usage("--max-depth needs a whole number");
            maxDepth = uint32_t(d);
        } else if (mode == "write" && a == "--sort")
            sort = true;
        else if (mode == "write" && a == "--human")
            human = true;
        else
            return usage("unknown option " + a);
    }
    if (mode != "parse" && mode != "write")
        return usage("json needs parse or write");

    std::string input = readStdin();
    ADS_KVJSON json;
    if (maxDepth)
        json.setMaxDepth(*maxDepth);
    platform::Error error;
    std::optional<platform::Value> value = fragment ? json.fragmentWithString(input, &error) : json.objectWithString(input, &error);
    if (!value)
        return failure(describe(error));
    json.setSortKeys(mode == "parse" ? true : sort);
    json.setHumanReadable(mode == "write" && human);
    std::optional<std::string> text = fragment ? json.stringWithFragment(*value, &error) : json.stringWithObject(*value, &error);
    if (!text)
        return failure(describe(error));
    writeLine(*text);
    return kOk;
}

int encodeCommand(const std::vector<std::string>& args)
{
    if (args.empty())
        return usage("encode needs an alphabet");
    std::optional<ADSStringEncoding> enc = encodingNamed(args[0]);
    if (!enc)
        return usage("unknown alphabet " + args[0]);
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--pad") {
            // Alphabets without a padding character of their own pad with "=".
            if (!enc->paddingChar())
                enc->setPaddingChar('=');
            enc->setDoPad(true);
        } else if (args[i] == "--no-pad") {
            enc->setDoPad(false);
        } else {
            return usage("unknown option " + args[i]);
        }
    }
    writeLine(enc->encodeString(readStdin()));
    return kOk;
}

int decodeCommand(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return usage("decode needs exactly one alphabet");
    std::optional<ADSStringEncoding> enc = encodingNamed(args[0]);
    if (!enc)
        return usage("unknown alphabet " + args[0]);
    std::string text = readStdin();
    // A shell's echo and here-strings end the text with a line break.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    std::optional<platform::Bytes> bytes = enc->decode(text);
    if (!bytes)
        return failure("error: the text is not valid " + args[0]);
    std::fwrite(bytes->data(), 1, bytes->size(), stdout);
    return kOk;
}

int queryCommand(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return usage("query needs one string");
    ADS_KVJSON json;
    json.setSortKeys(true);
    platform::Error error;
    std::optional<std::string> text = json.stringWithObject(
        platform::Value(ADSNetworkUtilities::dictionaryFromQueryString(args[0])), &error);
    if (!text)
        return failure(describe(error));
    writeLine(*text);
    return kOk;
}

int paramCommand(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return usage("param needs KEY and URL");
    std::optional<platform::Url> url = platform::Url::fromString(args[1]);
    if (!url)
        return failure("error: not a URL: " + args[1]);
    std::optional<std::string> value = ADSNetworkUtilities::parameterValueForKey(args[0], *url);
    if (!value)
        return failure("error: no parameter " + args[0]);
    writeLine(*value);
    return kOk;
}

int appendCommand(const std::vector<std::string>& args)
{
    if (args.empty())
        return usage("append needs a URL");
    platform::Dictionary pairs;
    for (size_t i = 1; i < args.size(); ++i) {
        size_t eq = args[i].find('=');
        if (eq == std::string::npos)
            return usage("not KEY=VALUE: " + args[i]);
        pairs.set(args[i].substr(0, eq), args[i].substr(eq + 1));
    }
    std::optional<platform::Url> url = platform::Url::fromString(args[0]);
    if (!url)
        return failure("error: not a URL: " + args[0]);
    std::optional<platform::Url> result = ADSNetworkUtilities::appendQueryParameters(pairs, *url);
    if (!result)
        return failure("error: the result is not a URL");
    writeLine(result->absoluteString());
    return kOk;
}

int locationCommand(const std::vector<std::string>& args)
{
    std::optional<double> lat, lon, acc, time;
    std::optional<std::string> desc;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size())
            return usage("missing value after " + a);
        const std::string& v = args[++i];
        if (a == "--desc") {
            desc = v;
            continue;
        }
        double d;
        if (!parseDouble(v, d))
            return usage("not a number: " + v);
        if (a == "--lat")
            lat = d;
        else if (a == "--lon")
            lon = d;
        else if (a == "--acc")
            acc = d;
        else if (a == "--time")
            time = d;
        else
            return usage("unknown option " + a);
    }
    bool coordinates = lat || lon || acc;
    if (!time)
        return usage("location needs --time");
    if (desc && coordinates)
        return usage("give either coordinates or a description");
    if (!desc && !(lat && lon && acc))
        return usage("location needs --lat, --lon and --acc, or --desc");
    std::optional<ADSLocation> location = desc ? ADSLocation::initWithDescription(*desc)
                                               : ADSLocation::initWithLatitude(float(*lat), float(*lon), float(*acc));
    if (!location)
        return failure(desc ? "error: the description is empty" : "error: the location is not precise");
    location->setTimestamp(*time);
    std::optional<std::string> wire = location->wireRepresentation();
    if (!wire)
        return failure("error: the cipher failed");
    writeLine(*wire);
    return kOk;
}

int deviceCommand(int argc, char** argv, const std::vector<std::string>& args)
{
    if (!args.empty())
        return usage("device takes no arguments");
    platform::PlatformOptions options;
    options.headless = true;
    options.applicationName = "adsutil";
    int qtArgc = 1;
    platform::PlatformSession session(qtArgc, argv, options);
    (void)argc;
    ADS_KVJSON json;
    json.setSortKeys(true);
    platform::Error error;
    std::optional<std::string> text
        = json.stringWithObject(platform::Value(ADSIdentifierUtilities::sharedInstance().parameters()), &error);
    if (!text)
        return failure(describe(error));
    writeLine(*text);
    return kOk;
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usage("");
    std::string command = args[0];
    args.erase(args.begin());
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsageText;
        return kOk;
    }
    if (command == "json")
        return jsonCommand(args);
    if (command == "encode")
        return encodeCommand(args);
    if (command == "decode")
        return decodeCommand(args);
    if (command == "query")
        return queryCommand(args);
    if (command == "param")
        return paramCommand(args);
    if (command == "append")
        return appendCommand(args);
    if (command == "escape") {
        if (args.size() != 1)
            return usage("escape needs one string");
        writeLine(ADSNetworkUtilities::encodeURL(args[0]));
        return kOk;
    }
    if (command == "float") {
        double d;
        if (args.size() != 1 || !parseDouble(args[0], d))
            return usage("float needs one number");
        writeLine(ADSNumberUtilities::stringWithFloat(float(d)));
        return kOk;
    }
    if (command == "location")
        return locationCommand(args);
    if (command == "device")
        return deviceCommand(argc, argv, args);
    return usage("unknown command " + command);
}
