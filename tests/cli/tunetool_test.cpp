// tunetool on the example files: most cases call the commands directly, a
// few run the built binary to check its command line, its exit status and
// that it reads config.cfg from the directory it starts in.

#include "cli/commands.h"
#include "config/text_config.h"
#include "formats/midi_bytes.h"
#include "support/testsupport.h"
#include "support/tool_run.h"
#include "tune/ringdata_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qte {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using test::ToolRun;

// Runs tunetool in dir (by default the build folder, which holds a copy of
// config.cfg) with the arguments, capturing both streams.
ToolRun tunetool(const std::vector<std::string>& args,
                 const std::filesystem::path& dir = QTE_BINARY_DIR)
{
    ToolRun r = test::runTunetool(args, dir);
    EXPECT_TRUE(r.exited) << r.how;
    return r;
}

std::string example(const char* name)
{
    return test::resourcePath(std::string("examples/") + name).string();
}

// Status, whole stdout and a piece of stderr of command lines.
TEST(Tunetool, StatusAndOutputOfCommandLines)
{
    test::TempDir dir;
    const std::string empty = dir.file("empty.h").string();
    test::writeFileOrDie(empty, "/* nothing here */\n");
    const std::string ringdata = example("Ringdata.h");
    const std::string single = example("single_tone.h");
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {{"list", ringdata},
         0,
         "1  tone_morning[]  lines 10-23\n"
         "2  tone_chime[]    lines 26-37\n"
         "3  tone_office[]   lines 40-54\n"
         "4  tone_waltz[]    lines 58-67\n"
         "5  tone_plain[]    lines 70-77\n",
         ""},
        {{"list", empty}, 0, "", "no tone definitions"},
        {{"list", "/nonexistent/Ringdata.h"}, 1, "", "Ringdata.h"},
        {{"list", QTE_SOURCE_DIR "/resources"}, 1, "", "resources"},
        {{"list"}, 1, "", "FILE"},
        {{"play"}, 1, "", "subcommand"},
        {{}, 1, "", "subcommand"},
        {{"text", single, "--style", "4"}, 1, "", "--style"},
        {{"text", single, "--style", "-1"}, 1, "", "--style"},
        {{"text", ringdata, "--index", "0"}, 1, "", "--index"},
        {{"info", ringdata, "--index", "x"}, 1, "", "--index"},
        {{"text", ringdata, "--index", "1", "--tune", "tone_plain"}, 1, "", "excludes"},
        {{"convert", single}, 1, "", "OUT"},
        {{"info", ringdata, "--polite"}, 1, "", "--polite"},
        {{"export", ringdata, "--as", "ota"}, 1, "", "--to"},
        {{"export", ringdata, "--to", "x", "--as", "ota", "--index", "2"}, 1, "", "use convert"},
        {{"put", ringdata}, 1, "", "SOURCE"},
        {{"remove", ringdata}, 1, "", "--tune"},
    };
    for (const Case& c : cases) {
        const ToolRun r = tunetool(c.args);
        SCOPED_TRACE(r.err);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_THAT(r.err, HasSubstr(c.err));
        if (*c.err == 0) {
            EXPECT_EQ(r.err, "");
        }
    }
}

TEST(Tunetool, HelpForEachCommand)
{
    const std::pair<const char*, const char*> cases[] = {
        {"--help", "list text info convert export put remove config.cfg midihz.ini"},
        {"list --help", "FILE"},
        {"text --help", "FILE --tune --index --write-tempo --no-write-tempo --default-parts "
                        "--style --keep-natural --config"},
        {"info --help", "FILE --tune --index length --config"},
        {"convert --help", "IN OUT .wav --polite --write-tempo --default-parts --style"},
        {"export --help", "FILES --to --as --polite --write-tempo --config"},
        {"put --help", "TARGET SOURCE --as --tune --index #endif --write-tempo --default-parts "
                       "--config unchanged"},
        {"remove --help", "TARGET --tune --config unchanged"},
    };
    for (const auto& [args, mentions] : cases) {
        SCOPED_TRACE(args);
        const ToolRun r = tunetool(test::splitWords(args));
        EXPECT_EQ(r.status, 0) << r.err;
        for (const std::string& m : test::splitWords(mentions))
            EXPECT_THAT(r.out, HasSubstr(m));
    }
}

// The commands called directly, with the repository's config.cfg and
// midihz.ini.

using cli::CommandOptions;

struct Output {
    int status = -1;
    std::string out;
    std::string err;
};

CommandOptions exampleOptions()
{
    CommandOptions o;
    o.configFolder = test::resourcePath("");
    return o;
}

CommandOptions choosing(std::optional<std::string> name, std::optional<int> index)
{
    CommandOptions o = exampleOptions();
    o.choice.name = std::move(name);
    o.choice.index = index;
    return o;
}

