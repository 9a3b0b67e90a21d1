#include "encoding/ADSStackTrace.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <memory>
#include <string_view>
#include <vector>

namespace {

constexpr int kMaxFrames = 128;

bool isIdentifierChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

std::string demangled(const char* symbol)
{
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> text(abi::__cxa_demangle(symbol, nullptr, nullptr, &status), std::free);
    return status == 0 && text ? std::string(text.get()) : std::string(symbol);
}

// The parts of a demangled C++ name that a stack line shows: the qualified
// name without return type and parameters, its scope and its last component,
// and whether anything after the parameter list (const, &) marks a member.
struct NameParts {
    std::string scope;
    std::string scopeLast; // the scope's own last component
    std::string name;
    bool hasParameters = false;
    bool memberQualifiers = false;
};

NameParts splitDemangled(std::string_view input)
{
    // ABI tags ("[abi:cxx11]") only tell library versions apart.
    std::string cleaned(input);
    for (size_t tag; (tag = cleaned.find("[abi:")) != std::string::npos;) {
        size_t close = cleaned.find(']', tag);
        cleaned.erase(tag, close == std::string::npos ? std::string::npos : close - tag + 1);
    }
    std::string_view text = cleaned;

    // Clones made by the optimiser (" [clone .cold]") name the same function.
    for (size_t clone; (clone = text.rfind(" [clone ")) != std::string_view::npos && text.back() == ']';)
        text = text.substr(0, clone);

    // One pass over the text at nesting depth 0: where parenthesised groups
    // start and end, where spaces and "::" separators are. Operator names
    // ("operator()", "operator<<", "operator new", conversions) are taken
    // whole, so their brackets and spaces are not mistaken for structure.
    struct Group { size_t open, close; };
    std::vector<Group> groups;
    std::vector<size_t> spaces, separators;
    int depth = 0;
    size_t groupOpen = 0;
    bool inOperatorName = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (depth == 0 && !inOperatorName && text.compare(i, 8, "operator") == 0
            && (i == 0 || text[i - 1] == ':' || text[i - 1] == ' ')
            && (i + 8 >= text.size() || !isIdentifierChar(text[i + 8]))) {
            inOperatorName = true;
            i += 8;
            // The longest operator token; a "<" after it opens template arguments.
            static const char* const kTokens[] = { "<<=", ">>=", "<=>", "->*", "()", "[]", "<<", ">>", "<=", ">=", "==",
                "!=", "&&", "||", "++", "--", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "->", ",", "+", "-", "*",
                "/", "%", "^", "&", "|", "~", "!", "=", "<", ">" };
            size_t length = 0;
            for (const char* token : kTokens) {
                if (text.compare(i, std::strlen(token), token) == 0) {
                    length = std::strlen(token);
                    break;
                }
            }
            i += length;
            --i;
            continue;
        }
        if (depth == 0 && text.compare(i, 21, "(anonymous namespace)") == 0) {
            i += 20;
            continue;
        }
        switch (c) {
        case '(':
            if (depth++ == 0)
                groupOpen = i;
            break;
        case '<': case '[': case '{':
            ++depth;
            break;
        case ')':
            if (--depth == 0) {
                groups.push_back({ groupOpen, i });
                inOperatorName = false;
            }
            break;
        case '>': case ']': case '}':
            --depth;
            break;
        case ' ':
            if (depth == 0 && !inOperatorName)
                spaces.push_back(i);
            break;
        case ':':
            if (depth == 0 && !inOperatorName && i + 1 < text.size() && text[i + 1] == ':') {
                separators.push_back(i);
                ++i;
            }
            break;
        default:
            break;
        }
        if (depth < 0) {
            NameParts whole; // not a name this reading understands
            whole.name = std::string(text);
            return whole;
        }
    }

    NameParts parts;
    // Without a parameter list this is no function ("vtable for X", a plain
    // C name): the text is kept whole.
    if (groups.empty() || depth != 0) {
        parts.name = std::string(text);
        return parts;
    }
    parts.hasParameters = true;
    const size_t end = groups.back().open;
    const std::string_view after = text.substr(groups.back().close + 1);
    parts.memberQualifiers = after.find("const") != std::string_view::npos
        || after.find("volatile") != std::string_view::npos || after.find('&') != std::string_view::npos;
    size_t start = 0;
    for (size_t s : spaces)
        if (s < end)
            start = s + 1;
    size_t cut = std::string_view::npos;
    for (size_t s : separators)
        if (s >= start && s < end)
            cut = s;
    if (cut == std::string_view::npos) {
        parts.name = std::string(text.substr(start, end - start));
        return parts;
    }
    size_t scopeStart = start;
    for (size_t s : separators)
        if (s >= start && s < cut)
            scopeStart = s + 2;
    parts.scope = std::string(text.substr(start, cut - start));
    parts.scopeLast = std::string(text.substr(scopeStart, cut - scopeStart));
    parts.name = std::string(text.substr(cut + 2, end - cut - 2));
    return parts;
}

