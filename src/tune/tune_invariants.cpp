#include "tune/tune_invariants.h"

#include "tune/tune.h"

#include <cmath>
#include <string>

namespace qte {
namespace {

class Checker {
public:
    explicit Checker(const Tune& tune) : m_mpu(tune.msPerUnit) {}

    void fail(const char* list, int index, const std::string& what)
    {
        m_problems.push_back(std::string(list) + " " + std::to_string(index) + ": " + what);
    }

    void count(const char* list, int n, int max)
    {
        if (n < 0 || n > max) fail(list, n, "count outside 0.." + std::to_string(max));
    }

    void ms(const char* list, int index, const char* field, float units, int value)
    {
        const int expected = unitsToMs(units, m_mpu);
        if (value != expected)
            fail(list, index,
                 std::string(field) + " is " + std::to_string(value) + ", units give " +
                     std::to_string(expected));
    }

    // Start/end pairs shared by notes, vibra segments and repeat blocks.
    template <class R> void span(const char* list, const R* items, int n)
    {
        for (int i = 1; i <= n; ++i) {
            const R& r = items[i];
            ms(list, i, "startMs", r.startUnits, r.startMs);
            ms(list, i, "endMs", r.endUnits, r.endMs);
            if (!(r.endUnits > r.startUnits) || r.endMs <= r.startMs)
                fail(list, i, "has no length");
            if (i > 1) {
                const R& p = items[i - 1];
                if (p.startUnits > r.startUnits) fail(list, i, "starts before the item before it");
                if (p.endUnits > r.startUnits || p.endMs > r.startMs)
                    fail(list, i, "overlaps the item before it");
            }
        }
    }

    void durations(const char* list, const NoteRecord* items, int n)
    {
        for (int i = 1; i <= n; ++i) {
            const NoteRecord& r = items[i];
            // Rounding of start + duration may leave a last-bit difference.
            if (std::fabs(r.durationUnits - (r.endUnits - r.startUnits)) > 1e-4f)
                fail(list, i, "durationUnits is not end - start");
            ms(list, i, "durationMs", r.durationUnits, r.durationMs);
        }
    }

    std::vector<std::string> take() { return std::move(m_problems); }

private:
    float m_mpu;
    std::vector<std::string> m_problems;
};

} // namespace

std::vector<std::string> checkTuneInvariants(const Tune& tune)
{
    Checker c(tune);
    c.count("note", tune.noteCount, kMaxNotes);
    c.count("vibra", tune.vibraCount, kMaxVibras);
    c.count("repeat", tune.repeatCount, kMaxRepeats);
    c.count("text", tune.textCount, kMaxTexts);
    auto problems = c.take();
    if (!problems.empty()) return problems;

    c.span("note", tune.noteTable.data(), tune.noteCount);
    c.durations("note", tune.noteTable.data(), tune.noteCount);
    c.span("vibra", tune.vibraList.data(), tune.vibraCount);
    c.durations("vibra", tune.vibraList.data(), tune.vibraCount);
    c.span("repeat", tune.repeatList.data(), tune.repeatCount);
    for (int i = 1; i <= tune.textCount; ++i) {
        const TextRecord& t = tune.textList[i];
        c.ms("text", i, "timeMs", t.timeUnits, t.timeMs);
        if (i > 1 && tune.textList[i - 1].timeMs > t.timeMs)
            c.fail("text", i, "stands before the text before it");
        if (t.text.size() > kMaxTextChars) c.fail("text", i, "is longer than a record holds");
    }
    for (int i = 1; i <= tune.noteCount; ++i)
        if (tune.noteTable[i].selected != 0 && tune.noteTable[i].selected != 1)
            c.fail("note", i, "selected is neither 0 nor 1");
    return c.take();
}

} // namespace qte