// A command called with streams for out and err.
template <class F> Output call(F&& command)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = command(out, err);
    return {status, out.str(), err.str()};
}
Output text(const std::filesystem::path& file, const CommandOptions& o = exampleOptions())
{
    return call([&](auto& out, auto& err) { return cli::runText(file, o, out, err); });
}
Output info(const std::filesystem::path& file, const CommandOptions& o = exampleOptions())
{
    return call([&](auto& out, auto& err) { return cli::runInfo(file, o, out, err); });
}
Output convert(const std::filesystem::path& in, const std::filesystem::path& out,
               const CommandOptions& o = exampleOptions())
{
    return call([&](auto&, auto& err) { return cli::runConvert(in, out, o, err); });
}
Output exportTo(const std::vector<std::filesystem::path>& files,
                const std::filesystem::path& folder, const std::string& kind)
{
    return call([&](auto& out, auto& err) {
        return cli::runExport(files, folder, kind, exampleOptions(), out, err);
    });
}

Output put(const std::filesystem::path& target, const std::filesystem::path& source,
           const std::string& as = {}, const CommandOptions& o = exampleOptions())
{
    return call([&](auto& out, auto& err) { return cli::runPut(target, source, as, o, out, err); });
}
Output remove(const std::filesystem::path& target, const std::string& name)
{
    return call([&](auto& out, auto& err) {
        return cli::runRemove(target, name, exampleOptions(), out, err);
    });
}

