#include "document/tune_document.h"

#include "tune/random_tune.h"
#include "tune/tempo.h"
#include "tune/tune_edit.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace qte {
namespace {

// What a file would hold of a tune, written out independently of the
// document's own comparison.
std::string contentOf(const Tune& t)
{
    std::ostringstream s;
    s << t.toneName << "|" << t.toneId << "|" << t.tempoBpm << "|" << t.msPerUnit << "|"
      << t.noteNameSet << "\n";
    for (int i = 1; i <= t.noteCount; ++i) {
        const NoteRecord& n = t.noteTable[i];
        s << "N" << n.startMs << "," << n.endMs << "," << n.durationMs << "," << n.startUnits << ","
          << n.endUnits << "," << n.durationUnits << "," << n.pitch << "," << n.kind << "\n";
    }
    for (int i = 1; i <= t.vibraCount; ++i)
        s << "V" << t.vibraList[i].startMs << "," << t.vibraList[i].endUnits << "\n";
    for (int i = 1; i <= t.repeatCount; ++i)
        s << "R" << t.repeatList[i].startMs << "," << t.repeatList[i].endMs << ","
          << t.repeatList[i].repetitions << "\n";
    for (int i = 1; i <= t.textCount; ++i)
        s << "T" << t.textList[i].timeMs << "," << t.textList[i].timeUnits << ","
          << t.textList[i].text << "\n";
    return s.str();
}

std::string selectionOf(const Tune& t)
{
    std::string s = std::to_string(t.selectionMode) + ":";
    for (int i = 1; i <= t.noteCount; ++i)
        s += t.noteTable[i].selected ? '1' : '0';
    return s;
}

struct Recorded {
    std::string content;
    std::string selection;
};

Recorded record(const Tune& t)
{
    return {contentOf(t), selectionOf(t)};
}

// The kinds of step the editor makes, as edits of the tune.
struct Edits {
    std::mt19937& rng;

