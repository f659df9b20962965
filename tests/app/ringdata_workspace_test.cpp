// The opened Ringdata.h as a workspace in the editor: Save of a tune from
// "Tunes in Ringdata" into its own definition, "Add to Ringdata.h" and
// "Remove from Ringdata.h", the list's mark, and nothing lost when the file
// changed on disk, a write fails or the readers could not hold the result.

#include "app/ringdata_commands.h"
#include "app/tune_windows.h"
#include "editor_fixture.h"
#include "formats/ota.h"

#include <gmock/gmock.h>

#include <string>
#include <utility>
#include <vector>

namespace qte {
namespace {

using testing::HasSubstr;
using Strings = std::vector<std::string>;

using test::withCrLf;

// Whole lines, each with its line end.
Strings linesOf(std::string_view bytes)
{
    Strings lines;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        const std::size_t n = end == std::string_view::npos ? bytes.size() : end + 1;
        lines.emplace_back(bytes.substr(0, n));
        bytes.remove_prefix(n);
    }
    return lines;
}

// The lines of before (1-based, first to last) that after does not keep:
// what lies between the lines both begin with and the lines both end with.
// last < first when lines were only inserted.
std::pair<int, int> changedLines(std::string_view before, std::string_view after)
{
    const Strings a = linesOf(before);
    const Strings b = linesOf(after);
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    return {static_cast<int>(head) + 1, static_cast<int>(a.size() - tail)};
}

// n small definitions named tone_t1[] ... tone_tn[].
std::string manyDefinitions(int n)
{
    std::string out = "#ifndef RINGDATA_H\n#define RINGDATA_H\n\n";
    for (int i = 1; i <= n; ++i)
        out += "static TONE tone_t" + std::to_string(i) +
               "[] = {\n        TONE(AUD_NOTE_A2, TONE_TIME_IN_MS(250))\n};\n\n";
    return out + "#endif\n";
}

class RingdataWorkspace : public test::EditorFixture {
protected:
    static inline const std::string kRingdata = "/fw/Ringdata.h";
    static inline const std::string kChanged =
        "\"/fw/Ringdata.h\" has changed on disk since it was read; nothing was written. Read it "
        "again?";

    RingdataWorkspace()
    {
        example = test::readFileOrDie(test::resourcePath("examples/Ringdata.h"));
        files.files[kRingdata] = example;
        startWithConfig();
    }

    void openRingdata()
    {
        ASSERT_TRUE(openRingdataFile(ctx, kRingdata));
        ASSERT_EQ(takeMessage(), "");
    }
    // The file as given, opened, with a new tune and nothing unsaved.
    void startOver(const std::string& bytes)
    {
        messages.answers = {MessageAnswer::Discard};
        runCommand(ctx, cmd::NewTune);
        messages.answers.clear();
        messages.shown.clear();
        files.files[kRingdata] = bytes;
        openRingdata();
    }
    void clickEntry(int entry)
    {
        catalogueMouseMove(ctx, 20, (entry - ctx.catalogueView.catalogueTopRow) * 15 + 7);
        catalogueLeftDown(ctx);
    }
    // A step: one more note after the last.
    void change(int pitch = 72)
    {
        ctx.document.change("Draw note", [pitch](Tune& t) {
            const float end = t.noteCount > 0 ? t.noteTable[t.noteCount].endUnits : 0.0f;
            test::setSpan(t, t.noteTable[t.noteCount + 1] = {}, end, 8).pitch = pitch;
            ++t.noteCount;
        });
    }
    [[nodiscard]] const CatalogueEntry& entry(int n) const
    {
        return ctx.catalogue.entries[static_cast<std::size_t>(n)];
    }
    [[nodiscard]] bool wroteRingdata() const
    {
        for (const auto& a : files.log)
            if (a.write && a.path == kRingdata) return true;
        return false;
    }
    // What a test does to the file behind the editor's back.
    void touchRingdata() { files.touch(kRingdata); }

