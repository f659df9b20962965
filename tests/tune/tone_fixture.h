#pragma once
// Tone bodies for the parser's tests, with the example text configuration.

#include <initializer_list>
#include <string>
#include <string_view>

#include "config/config_fixture.h"
#include "tune/tone_parser.h"

namespace qte::test {

// A tone body: the given lines, then the "};" line the parser never reads.
inline SourceLines bodyLines(std::initializer_list<std::string_view> lines)
{
    SourceLines s;
    for (std::string_view l : lines)
        s.sourceLines.emplace_back(l);
    s.sourceLines.emplace_back("};");
    s.bodyOpenLine = 0;
    s.bodyCloseLine = s.sourceLineCount() + 1;
    return s;
}

} // namespace qte::test