std::vector<std::string> filesIn(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The tunes of the example Ringdata.h, each with a line only its text holds.
struct CatalogueCase {
    int index;
    std::string stem; // the name without its brackets
    const char* ownLine;
};
const CatalogueCase kCatalogue[] = {
    {1, "tone_morning", "        TONE(AUD_NOTE_C3, TONE_TIME_IN_MS(750))\n"},
    {2, "tone_chime", "        REPEAT_BEGIN(3)\n"},
    {3, "tone_office", "        FREQ_DEFINE((1200), (1600), (2400))\n"},
    {4, "tone_waltz", "        TONE(AUD_NOTE_D2, TONE_TIME_IN_MS(187))\n"},
    {5, "tone_plain", "        TONE(AUD_NOTE_E3, TONE_TIME_IN_MS(400))\n"},
};

// The whole text of single_tone.h with each option: its notes, pause and
// comment inside config.cfg's header (placeholders filled with the name and
// ID read back from the file's own header) and footer; and convert writes
// the same bytes.
TEST(TunetoolText, SingleToneFileWithEachOption)
{
    const std::string head = "/* Doorbell (DB01) */\nstatic TONE tone_doorbell[] =\n{\n";
    const std::string tempo = "        /*Tempo: 160bpm*/        \n";
    const std::string body = "        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(375))\n"
                             "        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(750))\n"
                             "        TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(375))\n"
                             "        /* ding dong, once more */\n"
                             "        TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(375))\n"
                             "        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(750))\n";
    struct Case {
        const char* name;
        bool writeTempo;
        bool defaultParts;
        std::string out;
    };
    const Case cases[] = {
        {"as the editor starts", true, false, head + tempo + body + "};\n"},
        {"no tempo", false, false, head + "        \n" + body + "};\n"},
        {"default parts", true, true,
         head + tempo + "        VOLUME_SET(AUD_VOLUME_RING),\n        \n" + body +
             "        \n        VOLUME_RESTORE,\n};\n"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandOptions o = exampleOptions();
        o.tune.writeTempo = c.writeTempo;
        o.tune.addDefaultParts = c.defaultParts;
        const Output r = text(example("single_tone.h"), o);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, c.out);
        const Output converted = convert(example("single_tone.h"), dir.file("out.h"), o);
        EXPECT_EQ(converted.status, 0) << converted.err;
        EXPECT_EQ(converted.err, "");
        EXPECT_EQ(test::readFileOrDie(dir.file("out.h")), c.out);
    }
}

TEST(TunetoolText, EachCatalogueTuneByNameAndByIndex)
{
    test::TempDir dir;
    for (const CatalogueCase& c : kCatalogue) {
        SCOPED_TRACE(c.stem);
        const Output byIndex = text(example("Ringdata.h"), choosing({}, c.index));
        EXPECT_EQ(byIndex.status, 0) << byIndex.err;
        EXPECT_EQ(byIndex.err, "");
        EXPECT_THAT(byIndex.out, HasSubstr(c.ownLine));
        for (const CatalogueCase& other : kCatalogue) {
            if (other.index != c.index) {
                EXPECT_THAT(byIndex.out, Not(HasSubstr(other.ownLine)));
            }
        }
        for (const std::string& name : {c.stem + "[]", c.stem}) {
            const Output byName = text(example("Ringdata.h"), choosing(name, {}));
            EXPECT_EQ(byName.status, 0) << name;
            EXPECT_EQ(byName.out, byIndex.out) << name;
        }
        // convert writes what text prints, and the file reads back to it.
        const Output converted =
            convert(example("Ringdata.h"), dir.file("out.h"), choosing({}, c.index));
        EXPECT_EQ(converted.status, 0) << converted.err;
        EXPECT_EQ(converted.err, "");
        EXPECT_EQ(test::readFileOrDie(dir.file("out.h")), byIndex.out);
        EXPECT_EQ(text(dir.file("out.h")).out, byIndex.out);
    }
}

TEST(TunetoolText, ChoicesThatNameNoTuneFail)
{
    struct Case {
        const char* file;
        std::optional<std::string> tune;
        std::optional<int> index;
        std::vector<const char*> err;
    };
    const Case cases[] = {
        {"Ringdata.h", {}, {}, {"holds 5 tunes", "--tune", "--index", "tone_plain[]"}},
        {"Ringdata.h", {}, 6, {"no tune number 6", "tone_morning[]"}},
        {"Ringdata.h", {}, 0, {"no tune number 0"}},
        {"Ringdata.h", "tone_nope", {}, {"\"tone_nope\"", "tone_chime[]"}},
        {"Ringdata.h", "TONE_CHIME", {}, {"\"TONE_CHIME\""}}, // names are case-sensitive
        {"single_tone.h", {}, 2, {"no tune number 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err.front());
        for (const Output& r : {text(example(c.file), choosing(c.tune, c.index)),
                                info(example(c.file), choosing(c.tune, c.index))}) {
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.out, "");
            EXPECT_THAT(r.err, ::testing::StartsWith("error: "));
            for (const char* e : c.err)
                EXPECT_THAT(r.err, HasSubstr(e));
        }
    }
}

TEST(TunetoolText, ToneTextWithABadLine)
{
    test::TempDir dir;
    test::writeFileOrDie(dir.file("bad.h"), "static TONE t[] =\n{\n"
                                            "TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(375))\n"
                                            "TONE(AUD_NOTE_C2, TONE_TIME_IN_MS 750)\n"
                                            "TONE(AUD_NOTE_G2, TONE_TIME_IN_MS(375))\n"
                                            "};\n");
    // text and info show what was read before the line, and fail.
    const Output t = text(dir.file("bad.h"));
    EXPECT_EQ(t.status, 1);
    EXPECT_THAT(t.out, HasSubstr("AUD_NOTE_E2"));
    EXPECT_THAT(t.out, Not(HasSubstr("AUD_NOTE_G2")));
    EXPECT_THAT(t.err, HasSubstr("error: \"" + dir.file("bad.h").string() + "\": Line 4: "));
    const Output i = info(dir.file("bad.h"));
    EXPECT_EQ(i.status, 1);
    EXPECT_THAT(i.out, HasSubstr("notes:   1\n"));

    // convert writes nothing, and an old file stays as it was.
    test::writeFileOrDie(dir.file("old.rtx"), "old bytes");
    for (const char* target : {"new.rtx", "old.rtx", "new.h"}) {
        SCOPED_TRACE(target);
        const Output c = convert(dir.file("bad.h"), dir.file(target));
        EXPECT_EQ(c.status, 1);
        EXPECT_THAT(c.err, HasSubstr("Line 4: "));
        EXPECT_THAT(c.err, HasSubstr("Nothing was written."));
    }
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"bad.h", "old.rtx"}));
    EXPECT_EQ(test::readFileOrDie(dir.file("old.rtx")), "old bytes");
}

