#pragma once
// Tunes for the exchange format tests, and a tune's notes as text so that a
// whole note list is compared at once.

#include "tune/tune.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace qte::test {

struct UnitNote {
    float start, end;
    int pitch;
};

inline std::unique_ptr<Tune> unitTune(const std::vector<UnitNote>& notes, int bpm = 160,
                                      std::string name = "Ring1")
{
    auto t = std::make_unique<Tune>();
    t->toneName = std::move(name);
    t->tempoBpm = bpm;
    t->msPerUnit = 7500.0f / static_cast<float>(bpm);
    for (const UnitNote& n : notes) {
        NoteRecord& r = t->noteTable[++t->noteCount];
        r.startUnits = n.start;
        r.endUnits = n.end;
        r.durationUnits = n.end - n.start;
        r.pitch = n.pitch;
    }
    return t;
}

// Each note's milliseconds from its units at the tune's tempo.
inline void setNoteMs(Tune& t)
{
    for (int i = 1; i <= t.noteCount; ++i) {
        NoteRecord& n = t.noteTable[i];
        n.startMs = unitsToMs(n.startUnits, t.msPerUnit);
        n.endMs = unitsToMs(n.endUnits, t.msPerUnit);
    }
}

// "start-end:pitch" a note, in units to five digits.
inline std::string unitNotes(const Tune& t)
{
    std::string out;
    char buf[64];
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        std::snprintf(buf, sizeof buf, "%s%.5g-%.5g:%d", i > 1 ? " " : "", n.startUnits, n.endUnits,
                      n.pitch);
        out += buf;
    }
    return out;
}

// "start-end:pitch" a note, in ms; a duration that is not end - start and a
// kind that is not normal are added.
inline std::string msNotes(const Tune& t)
{
    std::string out;
    char buf[80];
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        std::snprintf(buf, sizeof buf, "%s%d-%d:%d", i > 1 ? " " : "", n.startMs, n.endMs, n.pitch);
        out += buf;
        if (n.durationMs != n.endMs - n.startMs) out += " duration " + std::to_string(n.durationMs);
        if (n.kind != 0) out += " kind " + std::to_string(n.kind);
    }
    return out;
}

// A tune unlike anything an import produces (its first start in ms does not
// follow its units), to see a failed import leave it alone.
inline std::unique_ptr<Tune> sentinelTune()
{
    auto t = unitTune({{1.0f, 3.0f, 50}, {3.0f, 4.0f, 51}}, 100, "kept");
    t->toneId = "KEEP";
    t->noteTable[1].startMs = 11;
    return t;
}

// count quarters of pitch 69, one after another.
inline std::vector<UnitNote> quarters(int count)
{
    std::vector<UnitNote> notes;
    for (int i = 0; i < count; ++i)
        notes.push_back({4.0f * static_cast<float>(i), 4.0f * static_cast<float>(i + 1), 69});
    return notes;
}

// "02 4A ..." to bytes.
inline std::string unhex(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i + 1 < text.size(); i += 3)
        out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
    return out;
}

// Bytes as "02 4A ...", the inverse of unhex.
inline std::string hex(std::string_view bytes)
{
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, out.empty() ? "%02X" : " %02X", c);
        out += buf;
    }
    return out;
}

// The first fault of an imported tune's notes, "" for none: more notes than
// the table holds, a pitch outside lowest..127, a note before 0 or ending
// before it starts, or one starting before the one before it ends.
inline std::string noteOrderFault(const Tune& t, int lowest = 0)
{
    if (t.noteCount > kMaxNotes) return std::to_string(t.noteCount) + " notes";
    for (int k = 1; k <= t.noteCount; ++k) {
        const NoteRecord &n = t.noteTable[k], &last = t.noteTable[k - 1];
        const bool ok = n.pitch >= lowest && n.pitch <= 127 && n.startMs >= 0 &&
                        n.startUnits >= 0 && n.endMs >= n.startMs && n.durationMs >= 0 &&
                        n.endUnits >= n.startUnits &&
                        (k == 1 || (n.startUnits >= last.endUnits && n.startMs >= last.endMs));
        if (!ok) return "note " + std::to_string(k) + " of " + std::to_string(t.noteCount);
    }
    return "";
}

// What an import that fails must leave as it was.
inline std::string snapshot(const Tune& t)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, " %d bpm, %g ms/unit, %d texts; ", t.tempoBpm, t.msPerUnit,
                  t.textCount);
    return t.toneName + "/" + t.toneId + buf + unitNotes(t) + "; " + msNotes(t);
}

// Adds 400 random texts of up to 200 characters after prefix: every other
// one any bytes, the rest drawn from alphabet.
inline void addRandomTexts(std::vector<std::string>& inputs, unsigned seed,
                           const std::string& prefix, const std::string& alphabet)
{
    std::mt19937 rng(seed);
    for (int i = 0; i < 400; ++i) {
        std::string s = prefix;
        for (int k = 0, n = static_cast<int>(rng() % 200); k < n; ++k)
            s.push_back(i % 2 ? alphabet[rng() % alphabet.size()] : static_cast<char>(rng()));
        inputs.push_back(s);
    }
}

inline std::string joined(const std::vector<std::string>& warnings)
{
    std::string s;
    for (const std::string& w : warnings)
        s += w + "\n";
    return s;
}

// One warning for each part, holding it; a null part is no warning.
inline void expectWarnings(const std::vector<std::string>& warnings, std::vector<const char*> parts)
{
    std::erase(parts, nullptr);
    ASSERT_EQ(warnings.size(), parts.size()) << joined(warnings);
    for (std::size_t i = 0; i < parts.size(); ++i)
        EXPECT_NE(warnings[i].find(parts[i]), std::string::npos) << warnings[i];
}

} // namespace qte::test
