// The automation script parser on any text. Commands come in line order with
// real line numbers; an error names a line after every command kept, with a
// reason; and the lines before a faulty one parse on their own to the same
// commands without error.
#include "FuzzSupport.h"
#include "ScriptParser.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    const tolvane::ScriptParser::Result result = tolvane::ScriptParser::parse(script);
    const int lines = int(std::count(script.begin(), script.end(), '\n')) + 1;
    int previous = 0;
    for (const tolvane::ScriptCommand& c : result.commands) {
        fuzzCheck(c.line > previous && c.line <= lines, "commands out of line order");
        previous = c.line;
        if (c.kind == tolvane::ScriptCommand::Kind::Advance)
            fuzzCheck(c.seconds >= 0 && c.seconds <= tolvane::ScriptParser::kMaxAdvanceSeconds, "an advance out of range");
    }
    if (!result.error)
        return 0;
    fuzzCheck(result.error->line > previous && result.error->line <= lines, "an error line out of place");
    fuzzCheck(!result.error->reason.empty(), "an error without a reason");
    size_t cut = 0;
    for (int line = 1; line < result.error->line; ++line)
        cut = script.find('\n', cut) + 1;
    const tolvane::ScriptParser::Result before = tolvane::ScriptParser::parse(script.substr(0, cut));
    fuzzCheck(!before.error && before.commands.size() == result.commands.size(),
        "the lines before the faulty one parse differently on their own");
    return 0;
}