TEST(TunetoolInfo, NamesCountsAndLength)
{
    test::TempDir dir;
    const std::string note = "TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(375))\n";
    const std::string pause = "TONE(AUD_TONE_FREQ_OFF, TONE_TIME_IN_MS(500))\n";
    // A text after a trailing pause reaches past the last note; a trailing
    // pause alone does not.
    test::writeFileOrDie(dir.file("tail.h"), "t[] =\n{\n" + note + pause + "/* end */\n};\n");
    test::writeFileOrDie(dir.file("pause.h"), "t[] =\n{\n" + note + pause + "};\n");
    test::writeFileOrDie(dir.file("x.rtx"), "Doorbell:d=4,o=5,b=120:4e6,2c6,");
    struct Case {
        std::filesystem::path file;
        CommandOptions options;
        std::vector<int> counts; // tempo, notes, vibras, repeats, texts, length
        const char* name = "Undefined\nID:      UNDF";
    };
    // The names come back from the files' header lines as config.cfg shapes
    // them: both from single_tone.h, only the array's from Ringdata.h.
    const Case cases[] = {
        {example("single_tone.h"),
         exampleOptions(),
         {160, 4, 0, 0, 1, 2625},
         "Doorbell\nID:      DB01"},
        {example("Ringdata.h"),
         choosing("tone_morning", {}),
         {160, 6, 2, 0, 0, 2060},
         "morning\nID:      UNDF"},
        {example("Ringdata.h"), choosing({}, 2), {120, 4, 0, 2, 0, 1750}, "chime\nID:      UNDF"},
        {dir.file("tail.h"), exampleOptions(), {80, 1, 0, 0, 1, 875}},
        {dir.file("pause.h"), exampleOptions(), {80, 1, 0, 0, 0, 375}},
        {dir.file("x.rtx"), exampleOptions(), {120, 2, 0, 0, 0, 1500}, "Doorbell\nID:      DOOR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        const Output r = info(c.file, c.options);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::vector<int>& n = c.counts;
        EXPECT_EQ(r.out, "name:    " + std::string(c.name) + "\ntempo:   " + std::to_string(n[0]) +
                             " bpm\nnotes:   " + std::to_string(n[1]) + "\nvibras:  " +
                             std::to_string(n[2]) + "\nrepeats: " + std::to_string(n[3]) +
                             "\ntexts:   " + std::to_string(n[4]) +
                             "\nlength:  " + std::to_string(n[5]) + " ms\n");
    }
}

// The notes of a tune as the core reads a tone text.
struct NoteTimes {
    std::int32_t pitch;
    std::int32_t startMs;
    std::int32_t endMs;
    bool operator==(const NoteTimes&) const = default;
};

std::vector<NoteTimes> notesOf(std::string_view bytes, std::optional<int> index)
{
    TextConfig config;
    (void)LoadTextConfigFile(config, test::resourcePath("config.cfg"));
    const NoteNameTable names = BuildNoteNameTable();
    ParserState state;
    auto tune = std::make_unique<Tune>();
    if (index) {
        auto catalogue = std::make_unique<TuneCatalogue>();
        EXPECT_TRUE(ScanRingdataFile(bytes, *catalogue).ok());
        EXPECT_TRUE(LoadCatalogueTune(*tune, *catalogue, *index, bytes, state, config, names).ok());
    } else {
        EXPECT_TRUE(LoadToneFile(*tune, bytes, state, config, names).ok());
    }
    std::vector<NoteTimes> notes;
    for (int i = 1; i <= tune->noteCount; ++i) {
        const NoteRecord& n = tune->noteTable[static_cast<std::size_t>(i)];
        notes.push_back({n.pitch, n.startMs, n.endMs});
    }
    return notes;
}

TEST(TunetoolConvert, ChainsOfExchangeFormatsKeepTheNotes)
{
    // Tunes of plain notes whose lengths are note values at their tempo
    // (the waltz's 187 ms at 120 bpm is not one, and the office's custom
    // notes become plain pitches in RTX).
    struct Case {
        const char* file;
        std::optional<int> index;
        std::vector<const char*> steps;
    };
    const Case cases[] = {
        {"single_tone.h", {}, {"a.rtx", "b.EVT", "c.h"}},
        {"Ringdata.h", 1, {"a.rtx", "b.EVT", "c.h"}},
        {"Ringdata.h", 2, {"a.rtx", "b.EVT", "c.h"}},
        {"Ringdata.h", 5, {"a.rtx", "b.EVT", "c.h"}},
        {"single_tone.h", {}, {"a.ota", "b.h"}},
        {"single_tone.h", {}, {"a.mid", "b.imy", "c.h"}},
        {"Ringdata.h", 1, {"a.imy", "b.MIDI", "c.rtx", "d.h"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.index.value_or(0)) + " " +
                     c.steps.front());
        test::TempDir dir;
        std::filesystem::path from = example(c.file);
        for (const char* step : c.steps) {
            const Output r =
                convert(from, dir.file(step),
                        choosing({}, from == example(c.file) ? c.index : std::nullopt));
            ASSERT_EQ(r.status, 0) << r.err;
            from = dir.file(step);
        }
        const std::vector<NoteTimes> before =
            notesOf(test::readFileOrDie(example(c.file)), c.index);
        EXPECT_GT(before.size(), 1u);
        EXPECT_EQ(notesOf(test::readFileOrDie(from), {}), before);
    }
}

// RTTTL reaches down to c4 (pitch 60), which the tone text has no name for:
// the tone text is still written, and stderr says which notes it loses.
TEST(TunetoolConvert, NotesTheToneTextCannotNameAreAWarning)
{
    test::TempDir dir;
    test::writeFileOrDie(dir.file("low.rtx"), "Low:d=4,o=5,b=120:4c4,4g#4,4a4,4p,4d4,");
    const Output r = convert(dir.file("low.rtx"), dir.file("low.h"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "warning: 3 notes lie below A, the lowest note the tone text names: at 0 ms, "
                     "500 ms and 2000 ms. Transpose them, or save in another format.\n");
    EXPECT_THAT(test::readFileOrDie(dir.file("low.h")),
                HasSubstr("TONE(AUD_NOTE_UNK TONE_TIME_IN_MS(500))"));
    // Other kinds name every pitch: no warning.
    const Output ota = convert(dir.file("low.rtx"), dir.file("low.ota"));
    EXPECT_EQ(ota.status, 0);
    EXPECT_EQ(ota.err, "");
}

// The samples of an 8-bit mono WAV file after its 44-byte header (which
// tests/sound pins).
std::size_t waveSamples(const std::string& wav)
{
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    return wav.size() < 44 ? 0 : wav.size() - 44;
}

TEST(TunetoolConvert, WaveFileLastsAsLongAsTheTune)
{
    test::TempDir dir;
    const Output r = convert(example("single_tone.h"), dir.file("tune.WAV"));
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string wav = test::readFileOrDie(dir.file("tune.WAV"));
    const double seconds = static_cast<double>(waveSamples(wav)) / 44100.0;
    EXPECT_NEAR(seconds, 2.625, 0.001); // info's length of the tune

    // Playing politely puts the prefix in front.
    CommandOptions polite = exampleOptions();
    polite.tune.playPolitely = true;
    ASSERT_EQ(convert(example("single_tone.h"), dir.file("polite.wav"), polite).status, 0);
    EXPECT_GT(waveSamples(test::readFileOrDie(dir.file("polite.wav"))), wav.size() + 44100);

    // midihz.ini of the config folder tunes the notes: same length, other sound.
    test::TempDir config;
    std::filesystem::copy_file(test::resourcePath("config.cfg"), config.file("config.cfg"));
    test::writeFileOrDie(config.file("midihz.ini"), "84,500\n88,700\n");
    CommandOptions retuned = exampleOptions();
    retuned.configFolder = config.path();
    ASSERT_EQ(convert(example("single_tone.h"), dir.file("retuned.wav"), retuned).status, 0);
    const std::string other = test::readFileOrDie(dir.file("retuned.wav"));
    EXPECT_EQ(other.size(), wav.size());
    EXPECT_NE(other, wav);
}

TEST(TunetoolConvert, FailuresLeaveNothingBehind)
{
    test::TempDir dir;
    std::filesystem::copy_file(example("single_tone.h"), dir.file("tune.h"));
    test::writeFileOrDie(dir.file("plain"), "a file, not a folder");
    std::filesystem::create_directory(dir.file("folder.h"));
    std::string longEvents;
    for (int i = 0; i < 600; ++i)
        longEvents += "69 0.100000\n0 0.100000\n";
    test::writeFileOrDie(dir.file("long.evt"), longEvents);
    const auto p = [&](const char* name) { return dir.file(name).string(); };
    struct Case {
        const char* in;
        const char* out;
        std::vector<std::string> err;
        std::optional<int> index = {};
    };
    const Case cases[] = {
        {"a.ota", "b.rtx", {"--tune and --index"}, 1},
        {"none.h", "out.rtx", {"Cannot open \"" + p("none.h") + "\": No such file or directory"}},
        {"plain", "out.rtx", {"reads .h, .ota"}},
        {"x.wav", "out.rtx", {"reads .h, .ota"}},
        {"tune.h", "out.mod", {"\"" + p("out.mod") + "\"", "writes .h"}},
        {"tune.h", "missing/out.h", {"Cannot", "out.h"}},
        {"tune.h", "plain/out.rtx", {"Cannot", "out.rtx"}},
        {"tune.h", "folder.h", {"folder.h"}},
        {"long.evt",
         "long.h",
         {"Cannot save \"" + p("long.h") + "\": the tone text is longer than 1000 lines"}},
    };
    const std::vector<std::string> before = filesIn(dir.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.in) + " -> " + c.out);
        const Output r = convert(dir.file(c.in), dir.file(c.out), choosing({}, c.index));
        EXPECT_EQ(r.status, 1);
        EXPECT_THAT(r.err, HasSubstr("error: "));
        for (const std::string& e : c.err)
            EXPECT_THAT(r.err, HasSubstr(e));
        EXPECT_EQ(filesIn(dir.path()), before);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.h")));
    EXPECT_EQ(test::readFileOrDie(dir.file("plain")), "a file, not a folder");
}

TEST(TunetoolExport, WritesEveryTuneAsConvertWould)
{
    test::TempDir dir;
    const std::filesystem::path folder = dir.file("made/here");
    const Output r = exportTo({example("Ringdata.h"), example("single_tone.h")}, folder, "rtx");
    EXPECT_EQ(r.status, 0) << r.err;
    // RTX has no custom notes; the warning says which tune lost them.
    EXPECT_THAT(r.err, ::testing::StartsWith("warning: tone_office: "));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    std::vector<std::string> expected = {"single_tone.rtx"};
    for (const CatalogueCase& c : kCatalogue) {
        SCOPED_TRACE(c.stem);
        const std::string& stem = c.stem;
        expected.push_back(stem + ".rtx");
        EXPECT_THAT(r.out, HasSubstr(example("Ringdata.h") + ": " + stem + " -> " +
                                     (folder / (stem + ".rtx")).string() + "\n"));
        ASSERT_EQ(convert(example("Ringdata.h"), dir.file("one.rtx"), choosing({}, c.index)).status,
                  0);
        EXPECT_EQ(test::readFileOrDie(folder / (stem + ".rtx")),
                  test::readFileOrDie(dir.file("one.rtx")));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesIn(folder), expected);
    // Another kind, and the same file twice: the second copy is numbered.
    const Output twice =
        exportTo({example("single_tone.h"), example("single_tone.h")}, folder, ".wav");
    EXPECT_EQ(twice.status, 0) << twice.err;
    EXPECT_EQ(test::readFileOrDie(folder / "single_tone.wav"),
              test::readFileOrDie(folder / "single_tone-2.wav"));
}

TEST(TunetoolExport, NamesFilesSafelyAndSkipsWhatItCannotRead)
{
    test::TempDir dir;
    ASSERT_EQ(convert(example("single_tone.h"), dir.file("door bell!.ota")).status, 0);
    test::writeFileOrDie(dir.file(".hidden.evt"), "69 0.500000\n");
    test::writeFileOrDie(dir.file("broken.ota"), "not an OTA file");
    const Output r = exportTo({dir.file("door bell!.ota"), dir.file("broken.ota"),
                               dir.file("missing.rtx"), dir.file(".hidden.evt")},
                              dir.file("out"), "evt");
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("broken.ota"));
    EXPECT_THAT(r.err, HasSubstr("missing.rtx"));
    EXPECT_THAT(r.err, HasSubstr("error: 2 of 4 tunes were not written."));
    EXPECT_EQ(filesIn(dir.file("out")),
              (std::vector<std::string>{"door_bell_.evt", "tune.hidden.evt"}));

    // Nothing is written where the kind or the folder is wrong.
    test::writeFileOrDie(dir.file("plain"), "a file, not a folder");
    const Output badKind = exportTo({example("single_tone.h")}, dir.file("mp3s"), "mp3");
    EXPECT_EQ(badKind.status, 1);
    EXPECT_THAT(badKind.err, HasSubstr("writes .h, .ota"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("mp3s")));
    const Output underFile = exportTo({example("single_tone.h")}, dir.file("plain"), "rtx");
    EXPECT_EQ(underFile.status, 1);
    EXPECT_THAT(underFile.err, HasSubstr("Cannot make the folder"));
    EXPECT_EQ(test::readFileOrDie(dir.file("plain")), "a file, not a folder");
}

