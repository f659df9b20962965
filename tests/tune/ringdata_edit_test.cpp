// A Ringdata.h as a workspace: definitions replaced, appended and removed,
// with every byte outside the definition kept.

#include "tune/ringdata_edit.h"

#include "config/config_fixture.h"
#include "support/memory_file_store.h"
#include "support/testsupport.h"
#include "tune/tune_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace qte {
namespace {

using ::testing::HasSubstr;

using test::withCrLf;

// Byte offset of the start of line (1-based) of short lines.
std::size_t lineStart(std::string_view bytes, int line)
{
    std::size_t at = 0;
    for (int k = 1; k < line; ++k)
        at = bytes.find('\n', at) + 1;
    return at;
}

struct RingdataEditTest : ::testing::Test {
    TextConfig config = test::exampleTextConfig();
    NoteNameTable names = test::exampleNoteNames();
    ToneTextOptions options{true, false};
    Tune doorbell = named(test::TuneBuilder(120).note(0, 500, 88).note(500, 1500, 84).build(),
                          "Doorbell", "DB01");
    std::string example = test::readFileOrDie(test::resourcePath("examples/Ringdata.h"));

    static Tune named(Tune tune, const char* name, const char* id)
    {
        tune.toneName = name;
        tune.toneId = id;
        return tune;
    }
    static std::unique_ptr<TuneCatalogue> scan(std::string_view bytes)
    {
        auto catalogue = std::make_unique<TuneCatalogue>();
        (void)ScanRingdataFile(bytes, *catalogue);
        return catalogue;
    }
    std::string textOf(const Tune& tune, std::string_view name = {}) const
    {
        return DefinitionTextOf(tune, config, names, options, name).text;
    }
    RingdataEdit save(const std::string& bytes, int n, const Tune& tune) const
    {
        return SaveTuneInDefinition(bytes, *scan(bytes), n, tune, config, names, options);
    }
    RingdataEdit add(const std::string& bytes, const Tune& tune) const
    {
        return AddTuneAsDefinition(bytes, *scan(bytes), tune, config, names, options);
    }
    RingdataEdit remove(const std::string& bytes, int n) const
    {
        return RemoveDefinition(bytes, *scan(bytes), n, config);
    }
};

TEST_F(RingdataEditTest, TheTemplateWritesTheDefinition)
{
    const DefinitionText def = DefinitionTextOf(doorbell, config, names, options);
    ASSERT_TRUE(def.ok()) << def.error;
    EXPECT_EQ(def.text, "/* Doorbell (DB01) */\n"
                        "static TONE tone_doorbell[] =\n"
                        "{\n"
                        "        /*Tempo: 120bpm*/        \n"
                        "        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(500))\n"
                        "        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(1000))\n"
                        "};\n");
    EXPECT_EQ(std::tie(def.name, def.lineCount, def.openLine),
              std::make_tuple(std::string("tone_doorbell[]"), 7, 3));
    // Another name goes where the catalogue reads it; the rest stays.
    const struct {
        const char* asked;
        const char* name;
        const char* line;
    } renames[] = {{"tone_ding", "tone_ding[]", "static TONE tone_ding[] =\n"},
                   {"tone_ding[]", "tone_ding[]", "static TONE tone_ding[] =\n"},
                   {"tone_doorbell", "tone_doorbell[]", "static TONE tone_doorbell[] =\n"}};
    for (const auto& r : renames) {
        SCOPED_TRACE(r.asked);
        const DefinitionText renamed = DefinitionTextOf(doorbell, config, names, options, r.asked);
        ASSERT_TRUE(renamed.ok()) << renamed.error;
        EXPECT_EQ(renamed.name, r.name);
        std::string want = def.text;
        const std::size_t second = lineStart(want, 2);
        want.replace(second, lineStart(want, 3) - second, r.line);
        EXPECT_EQ(renamed.text, want);
    }
}

// The catalogue reads a name from the 11th character that is not a space.
TEST_F(RingdataEditTest, NameSpans)
{
    const struct {
        const char* line;
        const char* name;
        const char* span;
    } cases[] = {
        {"static TONE tone_x[] =\n", "tone_x[]", "tone_x[]"},
        {"static TONE tone_my tune[] = {\r\n", "tone_mytune[]", "tone_my tune[]"},
        {"  static   TONE tone_q[]{\n", "tone_q[]{", "tone_q[]{"},
        {"static TONE", "", ""},
        {"{\n", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string_view line = c.line;
        const NameSpan span = DefinitionNameSpan(line);
        EXPECT_EQ(line.substr(span.begin, span.end - span.begin), c.span);
        EXPECT_EQ(DefinitionNameIn(line), c.name);
    }
}

// A hand-written definition put back becomes the editor's text; the bytes
// before and after its lines stay.
TEST_F(RingdataEditTest, ReplacesOnlyItsOwnLines)
{
    const auto before = scan(example);
    const struct {
        int n;
        int first, last; // the lines replaced
    } cases[] = {
        {1, 9, 23},  // "{" alone: from the name's line; the comment above stays
        {2, 26, 37}, // name and "{" on one line
        {3, 40, 54}, {4, 57, 67}, {5, 70, 77}, // the last, before "#endif"
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.n);
        const std::string& name = before->entries[static_cast<std::size_t>(c.n)].name;
        const RingdataEdit edit = save(example, c.n, doorbell);
        ASSERT_TRUE(edit.ok()) << edit.error;
        const std::string& out = *edit.bytes;
        const std::string text = textOf(doorbell, name);
        EXPECT_EQ(edit.action, DefinitionAction::Replaced);
        EXPECT_EQ(std::tie(edit.oldFirstLine, edit.oldLastLine), std::tie(c.first, c.last));
        EXPECT_EQ(std::tie(edit.firstLine, edit.lastLine), std::make_tuple(c.first, c.first + 6));
        EXPECT_EQ(edit.name, name);
        const std::size_t head = lineStart(example, c.first);
        const std::size_t tail = example.size() - lineStart(example, c.last + 1);
        EXPECT_EQ(out.substr(0, head), example.substr(0, head));
        EXPECT_EQ(out.substr(head, text.size()), text);
        EXPECT_EQ(out.substr(head + text.size()), example.substr(example.size() - tail));

        // Every definition keeps its name; those after it move with it.
        const auto after = scan(out);
        ASSERT_EQ(after->tuneCount, before->tuneCount);
        const int moved = 7 - (c.last - c.first + 1);
        for (int i = 1; i <= after->tuneCount; ++i) {
            const CatalogueEntry& a = after->entries[static_cast<std::size_t>(i)];
            const CatalogueEntry& b = before->entries[static_cast<std::size_t>(i)];
            EXPECT_EQ(a.name, b.name);
            const int want = i < c.n ? b.firstLine : i == c.n ? c.first + 2 : b.firstLine + moved;
            EXPECT_EQ(a.firstLine, want);
        }
    }
}

// The header's first line: where config.cfg's header wrote it, else where
// the name stands, so no half of an old header is left behind.
TEST_F(RingdataEditTest, WhereTheHeaderBegins)
{
    const std::string body = "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(100))\n};\n";
    const std::string next = "\nstatic TONE tone_next[] = {\n};\n";
    const struct {
        const char* name;
        std::string bytes;
        std::string kept; // the lines before the new text
    } cases[] = {
        {"written by the template for another name",
         "/* Old (OLD1) */\nstatic TONE tone_old[] =\n{\n" + body, ""},
        {"the template with trailing blanks",
         "/* Old (OLD1) */  \nstatic TONE tone_old[] =\t\n{\n" + body, ""},
        {"a comment of its own", "/* my notes */\nstatic TONE tone_old[] =\n{\n" + body,
         "/* my notes */\n"},
        {"another declaration",
         "/* Old (OLD1) */\nstatic TONE  tone_old[] = /* mine */\n{\n" + body,
         "/* Old (OLD1) */\n"},
        {"name and brace on one line", "/* Old (OLD1) */\nstatic TONE tone_old[] = {\n" + body,
         "/* Old (OLD1) */\n"},
        {"after another definition", "static TONE tone_a[] = {\n};\n{\n" + body,
         "static TONE tone_a[] = {\n};\n"},
        // The name is read from the "};" line before; that line stays.
        {"named by the definition before",
         "static TONE tone_a[] = {\n}; /* the end of tone_a */\n{\n" + body,
         "static TONE tone_a[] = {\n}; /* the end of tone_a */\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes = c.bytes + next;
        const auto catalogue = scan(bytes);
        const int n = catalogue->tuneCount - 1;
        const std::string& name = catalogue->entries[static_cast<std::size_t>(n)].name;
        const RingdataEdit edit = save(bytes, n, doorbell);
        ASSERT_TRUE(edit.ok()) << edit.error;
        EXPECT_EQ(*edit.bytes, c.kept + textOf(doorbell, name) + next);
    }
}

TEST_F(RingdataEditTest, PutBackUnchangedKeepsEveryByte)
{
    const std::string shapes[] = {example, withCrLf(example), "static TONE tone_a[] = {\n};", ""};
    for (const std::string& shape : shapes) {
        SCOPED_TRACE(shape.substr(0, 40));
        const RingdataEdit added = add(shape, doorbell);
        ASSERT_TRUE(added.ok()) << added.error;
        const std::string& written = *added.bytes;
        const auto catalogue = scan(written);
        const int n = FindDefinition(*catalogue, "tone_doorbell");
        ASSERT_NE(n, 0);
        const RingdataEdit saved = save(written, n, doorbell);
        ASSERT_TRUE(saved.ok()) << saved.error;
        EXPECT_EQ(*saved.bytes, written);
        const RingdataEdit put =
            PutTuneInRingdata(written, *catalogue, doorbell, config, names, options);
        ASSERT_TRUE(put.ok()) << put.error;
        EXPECT_EQ(put.action, DefinitionAction::Replaced);
        EXPECT_EQ(*put.bytes, written);
        EXPECT_EQ(DescribeEdit(put), DescribeEdit(saved));
    }
}

// Footer lines after the "};" belong to the definition: saved again, they
// are not written twice; removed, they go with it.
TEST_F(RingdataEditTest, FooterLinesAfterTheClose)
{
    config.footerLines[1] = "/* ---- */";
    config.footerLineCount = 2;
    const RingdataEdit added = add(example, doorbell);
    ASSERT_TRUE(added.ok()) << added.error;
    const std::string& written = *added.bytes;
    EXPECT_THAT(written, HasSubstr("};\n/* ---- */\n\n#endif"));
    const int n = scan(written)->tuneCount;
    const RingdataEdit saved = save(written, n, doorbell);
    ASSERT_TRUE(saved.ok()) << saved.error;
    EXPECT_EQ(*saved.bytes, written);
    EXPECT_EQ(std::tie(saved.oldFirstLine, saved.oldLastLine), std::make_tuple(79, 86));
    EXPECT_EQ(*remove(written, n).bytes, example);
}

// A new definition goes after the last one, before a final "#endif" or the
// blank lines that end the file, with a blank line between; taking it out
// again gives back the file.
TEST_F(RingdataEditTest, AppendedThenRemoved)
{
    const std::string a = "static TONE tone_a[] = {\n};\n";
    const struct {
        const char* name;
        std::string before;
        std::string after; // "@" stands for the new definition
        const char* lines;
    } cases[] = {
        {"at the end", a, a + "\n@", "appended tone_doorbell[]: lines 4-10"},
        {"before the blank lines at the end", a + "\n\n", a + "\n@\n\n", "lines 4-10"},
        {"before #endif", a + "#endif\n", a + "\n@#endif\n", "lines 4-10"},
        {"before #endif after a blank line", a + "\n#endif /* X */\n\n",
         a + "\n@\n#endif /* X */\n\n", "lines 4-10"},
        {"before the last #endif", a + "#if A\n#endif\n/* x */\n# endif\n",
         a + "#if A\n#endif\n/* x */\n\n@# endif\n", "lines 7-13"},
        {"after hand-written comments", a + "/* hand\n   written */\n",
         a + "/* hand\n   written */\n\n@", "lines 6-12"},
        {"no line end at the end", "static TONE tone_a[] = {\n};", a + "\n@", "lines 4-10"},
        {"#endif without a line end", a + "#endif", a + "\n@#endif", "lines 4-10"},
        {"no definition yet", "#ifndef R\n#define R\n\n#endif\n",
         "#ifndef R\n#define R\n\n@\n#endif\n", "lines 4-10"},
        {"an empty file", "", "@", "lines 1-7"},
        {"Windows line ends", withCrLf(a + "\n#endif\n"), withCrLf(a + "\n@\n#endif\n"),
         "lines 4-10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RingdataEdit added = add(c.before, doorbell);
        ASSERT_TRUE(added.ok()) << added.error;
        std::string want = c.after;
        std::string text = textOf(doorbell);
        if (c.before.find('\r') != std::string::npos) text = withCrLf(text);
        // A file whose last line has no line end keeps it so.
        if (want.back() == '@' && !c.before.empty() && !c.before.ends_with('\n')) text.pop_back();
        want.replace(want.find('@'), 1, text);
        EXPECT_EQ(*added.bytes, want);
        EXPECT_THAT(DescribeEdit(added), HasSubstr(c.lines));

        const auto catalogue = scan(*added.bytes);
        const CatalogueEntry& last =
            catalogue->entries[static_cast<std::size_t>(catalogue->tuneCount)];
        EXPECT_EQ(last.name, "tone_doorbell[]");
        EXPECT_EQ(last.firstLine, added.firstLine + 2);
        const RingdataEdit removed = remove(*added.bytes, catalogue->tuneCount);
        ASSERT_TRUE(removed.ok()) << removed.error;
        EXPECT_EQ(*removed.bytes, c.before);
        EXPECT_EQ(std::tie(removed.firstLine, removed.lastLine),
                  std::tie(added.firstLine, added.lastLine));
    }
}

TEST_F(RingdataEditTest, RemovesTheDefinitionAndOneBlankLine)
{
    const std::string a = "static TONE tone_a[] = {\n};\n";
    const std::string b = "/* B (B1) */\nstatic TONE tone_b[] =\n{\n};\n";
    const struct {
        const char* name;
        std::string bytes;
        std::string left;
        const char* lines;
    } cases[] = {
        {"the blank line before", a + "\n" + b + "\n#endif\n", a + "\n#endif\n", "4-7"},
        {"else the one after", a + b + "\n/* c */\n", a + "/* c */\n", "3-6"},
        {"comments stay", a + "/* about b */\n" + b + "/* after b */\n",
         a + "/* about b */\n/* after b */\n", "4-7"},
        {"the last line without a line end", a + "\n" + b.substr(0, b.size() - 1),
         a.substr(0, a.size() - 1), "4-7"},
        {"Windows line ends", withCrLf(a + "\n" + b + "\n#endif"), withCrLf(a + "\n#endif"), "4-7"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const RingdataEdit removed = remove(c.bytes, 2);
        ASSERT_TRUE(removed.ok()) << removed.error;
        EXPECT_EQ(*removed.bytes, c.left);
        EXPECT_EQ(DescribeEdit(removed), "removed tone_b[]: lines " + std::string(c.lines));
    }
}

TEST_F(RingdataEditTest, WindowsLineEndsAndAnOpenLastLineStay)
{
    const std::string crlf = withCrLf(example);
    const RingdataEdit edit = save(crlf, 2, doorbell);
    ASSERT_TRUE(edit.ok()) << edit.error;
    const std::string& out = *edit.bytes;
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), std::count(out.begin(), out.end(), '\r'));
    EXPECT_EQ(out, withCrLf(*save(example, 2, doorbell).bytes));

    // The definition that ends the file, its "};" without a line end.
    const std::string open = "static TONE tone_a[] = {\n};\n\nstatic TONE tone_z[] = {\n};";
    const RingdataEdit last = save(open, 2, doorbell);
    ASSERT_TRUE(last.ok()) << last.error;
    std::string text = textOf(doorbell, "tone_z[]");
    text.pop_back();
    EXPECT_EQ(*last.bytes, open.substr(0, open.find("static TONE tone_z")) + text);
}

// Nothing is changed, and the reason is given, when the result would not
// read back as the file's definitions.
TEST_F(RingdataEditTest, RefusedEdits)
{
    std::string full;
    for (int i = 1; i <= kMaxCatalogueTunes; ++i)
        full += "static TONE tone_t" + std::to_string(i) + "[] = {\n};\n";
    std::string longText = "static TONE tone_long[] =\n{\n";
    for (int i = 0; i < kMaxDefinitionLines; ++i)
        longText += "TONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))\n";
    longText += "};\n";
    const std::string withDoorbell =
        example.substr(0, example.find("#endif")) + textOf(doorbell) + "\n#endif\n";
    TextConfig noBrace = config;
    noBrace.headerLines[2] = "/* no brace */";
    TextConfig oneLine = config; // the name on the "{" line
    oneLine.headerLines[1] = "static TONE tone_*name*[] = {";
    oneLine.headerLineCount = 2;
    TextConfig noClose = config;
    noClose.footerLines[0] = "}";

    const auto replaceWith = [&](const std::string& bytes, int n, const DefinitionText& text) {
        return ReplaceDefinition(bytes, *scan(bytes), n, text, config);
    };
    const struct {
        const char* name;
        RingdataEdit edit;
        const char* error;
    } cases[] = {
        {"999 definitions", add(full, doorbell), "holds 999 tone definitions already"},
        {"a name that is taken", add(withDoorbell, doorbell),
         "\"tone_doorbell[]\" is already in the file (lines 81-85)."},
        {"the name of another definition",
         replaceWith(example, 1, DefinitionFromText(textOf(doorbell), "tone_chime")),
         "\"tone_chime[]\" is already in the file (lines 26-37)."},
        {"over 1000 lines", replaceWith(example, 1, DefinitionFromText(longText)),
         "1001 lines after its \"{\" line, more than the 1000"},
        {"a tune too long for a tone text",
         save(example, 1,
              [] {
                  test::TuneBuilder b;
                  for (int i = 0; i < 600; ++i)
                      b.note(i * 200, i * 200 + 100, 81);
                  return b.build();
              }()),
         "longer than 1000 lines"},
        {"no \"};\" after the definition",
         save("static TONE tone_a[] = {\nTONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))\n", 1, doorbell),
         "\"tone_a[]\" has no line beginning with \"};\""},
        {"no \"};\" after the last definition",
         add("static TONE tone_a[] = {\nTONE(AUD_NOTE_A, TONE_TIME_IN_MS(10))\n", doorbell),
         "a definition after it would be read as part of it"},
        {"a catalogue of other bytes",
         ReplaceDefinition("\n" + example, *scan(example), 2,
                           DefinitionFromText(textOf(doorbell), "tone_chime"), config),
         "no longer holds \"tone_chime[]\" where it was listed (line 26)"},
        {"no such entry", save(example, 6, doorbell), "no tune number 6"},
        {"a definition inside a long line",
         save("/*" + std::string(300, 'x') + "*/ static TONE tone_l[] = {\n};\n", 1, doorbell),
         "begins inside a line longer than 254 characters"},
        {"a name the catalogue does not read back",
         replaceWith(example, 1, DefinitionTextOf(doorbell, oneLine, names, options, "t")),
         "a definition called \"t\" would be listed as \"(DB01)*/\"."},
        {"a header without \"{\"",
         AddTuneAsDefinition(example, *scan(example), doorbell, noBrace, names, options),
         "opens no definition"},
        {"a footer without \"};\"",
         AddTuneAsDefinition(example, *scan(example), doorbell, noClose, names, options),
         "does not close its definition"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.edit.ok());
        EXPECT_THAT(c.edit.error, HasSubstr(c.error));
    }
}

// The check before a write: what was scanned against what is there now.
TEST_F(RingdataEditTest, FingerprintTellsAChangedFile)
{
    const FileStamp stamp{example.size(), 1700000000123456789};
    const ScannedFile scanned = FingerprintOf(example, stamp);
    std::string oneByte = example;
    oneByte[100] ^= 1;
    FileStamp touched = stamp;
    touched.modifiedNs += 1;
    const struct {
        const char* name;
        std::string bytes;
        std::optional<FileStamp> stamp;
        bool same;
    } cases[] = {
        {"unchanged", example, stamp, true},
        {"one bit", oneByte, stamp, false},
        {"one byte more", example + " ", stamp, false},
        {"touched", example, touched, false},
        {"gone from the disk", example, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StillAsScanned(scanned, c.bytes, c.stamp), c.same);
    }
    EXPECT_NE(HashBytes("abcdefgh12345678"), HashBytes("abcdefgh12345679"));
    EXPECT_NE(HashBytes("12345678abcdefgh"), HashBytes("abcdefgh12345678"));
}

TEST_F(RingdataEditTest, AppliedThroughAFileStore)
{
    const std::filesystem::path path = "/memory/Ringdata.h";
    const auto saveChime = [&](const std::string& bytes) {
        return SaveTuneInDefinition(bytes, *scan(bytes), 2, doorbell, config, names, options);
    };
    const auto refuse = [](const std::string&) {
        RingdataEdit none;
        none.error = "not today.";
        return none;
    };
    enum class Check { Scanned, None, OtherBytes, Touched };
    const struct {
        const char* name;
        Check check;
        bool failWrite;
        std::function<RingdataEdit(std::string)> edit;
        EditOutcome outcome;
        const char* message;
    } cases[] = {
        {"written", Check::Scanned, false, saveChime, EditOutcome::Written, ""},
        {"without a check", Check::None, false, saveChime, EditOutcome::Written, ""},
        {"changed since the scan", Check::OtherBytes, false, saveChime, EditOutcome::ChangedOnDisk,
         "\"/memory/Ringdata.h\" has changed on disk since it was read"},
        {"touched since the scan", Check::Touched, false, saveChime, EditOutcome::ChangedOnDisk,
         "\"/memory/Ringdata.h\" has changed on disk since it was read"},
        {"a store that fails", Check::Scanned, true, saveChime, EditOutcome::CannotWrite,
         "Cannot write \"/memory/Ringdata.h\": Permission denied (the file is unchanged)"},
        {"refused", Check::Scanned, false, refuse, EditOutcome::Refused,
         "Cannot change \"/memory/Ringdata.h\": not today."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileStore store;
        store.files[path] = example;
        const ScannedFile scanned = FingerprintOf(
            c.check == Check::OtherBytes ? example + "\n" : example, store.stamp(path));
        if (c.check == Check::Touched) store.touch(path);
        if (c.failWrite) store.failWrites.push_back(path);
        const AppliedEdit applied =
            ApplyRingdataEdit(store, path, c.check == Check::None ? nullptr : &scanned, c.edit);
        EXPECT_EQ(applied.outcome, c.outcome);
        EXPECT_EQ(applied.message.substr(0, std::string_view(c.message).size()), c.message);
        const bool written = c.outcome == EditOutcome::Written;
        EXPECT_EQ(store.files[path], written ? *saveChime(example).bytes : example);
        EXPECT_EQ(StillAsScanned(applied.written, store.files[path], store.stamp(path)), written);
    }
    const ScannedFile scanned = FingerprintOf(example, std::nullopt);
    MemoryFileStore empty;
    EXPECT_EQ(ApplyRingdataEdit(empty, path, &scanned, saveChime).outcome, EditOutcome::CannotRead);
}

// A write the disk stops part way leaves the file as it was, and no
// temporary file behind.
TEST_F(RingdataEditTest, AFailedWriteKeepsTheFile)
{
    test::TempDir dir;
    const std::filesystem::path path = dir.file("Ringdata.h");
    test::writeFileOrDie(path, example);
    const ScannedFile scanned = FingerprintOf(example, fileStamp(path));
    DiskFileStore disk;
    AppliedEdit applied;
    {
        const test::FileSizeLimit noRoom(100);
        applied = ApplyRingdataEdit(disk, path, &scanned, [&](const std::string& bytes) {
            return SaveTuneInDefinition(bytes, *scan(bytes), 1, doorbell, config, names, options);
        });
    }
    EXPECT_EQ(applied.outcome, EditOutcome::CannotWrite);
    EXPECT_THAT(applied.message, HasSubstr("File too large (the file is unchanged)"));
    EXPECT_EQ(test::readFileOrDie(path), example);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // Written, it is the file the next save checks against.
    applied = ApplyRingdataEdit(disk, path, &scanned, [&](const std::string& bytes) {
        return SaveTuneInDefinition(bytes, *scan(bytes), 1, doorbell, config, names, options);
    });
    ASSERT_EQ(applied.outcome, EditOutcome::Written) << applied.message;
    EXPECT_TRUE(StillAsScanned(applied.written, test::readFileOrDie(path), fileStamp(path)));
    EXPECT_FALSE(StillAsScanned(scanned, test::readFileOrDie(path), fileStamp(path)));
}

} // namespace
} // namespace qte
