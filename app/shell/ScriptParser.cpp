#include "ScriptParser.h"

#include "SettingsKeys.h"

#include "platform/Utf8.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tolvane {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// Everything from a '#' at the start of the line or after a blank is a comment.
std::string_view stripComment(std::string_view s)
{
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == '#' && (i == 0 || isSpace(s[i - 1])))
            return s.substr(0, i);
    return s;
}

std::vector<std::string_view> words(std::string_view s)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isSpace(s[i]))
            ++i;
        size_t start = i;
        while (i < s.size() && !isSpace(s[i]))
            ++i;
        if (i > start)
            out.push_back(s.substr(start, i - start));
    }
    return out;
}

std::optional<int> parseInt(std::string_view s, int min, int max)
{
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size() || v < min || v > max)
        return std::nullopt;
    return v;
}

// Plain decimal seconds: digits with an optional fraction, no sign, no exponent.
std::optional<double> parseSeconds(std::string_view s)
{
    size_t dots = 0, digits = 0;
    for (char c : s) {
        if (c == '.')
            ++dots;
        else if (c >= '0' && c <= '9')
            ++digits;
        else
            return std::nullopt;
    }
    if (digits == 0 || dots > 1)
        return std::nullopt;
    double v = std::strtod(std::string(s).c_str(), nullptr);
    if (!std::isfinite(v))
        return std::nullopt;
    return v;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// YYYY-MM-DDTHH:MM:SS, a real calendar date.
bool parseDateTime(std::string_view s, int out[6])
{
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':')
        return false;
    const int starts[6] = { 0, 5, 8, 11, 14, 17 };
    const int lengths[6] = { 4, 2, 2, 2, 2, 2 };
    for (int k = 0; k < 6; ++k) {
        auto v = parseInt(s.substr(starts[k], lengths[k]), 0, 9999);
        if (!v || s[starts[k]] == '-' || s[starts[k]] == '+')
            return false;
        out[k] = *v;
    }
    static const int days[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (out[0] < 1970 || out[1] < 1 || out[1] > 12)
        return false;
    int monthDays = days[out[1] - 1] + (out[1] == 2 && isLeap(out[0]) ? 1 : 0);
    return out[2] >= 1 && out[2] <= monthDays && out[3] <= 23 && out[4] <= 59 && out[5] <= 59;
}

}