// A Ringdata.h changed step by step: each step prints what it did, and the
// bytes outside the definition it names stay.
TEST(TunetoolPut, ReplacesAppendsAndRemovesDefinitions)
{
    test::TempDir dir;
    const std::filesystem::path target = dir.file("Ringdata.h");
    const std::string original = test::readFileOrDie(example("Ringdata.h"));
    test::writeFileOrDie(target, original);
    test::writeFileOrDie(dir.file("door.rtx"), "Doorbell:d=4,o=5,b=120:4e6,2c6,");
    const std::filesystem::path rtx = dir.file("door.rtx");
    const std::filesystem::path single = example("single_tone.h");
    const auto head = [](const std::string& bytes, int lines) {
        std::size_t at = 0;
        for (int k = 0; k < lines; ++k)
            at = bytes.find('\n', at) + 1;
        return bytes.substr(0, at);
    };
    const auto tail = [](const std::string& bytes, int fromLine) {
        std::size_t at = 0;
        for (int k = 1; k < fromLine; ++k)
            at = bytes.find('\n', at) + 1;
        return bytes.substr(at);
    };

    // A new tune is appended before "#endif"; put again, nothing changes.
    Output r = put(target, rtx);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "appended tone_doorbell[]: lines 79-85\n");
    const std::string appended = test::readFileOrDie(target);
    EXPECT_EQ(head(appended, 78), head(original, 78));
    EXPECT_EQ(tail(appended, 87), tail(original, 79));
    r = put(target, rtx);
    EXPECT_EQ(r.out, "replaced tone_doorbell[]: lines 79-85 (were 79-85)\n");
    EXPECT_EQ(test::readFileOrDie(target), appended);

    // A hand-written definition becomes the editor's text, under its name.
    r = put(target, single, "tone_chime");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "replaced tone_chime[]: lines 26-36 (were 26-37)\n");
    const std::string chime = test::readFileOrDie(target);
    EXPECT_EQ(head(chime, 25), head(original, 25));
    EXPECT_EQ(tail(chime, 37), tail(appended, 38));
    const std::string written = text(single).out;
    EXPECT_EQ(tail(head(chime, 36), 26),
              head(written, 1) + "static TONE tone_chime[] =\n" + tail(written, 3));

    // One tune of a Ringdata.h, under a name of its own.
    r = put(target, example("Ringdata.h"), "tone_waltz2", choosing({}, 4));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "appended tone_waltz2[]: lines 86-97\n");

    r = remove(target, "tone_doorbell[]");
    EXPECT_EQ(r.out, "removed tone_doorbell[]: lines 78-84\n");
    r = remove(target, "tone_waltz2");
    EXPECT_EQ(r.out, "removed tone_waltz2[]: lines 78-89\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(test::readFileOrDie(target), head(chime, 76) + tail(original, 78));
}