    std::string example;
};

TEST_F(RingdataWorkspace, SaveWritesTheTuneBackIntoItsOwnDefinitionOnly)
{
    std::string openEnd = example;
    openEnd.pop_back();
    const struct {
        const char* name;
        std::string bytes;
    } files_[] = {
        {"LF line ends", example},
        {"CR LF line ends", withCrLf(example)},
        {"a last line without a line end", openEnd},
        {"a last line without a line end, CR LF", withCrLf(openEnd)},
    };
    for (const auto& f : files_) {
        for (int n = 1; n <= 5; ++n) {
            SCOPED_TRACE(std::string(f.name) + ", entry " + std::to_string(n));
            files.files[kRingdata] = f.bytes;
            openRingdata();
            const CatalogueEntry was = entry(n);
            clickEntry(n);
            change();
            const int notes = ctx.tune().noteCount;
            files.log.clear();
            runCommand(ctx, cmd::Save);
            EXPECT_EQ(takeMessage(), "");
            EXPECT_TRUE(fileDialogs.requests.empty());
            EXPECT_TRUE(wroteRingdata());
            const std::string saved = files.files[kRingdata];
            // Its own lines, from its name line (no comment above matches
            // the header) down to its "};" line.
            const auto [first, last] = changedLines(f.bytes, saved);
            EXPECT_GE(first, was.firstLine - 1);
            EXPECT_LE(last, was.lastLine);
            const bool crlf = f.bytes.find('\r') != std::string::npos;
            for (std::size_t at = saved.find('\n'); at != std::string::npos;
                 at = saved.find('\n', at + 1))
                ASSERT_EQ(at > 0 && saved[at - 1] == '\r', crlf) << "line end at byte " << at;
            EXPECT_EQ(saved.back() == '\n', f.bytes.back() == '\n');
            // Saved, still the tune of that entry, which reads back so.
            EXPECT_FALSE(ctx.document.isModified());
            EXPECT_EQ(ctx.document.origin().catalogueEntry, n);
            EXPECT_EQ(ctx.catalogue.tuneCount, 5);
            EXPECT_EQ(entry(n).name, was.name);
            clickEntry(n % 5 + 1);
            clickEntry(n);
            EXPECT_EQ(ctx.tune().noteCount, notes);
            // The editor's own text put back unchanged keeps every byte.
            runCommand(ctx, cmd::Save);
            EXPECT_EQ(files.files[kRingdata], saved);
            EXPECT_EQ(takeMessage(), "");
        }
    }
}

TEST_F(RingdataWorkspace, TheListMarksTheLoadedTuneAndItsUnsavedChanges)
{
    openRingdata();
    const struct {
        const char* step;
        std::function<void()> run;
        const char* shown; // row 2
    } steps[] = {
        {"loaded", [this] { clickEntry(2); }, "tone_chime[]"},
        {"changed", [this] { change(); }, "tone_chime[]*"},
        {"undone", [this] { runCommand(ctx, cmd::Undo); }, "tone_chime[]"},
        {"redone", [this] { runCommand(ctx, cmd::Redo); }, "tone_chime[]*"},
        {"saved", [this] { runCommand(ctx, cmd::Save); }, "tone_chime[]"},
        {"undone after saving", [this] { runCommand(ctx, cmd::Undo); }, "tone_chime[]*"},
        {"saved as a file of its own", [this] { saveAs("/t/chime.ota", FileKind::Ota); },
         "tone_chime[]"},
        {"changed then", [this] { change(); }, "tone_chime[]"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.run();
        ASSERT_EQ(catalogueRows().size(), 5u);
        EXPECT_EQ(catalogueRows()[1], s.shown);
        EXPECT_EQ(catalogueRows()[2], "tone_office[]");
    }
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.document.origin().filePath, "/t/chime.ota");
    EXPECT_FALSE(isCommandEnabled(ctx, cmd::RemoveFromRingdata));
}

TEST_F(RingdataWorkspace, SavingKeepsTheListWhereItWasScrolled)
{
    example = manyDefinitions(100);
    files.files[kRingdata] = example;
    openRingdata();
    catalogueScroll(ctx, ScrollCode::ThumbTrack, 50);
    ASSERT_EQ(ctx.catalogueView.catalogueTopRow, 41); // 60 rows, the last tune at the bottom
    clickEntry(55);
    ASSERT_EQ(ctx.document.origin().catalogueEntry, 55);
    const CatalogueEntry was = entry(55);
    change();
    runCommand(ctx, cmd::Save);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_EQ(ctx.catalogueView.catalogueTopRow, 41);
    EXPECT_EQ(catalogueRows()[55 - 41 - 1], "tone_t55[]");
    EXPECT_EQ(ctx.document.origin().catalogueEntry, 55);
    // A Save from a list scrolled elsewhere writes the entry loaded.
    catalogueScroll(ctx, ScrollCode::ThumbTrack, 0);
    change(74);
    runCommand(ctx, cmd::Save);
    EXPECT_EQ(ctx.catalogueView.catalogueTopRow, 0);
    const auto [first, last] = changedLines(example, files.files[kRingdata]);
    EXPECT_GE(first, was.firstLine);
    EXPECT_LE(last, was.lastLine);
}

TEST_F(RingdataWorkspace, NothingIsWrittenIntoAFileThatChangedOnDisk)
{
    // Another program at work on the file since it was scanned.
    const std::string inserted = "static TONE tone_new[] = {\n};\n\n";
    std::string sameSize = example;
    sameSize[sameSize.find("Quelo")] = 'K';
    const struct {
        const char* name;
        std::function<void()> disturb;
        MessageAnswer answer;
        int entryAfter; // of the loaded tune, tone_chime[]
        int tunesAfter;
    } cases[] = {
        {"a definition inserted, not read again",
         [&] { files.files[kRingdata].insert(0, inserted); }, MessageAnswer::No, 2, 5},
        {"a definition inserted, read again", [&] { files.files[kRingdata].insert(0, inserted); },
         MessageAnswer::Yes, 3, 6},
        {"the same size, other bytes", [&] { files.files[kRingdata] = sameSize; },
         MessageAnswer::No, 2, 5},
        {"only its modification time", [&] { touchRingdata(); }, MessageAnswer::No, 2, 5},
        {"only its modification time, read again", [&] { touchRingdata(); }, MessageAnswer::Yes, 2,
         5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startOver(example);
        clickEntry(2);
        change();
        c.disturb();
        const std::string onDisk = files.files[kRingdata];
        messages.answers = {c.answer};
        files.log.clear();
        runCommand(ctx, cmd::Save);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::YesNo);
        EXPECT_EQ(takeMessage(), "Save: " + kChanged);
        EXPECT_FALSE(wroteRingdata());
        EXPECT_EQ(files.files[kRingdata], onDisk);
        EXPECT_TRUE(ctx.document.isModified());
        EXPECT_EQ(ctx.catalogue.tuneCount, c.tunesAfter);
        EXPECT_EQ(ctx.document.origin().catalogueEntry, c.entryAfter);
        EXPECT_EQ(catalogueRows()[static_cast<std::size_t>(c.entryAfter - 1)], "tone_chime[]*");
        // Read again, the file takes the save; else it is refused again.
        const CatalogueEntry chime = entry(c.entryAfter);
        messages.answers = {MessageAnswer::No};
        runCommand(ctx, cmd::Save);
        if (c.answer == MessageAnswer::Yes) {
            EXPECT_EQ(takeMessage(), "");
            EXPECT_FALSE(ctx.document.isModified());
            const auto [first, last] = changedLines(onDisk, files.files[kRingdata]);
            EXPECT_GE(first, chime.firstLine);
            EXPECT_LE(last, chime.lastLine);
        } else {
            EXPECT_EQ(takeMessage(), "Save: " + kChanged);
            EXPECT_EQ(files.files[kRingdata], onDisk);
        }
    }
}

TEST_F(RingdataWorkspace, AFailedWriteLeavesTheFileAsItWasAndSaysWhy)
{
    const struct {
        const char* name;
        std::vector<std::filesystem::path> MemoryFileStore::*fails;
        const char* reason;
    } cases[] = {
        {"the write fails", &MemoryFileStore::failWrites, "Permission denied"},
        {"the rename fails", &MemoryFileStore::failRenames, "Invalid cross-device link"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startOver(example);
        clickEntry(3);
        change();
        const std::size_t fileCount = files.files.size();
        files.*c.fails = {kRingdata};
        runCommand(ctx, cmd::Save);
        EXPECT_EQ(takeMessage(), std::string("Error!: Cannot write \"/fw/Ringdata.h\": ") +
                                     c.reason + " (the file is unchanged)");
        EXPECT_EQ(files.files[kRingdata], example);
        EXPECT_EQ(files.files.size(), fileCount); // no temporary file left behind
        EXPECT_TRUE(ctx.document.isModified());
        // Once the disk takes it, the same Save goes through.
        files.*c.fails = {};
        runCommand(ctx, cmd::Save);
        EXPECT_EQ(takeMessage(), "");
        EXPECT_NE(files.files[kRingdata], example);
        EXPECT_FALSE(ctx.document.isModified());
    }
}

TEST_F(RingdataWorkspace, WhatTheReadersCannotHoldIsRefusedBeforeAnythingIsWritten)
{
    const struct {
        const char* name;
        std::string file;
        std::function<void()> run;
        const char* says;
    } cases[] = {
        {"a tune longer than a definition holds", example,
         [this] {
             clickEntry(1);
             ctx.document.change("Paste", [](Tune& t) {
                 t.noteCount = 0;
                 for (int i = 0; i < 600; ++i)
                     test::setSpan(t, t.noteTable[++t.noteCount] = {}, 4.0f * i, 2).pitch = 72;
             });
             // The text shown says so at once; the save is what counts here.
             EXPECT_THAT(takeMessage(), HasSubstr("Warning: "));
             runCommand(ctx, cmd::Save);
         },
         "longer than 1000 lines"},
        {"a file of 999 definitions", manyDefinitions(999),
         [this] { runCommand(ctx, cmd::AddToRingdata); }, "holds 999 tone definitions already"},
        {"a name that is taken", example,
         [this] {
             clickEntry(2);
             runCommand(ctx, cmd::AddToRingdata);
         },
         "\"tone_chime[]\" is already in the file (lines 26-37)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startOver(c.file);
        files.log.clear();
        c.run();
        const auto shown = messages.shown;
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "Error!");
        EXPECT_THAT(shown[0].text, HasSubstr("Cannot change \"/fw/Ringdata.h\": "));
        EXPECT_THAT(shown[0].text, HasSubstr(c.says));
        takeMessages();
        EXPECT_FALSE(wroteRingdata());
        EXPECT_EQ(files.files[kRingdata], c.file);
    }
}

TEST_F(RingdataWorkspace, AddAppendsTheTuneWhichSaveThenWritesInto)
{
    EXPECT_FALSE(isCommandEnabled(ctx, cmd::AddToRingdata));
    openRingdata();
    EXPECT_TRUE(isCommandEnabled(ctx, cmd::AddToRingdata));
    setUpTune([](Tune& t) {
        t.toneName = "Doorbell";
        t.toneId = "DRBL";
    });
    change(76);
    runCommand(ctx, cmd::AddToRingdata);
    EXPECT_EQ(takeMessage(), "");
    const std::string added = files.files[kRingdata];
    // Inserted before the final "#endif", every other line kept.
    const std::size_t endif = example.rfind("#endif");
    EXPECT_EQ(added.substr(0, endif), example.substr(0, endif));
    EXPECT_TRUE(added.ends_with(example.substr(endif)));
    EXPECT_THAT(added.substr(endif),
                HasSubstr("/* Doorbell (DRBL) */\nstatic TONE tone_doorbell[] ="));
    ASSERT_EQ(ctx.catalogue.tuneCount, 6);
    EXPECT_EQ(entry(6).name, "tone_doorbell[]");
    EXPECT_EQ(ctx.document.origin().catalogueEntry, 6);
    EXPECT_FALSE(ctx.document.isModified());
    EXPECT_EQ(catalogueRows().back(), "tone_doorbell[]");
    EXPECT_TRUE(isCommandEnabled(ctx, cmd::RemoveFromRingdata));
    // From now on Save writes into it, and nowhere else.
    change(79);
    EXPECT_EQ(catalogueRows().back(), "tone_doorbell[]*");
    runCommand(ctx, cmd::Save);
    EXPECT_EQ(takeMessage(), "");
    EXPECT_TRUE(fileDialogs.requests.empty());
    const auto [first, last] = changedLines(added, files.files[kRingdata]);
    EXPECT_GE(first, entry(6).firstLine);
    EXPECT_LE(last, entry(6).lastLine);
    clickEntry(1);
    clickEntry(6);
    EXPECT_EQ(ctx.tune().noteCount, 2);
}

TEST_F(RingdataWorkspace, RemoveAsksNamingTheTuneAndKeepsEveryOtherByte)
{
    openRingdata();
    EXPECT_FALSE(isCommandEnabled(ctx, cmd::RemoveFromRingdata));
    clickEntry(3);
    const CatalogueEntry office = entry(3);
    const int notes = ctx.tune().noteCount;
    const std::string question =
        "Remove from Ringdata.h: Remove tone_office[] from \"/fw/Ringdata.h\"? Its lines are "
        "taken out of the file; the tune stays in the editor.";

    messages.answers = {MessageAnswer::No};
    runCommand(ctx, cmd::RemoveFromRingdata);
    EXPECT_EQ(takeMessage(), question);
    EXPECT_EQ(files.files[kRingdata], example);

    messages.answers = {MessageAnswer::Yes};
    runCommand(ctx, cmd::RemoveFromRingdata);
    EXPECT_EQ(takeMessage(), question);
    const std::string removed = files.files[kRingdata];
    // One run of lines taken out: the definition and one blank line beside it.
    const auto [first, last] = changedLines(example, removed);
    EXPECT_EQ(linesOf(removed).size() + static_cast<std::size_t>(last - first + 1),
              linesOf(example).size());
    EXPECT_EQ(last - first, office.lastLine - office.firstLine + 1);
    const Strings lines = linesOf(example);
    for (int l = first; l <= last; ++l)
        if (l < office.firstLine || l > office.lastLine) {
            EXPECT_EQ(lines[static_cast<std::size_t>(l - 1)], "\n") << "line " << l;
        }
    EXPECT_THAT(removed, testing::Not(HasSubstr("tone_office")));
    // The tune stays, no longer marked; Save then asks where to.
    EXPECT_EQ(ctx.catalogue.tuneCount, 4);
    EXPECT_EQ(catalogueRows(),
              (Strings{"tone_morning[]", "tone_chime[]", "tone_waltz[]", "tone_plain[]"}));
    EXPECT_EQ(ctx.tune().noteCount, notes);
    EXPECT_FALSE(isCommandEnabled(ctx, cmd::RemoveFromRingdata));
    runCommand(ctx, cmd::Save);
    EXPECT_EQ(fileDialogs.requests.size(), 1u);
}

// Asked before the changes are lost, Save writes them where Ctrl+S would.
TEST_F(RingdataWorkspace, SaveBeforeExitWritesIntoTheDefinition)
{
    openRingdata();
    const CatalogueEntry waltz = entry(4);
    clickEntry(4);
    change();
    messages.answers = {MessageAnswer::Save};
    runCommand(ctx, cmd::Exit);
    EXPECT_EQ(takeMessage(), "Confirm exit: Ready to quit?");
    EXPECT_TRUE(ctx.quitRequested);
    EXPECT_TRUE(fileDialogs.requests.empty());
    EXPECT_FALSE(ctx.document.isModified());
    const auto [first, last] = changedLines(example, files.files[kRingdata]);
    EXPECT_GE(first, waltz.firstLine - 1);
    EXPECT_LE(last, waltz.lastLine);
}

// The tune's definition is in the Ringdata.h it came from; once another is
// open, Save asks for a file.
TEST_F(RingdataWorkspace, SaveOfATuneFromAnotherRingdataAsksForAFile)
{
    files.files["/fw/Other.h"] = manyDefinitions(3);
    openRingdata();
    clickEntry(2);
    change();
    ASSERT_TRUE(openRingdataFile(ctx, "/fw/Other.h"));
    files.log.clear();
    runCommand(ctx, cmd::Save);
    EXPECT_EQ(fileDialogs.requests.size(), 1u);
    EXPECT_TRUE(files.log.empty());
    EXPECT_EQ(files.files[kRingdata], example);
}

} // namespace
} // namespace qte