std::optional<ScriptCommand> ScriptParser::parseLine(std::string_view raw, int lineNumber, std::optional<ScriptError>& error)
{
    using K = ScriptCommand::Kind;
    const auto fail = [&](std::string reason) -> std::optional<ScriptCommand> {
        error = ScriptError { lineNumber, std::move(reason) };
        return std::nullopt;
    };

    std::string_view line = trim(raw);
    if (line.empty() || line.front() == '#')
        return std::nullopt;

    size_t nameEnd = 0;
    while (nameEnd < line.size() && !isSpace(line[nameEnd]))
        ++nameEnd;
    std::string_view name = line.substr(0, nameEnd);
    std::string_view rest = line.substr(nameEnd);

    ScriptCommand cmd;
    cmd.line = lineNumber;

    // A player's name is the rest of the line as typed, '#' and all.
    if (name == "name") {
        std::string_view r = rest;
        while (!r.empty() && isSpace(r.front()))
            r.remove_prefix(1);
        size_t e = 0;
        while (e < r.size() && !isSpace(r[e]))
            ++e;
        auto player = parseInt(r.substr(0, e), 0, 1000000);
        if (!player)
            return fail("name needs a player number and a text");
        std::string_view text = r.substr(e);
        while (!text.empty() && isSpace(text.front()))
            text.remove_prefix(1);
        if (text.size() > kMaxNameBytes)
            return fail("name takes at most " + std::to_string(kMaxNameBytes) + " bytes of text");
        if (!platform::utf8::isValid(text))
            return fail("name text is not valid UTF-8");
        cmd.kind = K::Name;
        cmd.first = *player;
        cmd.word = std::string(text);
        return cmd;
    }

    auto args = words(stripComment(rest));
    const auto noArgs = [&](K kind) -> std::optional<ScriptCommand> {
        if (!args.empty())
            return fail(std::string(name) + " takes no argument");
        cmd.kind = kind;
        return cmd;
    };

    if (name == "launch")
        return noArgs(K::Launch);
    if (name == "reset")
        return noArgs(K::Reset);
    if (name == "hardreset")
        return noArgs(K::HardReset);
    if (name == "background")
        return noArgs(K::Background);
    if (name == "foreground")
        return noArgs(K::Foreground);
    if (name == "terminate")
        return noArgs(K::Terminate);
    if (name == "dump")
        return noArgs(K::Dump);
    if (name == "undo")
        return noArgs(K::Undo);
    if (name == "redo")
        return noArgs(K::Redo);
    if (name == "key") {
        // Qt's key-sequence text, checked by the runner ("Ctrl+Z", "Shift+R", "?").
        std::string_view keys = trim(rest);
        if (keys.empty())
            return fail("key needs a key sequence such as Ctrl+Z");
        cmd.kind = K::Key;
        cmd.word = std::string(keys);
        return cmd;
    }
    if (name == "window") {
        std::optional<int> w, h;
        if (args.size() == 2) {
            w = parseInt(args[0], 120, 8192);
            h = parseInt(args[1], 120, 8192);
        }
        if (!w || !h)
            return fail("window needs a width and a height in pixels, 120 to 8192");
        cmd.kind = K::WindowSize;
        cmd.first = *w;
        cmd.second = *h;
        return cmd;
    }
    if (name == "clickad")
        return noArgs(K::ClickAd);

    if (name == "clock") {
        if (args.size() != 1 || !parseDateTime(args[0], cmd.dateTime))
            return fail("clock needs a date and time as YYYY-MM-DDTHH:MM:SS");
        cmd.kind = K::Clock;
        return cmd;
    }
    if (name == "settings") {
        if (args.empty())
            return fail("settings needs at least one KEY=VALUE");
        for (auto a : args) {
            std::string reason;
            auto parsed = SettingsKeys::parseAssignment(a, &reason);
            if (!parsed)
                return fail(reason);
            cmd.settings.emplace_back(parsed->first->name, parsed->second);
        }
        cmd.kind = K::Settings;
        return cmd;
    }
    if (name == "unset") {
        if (args.size() != 1)
            return fail("unset needs one setting name");
        if (!SettingsKeys::find(args[0]))
            return fail("unknown setting \"" + std::string(args[0]) + "\"");
        cmd.kind = K::Unset;
        cmd.word = std::string(args[0]);
        return cmd;
    }
    if (name == "tap") {
        if (args.size() != 1)
            return fail("tap needs one control name");
        cmd.kind = K::Tap;
        cmd.word = std::string(args[0]);
        return cmd;
    }
    if (name == "wheel") {
        std::optional<int> c, r;
        if (args.size() == 2) {
            c = parseInt(args[0], 0, 1000000);
            r = parseInt(args[1], 0, 2147483647);
        }
        if (!c || !r)
            return fail("wheel needs a component number and a row number");
        cmd.kind = K::Wheel;
        cmd.first = *c;
        cmd.second = *r;
        return cmd;
    }
    if (name == "poison") {
        if (args.size() != 1 || (args[0] != "on" && args[0] != "off"))
            return fail("poison takes on or off");
        cmd.kind = K::Poison;
        cmd.on = args[0] == "on";
        return cmd;
    }
    if (name == "alert") {
        std::optional<int> i;
        if (args.size() == 1)
            i = parseInt(args[0], 0, 1000);
        if (!i)
            return fail("alert needs a button index");
        cmd.kind = K::Alert;
        cmd.first = *i;
        return cmd;
    }
    if (name == "rotate") {
        std::optional<int> o;
        if (args.size() == 1)
            o = parseInt(args[0], 1, 4);
        if (!o)
            return fail("rotate takes an orientation 1, 2, 3 or 4");
        cmd.kind = K::Rotate;
        cmd.first = *o;
        return cmd;
    }
    if (name == "advance") {
        std::optional<double> s;
        if (args.size() == 1)
            s = parseSeconds(args[0]);
        if (!s)
            return fail("advance needs a number of seconds");
        if (*s > kMaxAdvanceSeconds)
            return fail("advance takes at most 86400 seconds at a time");
        cmd.kind = K::Advance;
        cmd.seconds = *s;
        return cmd;
    }
    if (name == "wait") {
        std::optional<double> s;
        if (args.size() == 1)
            s = parseSeconds(args[0]);
        if (!s)
            return fail("wait needs a number of seconds");
        if (*s > kMaxWaitSeconds)
            return fail("wait takes at most 600 seconds");
        cmd.kind = K::Wait;
        cmd.seconds = *s;
        return cmd;
    }
    if (name == "waitfor" && !args.empty() && args[0] == "fullscreen") {
        std::optional<double> s;
        if (args.size() == 3 && (args[1] == "browser" || args[1] == "webapp" || args[1] == "composer"))
            s = parseSeconds(args[2]);
        if (!s)
            return fail("waitfor fullscreen needs browser, webapp or composer and a number of seconds");
        if (*s > kMaxWaitSeconds)
            return fail("waitfor takes at most 600 seconds");
        cmd.kind = K::WaitForFullScreen;
        cmd.word = std::string(args[1]);
        cmd.seconds = *s;
        return cmd;
    }
    if (name == "composer") {
        if (args.size() != 1 || (args[0] != "send" && args[0] != "cancel"))
            return fail("composer takes send or cancel");
        cmd.kind = K::Composer;
        cmd.word = std::string(args[0]);
        return cmd;
    }
    if (name == "waitfor") {
        std::optional<int> state;
        std::optional<double> s;
        if (args.size() == 3 && args[0] == "banner") {
            state = parseInt(args[1], 0, 7);
            s = parseSeconds(args[2]);
        }
        if (!state || !s)
            return fail("waitfor needs banner, a state 0 to 7 and a number of seconds");
        if (*s > kMaxWaitSeconds)
            return fail("waitfor takes at most 600 seconds");
        cmd.kind = K::WaitFor;
        cmd.first = *state;
        cmd.seconds = *s;
        return cmd;
    }
    if (name == "screenshot") {
        std::string_view file = trim(stripComment(rest));
        if (file.empty())
            return fail("screenshot needs a file name");
        // Written through a Unicode name: broken bytes would land elsewhere.
        if (!platform::utf8::isValid(file))
            return fail("screenshot file name is not valid UTF-8");
        cmd.kind = K::Screenshot;
        cmd.word = std::string(file);
        return cmd;
    }
    return fail("unknown command \"" + std::string(name) + "\"");
}

ScriptParser::Result ScriptParser::parse(std::string_view script)
{
    Result result;
    int lineNumber = 0;
    size_t pos = 0;
    while (pos <= script.size()) {
        size_t end = script.find('\n', pos);
        if (end == std::string_view::npos)
            end = script.size();
        ++lineNumber;
        std::string_view line = script.substr(pos, end - pos);
        if (line.find('\0') != std::string_view::npos) {
            result.error = ScriptError { lineNumber, "the line holds a NUL byte" };
            return result;
        }
        auto cmd = parseLine(line, lineNumber, result.error);
        if (result.error)
            return result;
        if (cmd)
            result.commands.push_back(std::move(*cmd));
        if (end == script.size())
            break;
        pos = end + 1;
    }
    return result;
}

}