TEST(TunetoolPut, FailuresLeaveTheTargetAsItWas)
{
    test::TempDir dir;
    const std::string original = test::readFileOrDie(example("Ringdata.h"));
    test::writeFileOrDie(dir.file("Ringdata.h"), original);
    std::string full;
    for (int i = 1; i <= kMaxCatalogueTunes; ++i)
        full += "static TONE tone_t" + std::to_string(i) + "[] = {\n};\n";
    test::writeFileOrDie(dir.file("full.h"), full);
    test::writeFileOrDie(dir.file("bad.h"),
                         "t[] =\n{\nTONE(AUD_NOTE_C2, TONE_TIME_IN_MS 750)\n};\n");
    test::writeFileOrDie(dir.file("tune.ota"), "");
    std::filesystem::create_directory(dir.file("folder.h"));
    const auto p = [&](const char* name) { return dir.file(name).string(); };
    const std::string single = example("single_tone.h");
    struct Case {
        const char* name;
        std::function<Output()> run;
        std::string err;
    };
    const Case cases[] = {
        {"no such target", [&] { return put(p("none.h"), single); },
         "Cannot open \"" + p("none.h") + "\": No such file or directory"},
        {"a target of another kind", [&] { return put(p("tune.ota"), single); },
         "\"" + p("tune.ota") + "\": put and remove change .h files only."},
        {"a folder", [&] { return put(p("folder.h"), single); }, p("folder.h")},
        {"no such source", [&] { return put(p("Ringdata.h"), p("none.rtx")); }, "none.rtx"},
        {"a source of several tunes", [&] { return put(p("Ringdata.h"), p("Ringdata.h")); },
         "pick one with --tune NAME or --index N"},
        {"a source that stops", [&] { return put(p("Ringdata.h"), p("bad.h")); },
         "Nothing was written."},
        {"999 definitions", [&] { return put(p("full.h"), single); },
         "Cannot change \"" + p("full.h") +
             "\": the file holds 999 tone definitions already, as many as its list can hold."},
        {"a name to remove that is not there", [&] { return remove(p("Ringdata.h"), "tone_x"); },
         "it holds no tune named \"tone_x\"; it holds 1 tone_morning[], 2 tone_chime[]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Output r = c.run();
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_THAT(r.err, HasSubstr("error: "));
        EXPECT_THAT(r.err, HasSubstr(c.err));
    }
    EXPECT_EQ(test::readFileOrDie(dir.file("Ringdata.h")), original);
    EXPECT_EQ(test::readFileOrDie(dir.file("full.h")), full);
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"Ringdata.h", "bad.h", "folder.h", "full.h", "tune.ota"}));
}

