#pragma once
// A tune's items as text, one line each, so that a test can compare a whole
// tune in one assertion and a failure shows every item.

#include <algorithm>
#include <charconv>
#include <string>

#include "tune/tune.h"

namespace qte::test {

// Notes as "N69 0-100" (S special, F FreqDefine; "/99" when the length is not
// end - start), then "V 0-100", "R 0-100 x3", "T 100 text". With units, the
// unit values follow each line as "[start,end]", exactly.
inline std::string itemsOf(const Tune& t, bool units = false)
{
    const auto num = [](auto v) {
        char buf[32];
        return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr); // floats exactly
    };
    const auto span = [&](auto start, auto end) { return num(start) + "-" + num(end); };
    std::string o;
    const auto addUnits = [&](float a, float b) {
        o += (units ? " [" + num(a) + "," + num(b) + "]" : std::string()) + "\n";
    };
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[static_cast<std::size_t>(i)];
        o += "NSF?"[std::min<unsigned>(static_cast<unsigned>(n.kind), 3)];
        o += num(n.pitch) + " " + span(n.startMs, n.endMs);
        if (n.durationMs != n.endMs - n.startMs) o += "/" + num(n.durationMs);
        addUnits(n.startUnits, n.endUnits);
    }
    for (int i = 1; i <= t.vibraCount; ++i) {
        const VibraRecord& v = t.vibraList[static_cast<std::size_t>(i)];
        o += "V " + span(v.startMs, v.endMs);
        addUnits(v.startUnits, v.endUnits);
    }
    for (int i = 1; i <= t.repeatCount; ++i) {
        const RepeatRecord& r = t.repeatList[static_cast<std::size_t>(i)];
        o += "R " + span(r.startMs, r.endMs) + " x" + num(r.repetitions);
        addUnits(r.startUnits, r.endUnits);
    }
    for (int i = 1; i <= t.textCount; ++i) {
        const TextRecord& x = t.textList[static_cast<std::size_t>(i)];
        o += "T " + num(x.timeMs) + " " + x.text;
        addUnits(x.timeUnits, x.timeUnits);
    }
    return o;
}

} // namespace qte::test