// Whether the scope of a member name is a class rather than a namespace. The
// mangled name does not say, so the signs that it does carry decide: template
// arguments (a namespace has none), a constructor or destructor, a const or
// reference-qualified member; failing those, this code base's convention
// that classes begin with a capital letter and namespaces do not.
bool scopeIsClass(const NameParts& parts)
{
    if (parts.scope.empty() || !parts.hasParameters)
        return false;
    std::string_view lastComponent = parts.scopeLast;
    if (lastComponent.empty() || lastComponent.front() == '{' || lastComponent.front() == '(')
        return false; // a lambda, an unnamed type or an anonymous namespace
    if (lastComponent.back() == '>' || parts.memberQualifiers)
        return true;
    std::string_view bare = lastComponent.substr(0, lastComponent.find('<'));
    std::string_view name = parts.name;
    if (name == bare || (name.size() == bare.size() + 1 && name.front() == '~' && name.substr(1) == bare))
        return true;
    return bare.front() >= 'A' && bare.front() <= 'Z';
}

std::string lastPathComponent(const char* path)
{
    if (!path || !*path)
        return {};
    const char* slash = std::strrchr(path, '/');
    return slash ? std::string(slash + 1) : std::string(path);
}

std::string addressText(const void* address)
{
    // Ten wide with zeros after "0x", as "%010p" prints it; wider addresses
    // take the room they need.
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%08jx", uintmax_t(reinterpret_cast<uintptr_t>(address)));
    return buf;
}

}

std::vector<ADSStackAddressDescriptor> ADSGetStackAddressDescriptorsForAddresses(std::span<const void* const> addresses)
{
    std::vector<ADSStackAddressDescriptor> out;
    out.reserve(addresses.size());
    for (const void* address : addresses) {
        ADSStackAddressDescriptor d;
        d.address = address;
        Dl_info info {};
        if (dladdr(address, &info) != 0) {
            d.imageName = lastPathComponent(info.dli_fname);
            if (info.dli_sname && *info.dli_sname) {
                NameParts parts = splitDemangled(demangled(info.dli_sname));
                if (scopeIsClass(parts)) {
                    d.className = std::move(parts.scope);
                    d.symbol = std::move(parts.name);
                } else {
                    d.symbol = parts.scope.empty() ? std::move(parts.name) : parts.scope + "::" + parts.name;
                }
            }
        }
        out.push_back(std::move(d));
    }
    return out;
}

std::string ADSStackTraceFromAddressDescriptors(std::span<const ADSStackAddressDescriptor> descriptors)
{
    std::string out;
    unsigned frame = 0;
    for (const ADSStackAddressDescriptor& d : descriptors) {
        if (frame > 0)
            out += '\n';
        char head[64];
        std::snprintf(head, sizeof head, "#%-2u ", frame++);
        out += head;
        std::string image = d.imageName.empty() ? "??" : d.imageName;
        if (image.size() < 35)
            image.append(35 - image.size(), ' ');
        out += image;
        out += ' ';
        out += addressText(d.address);
        out += ' ';
        if (d.symbol.empty()) {
            out += "???";
            out += "()";
        } else if (!d.className.empty()) {
            out += d.isClassMethod ? "+[" : "-[";
            out += d.className;
            out += ' ';
            out += d.symbol;
            out += ']';
        } else {
            out += d.symbol;
            out += "()";
        }
    }
    return out;
}

// Kept out of line so that it has a frame of its own, which is the one left
// out. Counting frames would not find it: a sanitizer's interceptor of
// backtrace() adds one of its own. The caller's return address does.
__attribute__((noinline)) std::string ADSStackTrace()
{
    void* frames[kMaxFrames];
    const int count = backtrace(frames, kMaxFrames);
    const void* const caller = __builtin_return_address(0);
    int first = count > 0 ? 1 : 0;
    for (int i = 0; i < count; ++i) {
        if (frames[i] == caller) {
            first = i;
            break;
        }
    }
    if (first >= count)
        return {};
    std::span<const void* const> callers(frames + first, size_t(count - first));
    return ADSStackTraceFromAddressDescriptors(ADSGetStackAddressDescriptorsForAddresses(callers));
}