// The binary itself: its options, its start directory and a WAV file.

TEST(TunetoolPut, TheBinaryPutsAndRemoves)
{
    test::TempDir dir;
    std::filesystem::copy_file(example("Ringdata.h"), dir.file("R.h"));
    const ToolRun added =
        tunetool({"put", dir.file("R.h").string(), example("Ringdata.h"), "--tune", "tone_plain",
                  "--as", "tone_plain2", "--no-write-tempo"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "appended tone_plain2[]: lines 79-89\n");
    EXPECT_THAT(test::readFileOrDie(dir.file("R.h")), Not(HasSubstr("Tempo: 150bpm")));
    const ToolRun removed = tunetool({"remove", dir.file("R.h").string(), "--tune", "tone_plain2"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(test::readFileOrDie(dir.file("R.h")), test::readFileOrDie(example("Ringdata.h")));
    const ToolRun missing = tunetool({"remove", dir.file("R.h").string(), "--tune", "tone_plain2"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, HasSubstr("no tune named"));
}

TEST(Tunetool, ReadsConfigFromItsStartDirectoryThenItsOwnFolder)
{
    // The build folder holds our config.cfg beside the program.
    const ToolRun withConfig = tunetool({"text", example("Ringdata.h"), "--tune", "tone_chime"});
    EXPECT_EQ(withConfig.status, 0) << withConfig.err;
    EXPECT_EQ(withConfig.out, text(example("Ringdata.h"), choosing("tone_chime", {})).out);
    // Started anywhere else it finds the one of its own folder.
    test::TempDir empty;
    const ToolRun elsewhere =
        tunetool({"text", example("Ringdata.h"), "--index", "2"}, empty.path());
    EXPECT_EQ(elsewhere.status, 0);
    EXPECT_EQ(elsewhere.err, "");
    EXPECT_EQ(elsewhere.out, withConfig.out);

    // The start directory's own comes first.
    test::TempDir own;
    std::string config = test::readFileOrDie(QTE_SOURCE_DIR "/resources/config.cfg");
    config.replace(config.find("/* *Name* (*ID*) */"), 19, "/* own: *Name* */");
    test::writeFileOrDie(own.file("config.cfg"), config);
    const ToolRun owned = tunetool({"text", example("Ringdata.h"), "--index", "2"}, own.path());
    EXPECT_THAT(owned.out, HasSubstr("/* own: chime */"));

    // --config names the one folder; one without config.cfg says so, and
    // the tunes read as the built-in shape reads them.
    const ToolRun none =
        tunetool({"text", example("Ringdata.h"), "--index", "2", "--config", empty.path().string()},
                 empty.path());
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.err, "warning: No config.cfg in " + empty.path().string() +
                            ": the tone text uses built-in defaults\n");
    EXPECT_THAT(none.out, Not(HasSubstr("static TONE")));
    const ToolRun pointed = tunetool(
        {"text", example("Ringdata.h"), "--index", "2", "--config", QTE_SOURCE_DIR "/resources"},
        empty.path());
    EXPECT_EQ(pointed.out, withConfig.out);
    const ToolRun noTempo =
        tunetool({"text", example("Ringdata.h"), "--index", "2", "--no-write-tempo"});
    EXPECT_THAT(withConfig.out, HasSubstr("Tempo: 120bpm"));
    EXPECT_THAT(noTempo.out, Not(HasSubstr("Tempo")));
}

// A MIDI file of several lines: info names them and reads the one with the
// most notes; --track and --channel pick another; they are refused for any
// other kind.
TEST(TunetoolMidi, LinesByTrackAndChannel)
{
    test::TempDir dir;
    test::MidiTrackBytes lead;
    lead.name("Lead").on(0, 72).off(96, 72).on(0, 74).off(96, 74);
    test::MidiTrackBytes bass;
    bass.name("Bass").on(0, 36, 1).off(192, 36, 1).on(0, 40, 2).off(96, 40, 2);
    test::writeFileOrDie(dir.file("song.mid"), test::midiFile(1, 96, {lead, bass}));
    test::writeFileOrDie(dir.file("x.rtx"), "Doorbell:d=4,o=5,b=120:4e6,2c6,");
    const std::string song = dir.file("song.mid").string();
    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {{"info", song},
         0,
         "name:    Lead\nID:      LEAD\ntempo:   120 bpm\nnotes:   2\nvibras:  0\nrepeats: 0\n"
         "texts:   0\nlength:  1000 ms\n",
         "warning: The file holds 3 melody lines; track 1, channel 1 (\"Lead\", 2 notes) was "
         "read. The others: track 2, channel 2 (\"Bass\", 1 note), track 2, channel 3 "
         "(\"Bass\", 1 note).\n"},
        {{"info", song, "--track", "2"},
         0,
         "name:    Bass\nID:      BASS\ntempo:   120 bpm\nnotes:   1\nvibras:  0\nrepeats: 0\n"
         "texts:   0\nlength:  1000 ms\n",
         ""},
        {{"info", song, "--track", "2", "--channel", "3"}, 0, "notes:   1\n", ""},
        {{"info", song, "--track", "3"}, 1, "", "The file has no track 3; it has 2 tracks."},
        {{"info", song, "--channel", "17"}, 1, "", "--channel"},
        {{"info", dir.file("x.rtx").string(), "--track", "1"},
         1,
         "",
         "--track and --channel choose a line of a .mid file."},
    };
    for (const Case& c : cases) {
        const ToolRun r = tunetool(c.args);
        SCOPED_TRACE(r.err);
        EXPECT_EQ(r.status, c.status);
        EXPECT_THAT(r.out, HasSubstr(c.out));
        if (*c.err == 0)
            EXPECT_EQ(r.err, "");
        else
            EXPECT_THAT(r.err, HasSubstr(c.err));
    }

    // export writes the MIDI and iMelody kinds like the others.
    const Output r = exportTo({example("Ringdata.h")}, dir.file("out"), "imy");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(filesIn(dir.file("out")), testing::Contains("tone_chime.imy"));
    EXPECT_EQ(exportTo({dir.file("out/tone_chime.imy")}, dir.file("mid"), ".mid").status, 0);
    EXPECT_EQ(filesIn(dir.file("mid")), std::vector<std::string>{"tone_chime.mid"});
}

} // namespace
} // namespace qte