    int between(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    float unitsBetween(float lo, float hi)
    {
        return std::uniform_real_distribution<float>(lo, hi)(rng);
    }
    int noteOf(const Tune& t) { return t.noteCount > 0 ? between(1, t.noteCount) : 0; }

    // Applies one edit; returns its step name.
    std::string apply(Tune& t, int kind)
    {
        switch (kind) {
        case 0: {
            NoteRecord n;
            n.startUnits = unitsBetween(0, 400);
            n.endUnits = n.startUnits + unitsBetween(0.5f, 16);
            n.pitch = between(60, 108);
            (void)InsertNote(t, n, 3);
            return "Draw note";
        }
        case 1:
            if (const int i = noteOf(t)) t.noteTable[i].selected = 1;
            DeleteSelectedNotes(t);
            return "Delete";
        case 2: {
            // A move: taken out, dropped somewhere else.
            const int i = noteOf(t);
            if (!i) return "Move note";
            NoteRecord n = t.noteTable[i];
            DeleteNoteAt(t, i);
            const float d = n.endUnits - n.startUnits;
            n.startUnits = unitsBetween(0, 400);
            n.endUnits = n.startUnits + d;
            n.pitch = between(60, 108);
            (void)InsertNote(t, n, 3);
            return "Move note";
        }
        case 3: {
            VibraRecord v;
            v.startUnits = unitsBetween(0, 400);
            v.endUnits = v.startUnits + unitsBetween(1, 30);
            (void)InsertVibra(t, v);
            return "Draw vibra";
        }
        case 4: {
            const float start = unitsBetween(0, 400);
            (void)InsertRepeat(t, start, start + unitsBetween(1, 30));
            return "Draw repeat";
        }
        case 5:
            if (t.repeatCount > 0)
                t.repeatList[between(1, t.repeatCount)].repetitions = between(1, 9);
            return "Repetitions";
        case 6: (void)InsertText(t, unitsBetween(0, 400)); return "Add text";
        case 7:
            if (t.textCount > 0)
                t.textList[between(1, t.textCount)].setText("edited " +
                                                            std::to_string(between(0, 99)));
            return "Edit text";
        case 8: {
            NoteLengthState length;
            const int bpm = between(40, 300);
            (void)setTempo(t, bpm, between(0, 1) == 1, length, 1);
            return "Tempo " + std::to_string(bpm) + " bpm";
        }
        case 9: StaccatoAll(t); return "->Staccato";
        case 10: (void)Transpose(t, between(0, 1) ? 1 : -12); return "Transpose";
        case 11:
            t.toneName = "Tune" + std::to_string(between(0, 5));
            t.toneId = "T" + std::to_string(between(0, 5));
            return "Settings";
        case 12:
            if (between(0, 9) == 0) ClearItems(t);
            return "Clear all";
        default: return "Nothing"; // a step that changes nothing
        }
    }
};

// The history under random steps of every kind, undo, redo, saves and
// selections: undoing gives back exactly each earlier tune (selection
// included), redo replays it, and the tune is modified exactly while it
// differs from the one last saved.
TEST(TuneDocument, RandomStepsUndoAndRedoExactly)
{
    std::mt19937 rng(20261208);
    Edits edits{rng};
    TuneDocument doc;
    doc.open(test::randomTune(rng, {60, 3, "/*POLITE*/"}), {});

    // The states the history can go back and forth between.
    std::deque<Recorded> states{record(doc.tune())};
    std::deque<std::string> names{""};
    std::size_t current = 0;
    std::string saved = contentOf(doc.tune());
    int made = 0, undone = 0, redone = 0, selections = 0, deepUndos = 0;

    for (int i = 0; i < 4000; ++i) {
        SCOPED_TRACE(i);
        const int action = edits.between(0, 29);
        if (action < 6) {
            // Undo one step or many.
            const int times = action == 0 ? edits.between(1, 120) : 1;
            for (int k = 0; k < times; ++k) {
                const bool can = current > 0;
                ASSERT_EQ(doc.canUndo(), can);
                if (can) {
                    ASSERT_EQ(doc.undoName(), names[current]);
                }
                const std::string selectedNow = selectionOf(doc.tune());
                ASSERT_EQ(doc.undo(), can);
                if (!can) break;
                states[current].selection = selectedNow; // for redo to come back to
                --current;
                ++undone;
                deepUndos += k > 50;
                ASSERT_EQ(contentOf(doc.tune()), states[current].content);
                ASSERT_EQ(selectionOf(doc.tune()), states[current].selection);
            }
        } else if (action < 10) {
            const bool can = current + 1 < states.size();
            ASSERT_EQ(doc.canRedo(), can);
            if (can) {
                ASSERT_EQ(doc.redoName(), names[current + 1]);
            }
            ASSERT_EQ(doc.redo(), can);
            if (can) {
                ++current;
                ++redone;
                ASSERT_EQ(contentOf(doc.tune()), states[current].content);
                ASSERT_EQ(selectionOf(doc.tune()), states[current].selection);
            }
        } else if (action == 10) {
            doc.markSaved({});
            saved = contentOf(doc.tune());
        } else if (action < 13) {
            // A selection alone is no step.
            const std::size_t steps = doc.undoSteps();
            doc.change("Select", [&](Tune& t) {
                ClearSelection(t);
                for (int n = 1; n <= t.noteCount; ++n)
                    if (edits.between(0, 3) == 0) t.noteTable[n].selected = 1;
                t.selectionMode = 2;
            });
            ASSERT_EQ(doc.undoSteps(), steps);
            states[current].selection = selectionOf(doc.tune());
            ++selections;
        } else {
            // A step of one kind, made by one edit or, like a gesture with
            // a dialog in it, by several inside one begun step.
            const std::string before = states[current].content;
            const int kind = edits.between(0, 13);
            doc.beginStep();
            const std::string name = edits.apply(doc.editable(), kind);
            if (edits.between(0, 1) == 0) {
                doc.beginStep();
                (void)edits.apply(doc.editable(), edits.between(0, 13));
                EXPECT_FALSE(doc.commitStep("inner"));
                EXPECT_TRUE(doc.stepOpen());
                EXPECT_FALSE(doc.canUndo());
            }
            const bool recorded = doc.commitStep(name);
            EXPECT_FALSE(doc.stepOpen());
            const std::string after = contentOf(doc.tune());
            ASSERT_EQ(recorded, after != before);
            if (recorded) {
                ASSERT_EQ(doc.undoName(), name);
                states.erase(states.begin() + static_cast<std::ptrdiff_t>(current) + 1,
                             states.end());
                names.erase(names.begin() + static_cast<std::ptrdiff_t>(current) + 1, names.end());
                states.push_back(record(doc.tune()));
                names.push_back(name);
                ++current;
                if (states.size() > TuneDocument::kHistorySteps + 1) {
                    states.pop_front();
                    names.pop_front();
                    --current;
                }
                ++made;
                ASSERT_FALSE(doc.canRedo());
            } else {
                states[current].selection = selectionOf(doc.tune());
            }
            ASSERT_EQ(doc.undoSteps(), current);
        }
        ASSERT_EQ(doc.isModified(), contentOf(doc.tune()) != saved);
    }
    // Every kind of move happened often enough to mean something.
    EXPECT_GT(made, 1000);
    EXPECT_GT(undone, 500);
    EXPECT_GT(redone, 100);
    EXPECT_GT(selections, 100);
    EXPECT_GT(deepUndos, 0);
}

TEST(TuneDocument, EveryChangeIsAnnouncedOnceAfterItWasMade)
{
    TuneDocument doc;
    std::vector<std::string> heard;
    doc.setListener([&](const DocumentChange& c) {
        const char* kinds[] = {"step", "undo", "redo", "selection", "opened", "saved"};
        heard.push_back(std::string(kinds[static_cast<int>(c.kind)]) + " " + c.step + " " +
                        std::to_string(doc.tune().noteCount) + (doc.isModified() ? "*" : ""));
    });
    const auto draw = [](Tune& t) {
        NoteRecord n;
        n.startUnits = static_cast<float>(8 * t.noteCount);
        n.endUnits = n.startUnits + 8;
        n.pitch = 69;
        (void)InsertNote(t, n, 0);
    };

    doc.change("Draw note", draw);
    // A gesture: nothing is heard until it ends, however many calls it takes.
    doc.beginStep();
    draw(doc.editable());
    draw(doc.editable());
    EXPECT_EQ(heard.size(), 1u);
    doc.commitStep("Paste");
    doc.change("Select All", [](Tune& t) { SelectAll(t); });
    doc.change("Nothing", [](Tune&) {});
    doc.undo();
    doc.redo();
    doc.markSaved({"/t/a.h", FileKind::Ringdata, "a.h", {}, 0});
    doc.undo();
    doc.undo();
    doc.redo(); // back at the saved tune
    doc.open(Tune{}, {});
    EXPECT_EQ(heard, (std::vector<std::string>{"step Draw note 1*", "step Paste 3*",
                                               "selection  3*", "undo Paste 1*", "redo Paste 3*",
                                               "saved  3", "undo Paste 1*", "undo Draw note 0*",
                                               "redo Draw note 1*", "opened  0"}));
}

// The selection a step started from comes back with undo, and the one
// made after it with redo.
TEST(TuneDocument, UndoAndRedoGiveBackTheSelectionOfTheirMoment)
{
    TuneDocument doc;
    auto tune = std::make_unique<Tune>();
    for (int i = 0; i < 3; ++i) {
        NoteRecord n;
        n.startUnits = static_cast<float>(8 * i);
        n.endUnits = n.startUnits + 4;
        n.pitch = 70 + i;
        ASSERT_GT(InsertNote(*tune, n, 0), 0);
    }
    doc.open(*tune, {});
    doc.change("Select", [](Tune& t) {
        t.noteTable[2].selected = 1;
        t.selectionMode = 2;
    });
    doc.change("Transpose semitone up", [](Tune& t) { EXPECT_EQ(Transpose(t, 1), ""); });
    EXPECT_EQ(doc.tune().noteTable[2].pitch, 72);
    doc.change("Unselect", [](Tune& t) { ClearSelection(t); });
    ASSERT_TRUE(doc.undo());
    EXPECT_EQ(doc.tune().noteTable[2].pitch, 71);
    EXPECT_EQ(selectionOf(doc.tune()), "2:010");
    ASSERT_TRUE(doc.redo());
    EXPECT_EQ(doc.tune().noteTable[2].pitch, 72);
    EXPECT_EQ(selectionOf(doc.tune()), "0:000");
}

TEST(TuneDocument, KeepsTheLastHundredStepsAndStartsAgainOnOpen)
{
    TuneDocument doc;
    for (int i = 1; i <= 150; ++i)
        doc.change("Tempo", [i](Tune& t) { t.tempoBpm = 100 + i; });
    EXPECT_EQ(doc.undoSteps(), TuneDocument::kHistorySteps);
    while (doc.undo()) {
    }
    EXPECT_EQ(doc.tune().tempoBpm, 150);
    EXPECT_TRUE(doc.isModified()); // the opened tune had 160 bpm
    while (doc.redo()) {
    }
    EXPECT_EQ(doc.tune().tempoBpm, 250);

    doc.open(doc.tune(), {"/t/x.ota", FileKind::Ota, "x.ota", {}, 0});
    EXPECT_FALSE(doc.canUndo());
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(doc.origin().sourceName, "x.ota");
    EXPECT_EQ(doc.undoName(), "");
}

// 100 steps of a 999-note tune, each moving one note.
TEST(TuneDocument, AHundredStepsOfAFullTuneFitInSixteenMegabytes)
{
    auto tune = std::make_unique<Tune>();
    for (int i = 0; i < kMaxNotes; ++i) {
        NoteRecord& n = tune->noteTable[static_cast<std::size_t>(++tune->noteCount)];
        n.startUnits = static_cast<float>(4 * i);
        n.endUnits = n.startUnits + 3;
        n.pitch = 69 + i % 40;
    }
    TuneDocument doc;
    doc.open(*tune, {});
    for (int i = 1; i <= 100; ++i)
        doc.change("Edit note",
                   [i](Tune& t) { t.noteTable[static_cast<std::size_t>(i)].pitch += 1; });
    ASSERT_EQ(doc.undoSteps(), 100u);
    EXPECT_LT(doc.historyBytes(), 16u * 1024u * 1024u);
    // A whole tune a step would not.
    EXPECT_GT(101 * sizeof(Tune), doc.historyBytes());
}

} // namespace
} // namespace qte
