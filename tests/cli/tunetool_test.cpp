// tunetool on the example files: most cases call the commands directly, a
// few run the built binary to check its command line, its exit status and
// that it reads config.cfg from the directory it starts in.

#include "cli/commands.h"
#include "config/text_config.h"
#include "support/testsupport.h"
#include "support/tool_run.h"
#include "tune/ringdata_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

// Runs tunetool in dir with the arguments, capturing both streams.
ToolRun tunetool(const std::vector<std::string>& args, const std::filesystem::path& dir)
{
    ToolRun r = test::runTunetool(args, dir);
    EXPECT_TRUE(r.exited) << r.how;
    return r;
}

// The build folder holds a copy of config.cfg.
ToolRun tunetool(const std::vector<std::string>& args)
{
    return tunetool(args, QTE_BINARY_DIR);
}

std::string example(const char* name)
{
    return test::resourcePath(std::string("examples/") + name).string();
}

TEST(Tunetool, ListsTheCatalogue)
{
    const ToolRun r = tunetool({"list", example("Ringdata.h")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1  tone_morning[]  lines 10-23\n"
                     "2  tone_chime[]    lines 26-37\n"
                     "3  tone_office[]   lines 40-54\n"
                     "4  tone_waltz[]    lines 58-67\n"
                     "5  tone_plain[]    lines 70-77\n");
    EXPECT_EQ(r.err, "");
}

TEST(Tunetool, BadInputEndsWithStatusOne)
{
    struct Case {
        const char* name;
        std::vector<std::string> args;
        const char* err;
    };
    const Case cases[] = {
        {"missing file", {"list", "/nonexistent/Ringdata.h"}, "Ringdata.h"},
        {"a folder", {"list", QTE_SOURCE_DIR "/resources"}, "resources"},
        {"no file named", {"list"}, "FILE"},
        {"unknown command", {"play"}, "subcommand"},
        {"no command", {}, "subcommand"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun r = tunetool(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_THAT(r.err, HasSubstr(c.err));
        EXPECT_EQ(r.out.find("lines"), std::string::npos);
    }
}

TEST(Tunetool, HelpForEachCommand)
{
    struct Case {
        std::vector<std::string> args;
        std::vector<const char*> mentions;
    };
    const Case cases[] = {
        {{"--help"}, {"list", "text", "info", "convert", "export", "config.cfg", "midihz.ini"}},
        {{"list", "--help"}, {"FILE"}},
        {{"text", "--help"},
         {"FILE", "--tune", "--index", "--write-tempo", "--no-write-tempo", "--default-parts",
          "--style", "--keep-natural", "--config"}},
        {{"info", "--help"}, {"FILE", "--tune", "--index", "length", "--config"}},
        {{"convert", "--help"},
         {"IN", "OUT", ".wav", "--polite", "--write-tempo", "--default-parts", "--style"}},
        {{"export", "--help"}, {"FILES", "--to", "--as", "--polite", "--write-tempo", "--config"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        const ToolRun r = tunetool(c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        for (const char* m : c.mentions)
            EXPECT_THAT(r.out, HasSubstr(m));
    }
}

TEST(Tunetool, EmptyCatalogueIsNoError)
{
    test::TempDir dir;
    test::writeFileOrDie(dir.file("empty.h"), "/* nothing here */\n");
    const ToolRun r = tunetool({"list", dir.file("empty.h").string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, HasSubstr("no tone definitions"));
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

// A command that prints to out and err, called on one file.
using PrintingCommand = int (*)(const std::filesystem::path&, const CommandOptions&, std::ostream&,
                                std::ostream&);
Output printing(PrintingCommand command, const std::filesystem::path& file,
                const CommandOptions& options)
{
    std::ostringstream out;
    std::ostringstream err;
    Output r;
    r.status = command(file, options, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}
Output text(const std::filesystem::path& file, const CommandOptions& options = exampleOptions())
{
    return printing(cli::runText, file, options);
}
Output info(const std::filesystem::path& file, const CommandOptions& options = exampleOptions())
{
    return printing(cli::runInfo, file, options);
}

Output convert(const std::filesystem::path& in, const std::filesystem::path& out,
               const CommandOptions& options = exampleOptions())
{
    std::ostringstream err;
    Output r;
    r.status = cli::runConvert(in, out, options, err);
    r.err = err.str();
    return r;
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
    const char* name;
    const char* ownLine;
};
constexpr CatalogueCase kCatalogue[] = {
    {1, "tone_morning[]", "        TONE(AUD_NOTE_C3, TONE_TIME_IN_MS(750))\n"},
    {2, "tone_chime[]", "        REPEAT_BEGIN(3)\n"},
    {3, "tone_office[]", "        FREQ_DEFINE((1200), (1600), (2400))\n"},
    {4, "tone_waltz[]", "        TONE(AUD_NOTE_D2, TONE_TIME_IN_MS(187))\n"},
    {5, "tone_plain[]", "        TONE(AUD_NOTE_E3, TONE_TIME_IN_MS(400))\n"},
};

std::string withoutBrackets(const std::string& name)
{
    return name.substr(0, name.size() - 2);
}

TEST(TunetoolText, SingleToneFile)
{
    const Output r = text(example("single_tone.h"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // The notes, the pause and the comment of the file come back in its
    // layout, inside config.cfg's header (placeholders filled) and footer.
    std::istringstream source(test::readFileOrDie(example("single_tone.h")));
    std::string line;
    int bodyLines = 0;
    while (std::getline(source, line)) {
        if (line.find("TONE(") == std::string::npos && line.find("ding") == std::string::npos)
            continue;
        ++bodyLines;
        EXPECT_THAT(r.out, HasSubstr("\n" + line + "\n"));
    }
    EXPECT_EQ(bodyLines, 6);
    EXPECT_THAT(r.out, ::testing::StartsWith("/* Undefined (UNDF) */\n"
                                             "static TONE tone_undefined[] =\n{\n"));
    EXPECT_THAT(r.out, ::testing::EndsWith("\n};\n"));
}

TEST(TunetoolText, EachCatalogueTuneByNameAndByIndex)
{
    for (const CatalogueCase& c : kCatalogue) {
        SCOPED_TRACE(c.name);
        const Output byIndex = text(example("Ringdata.h"), choosing({}, c.index));
        EXPECT_EQ(byIndex.status, 0) << byIndex.err;
        EXPECT_EQ(byIndex.err, "");
        EXPECT_THAT(byIndex.out, HasSubstr(c.ownLine));
        for (const CatalogueCase& other : kCatalogue) {
            if (other.index != c.index) {
                EXPECT_THAT(byIndex.out, Not(HasSubstr(other.ownLine)));
            }
        }
        for (const std::string& name : {std::string(c.name), withoutBrackets(c.name)}) {
            const Output byName = text(example("Ringdata.h"), choosing(name, {}));
            EXPECT_EQ(byName.status, 0) << name;
            EXPECT_EQ(byName.out, byIndex.out) << name;
        }
    }
}

TEST(TunetoolText, ChoicesThatNameNoTuneFail)
{
    struct Case {
        const char* name;
        const char* file;
        std::optional<std::string> tune;
        std::optional<int> index;
        std::vector<const char*> err;
    };
    const Case cases[] = {
        {"no choice in a file of five",
         "Ringdata.h",
         {},
         {},
         {"--tune", "--index", "tone_plain[]"}},
        {"index past the end", "Ringdata.h", {}, 6, {"no tune number 6", "tone_morning[]"}},
        {"index 0", "Ringdata.h", {}, 0, {"no tune number 0"}},
        {"unknown name", "Ringdata.h", "tone_nope", {}, {"\"tone_nope\"", "tone_chime[]"}},
        {"name in another case", "Ringdata.h", "TONE_CHIME", {}, {"\"TONE_CHIME\""}},
        {"single-tone file, second tune", "single_tone.h", {}, 2, {"no tune number 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
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

TEST(TunetoolText, OptionsOfTheGeneratedText)
{
    struct Case {
        const char* name;
        bool writeTempo;
        bool defaultParts;
        bool tempoLine;
        bool partLines;
    };
    const Case cases[] = {
        {"as the editor starts", true, false, true, false},
        {"no tempo", false, false, false, false},
        {"default parts", true, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CommandOptions o = exampleOptions();
        o.tune.writeTempo = c.writeTempo;
        o.tune.addDefaultParts = c.defaultParts;
        const Output r = text(example("single_tone.h"), o);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.out.find("/*Tempo: 160bpm*/") != std::string::npos, c.tempoLine);
        EXPECT_EQ(r.out.find("VOLUME_SET(AUD_VOLUME_RING),") != std::string::npos, c.partLines);
        EXPECT_EQ(r.out.find("VOLUME_RESTORE,") != std::string::npos, c.partLines);
    }
}

TEST(TunetoolText, ConfigFolderGivesTheHeader)
{
    // A folder without config.cfg: no header or footer, and no complaint.
    test::TempDir empty;
    CommandOptions o;
    o.configFolder = empty.path();
    const Output r = text(example("single_tone.h"), o);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_THAT(r.out, HasSubstr("TONE(AUD_NOTE_E2, TONE_TIME_IN_MS(375))"));
    EXPECT_THAT(r.out, Not(HasSubstr("static TONE")));
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
        const char* out;
    };
    const Case cases[] = {
        {example("single_tone.h"), exampleOptions(),
         "name:    Undefined\nID:      UNDF\ntempo:   160 bpm\nnotes:   4\nvibras:  0\n"
         "repeats: 0\ntexts:   1\nlength:  2625 ms\n"},
        {example("Ringdata.h"), choosing("tone_morning", {}),
         "name:    Undefined\nID:      UNDF\ntempo:   160 bpm\nnotes:   6\nvibras:  2\n"
         "repeats: 0\ntexts:   0\nlength:  2060 ms\n"},
        {example("Ringdata.h"), choosing({}, 2),
         "name:    Undefined\nID:      UNDF\ntempo:   120 bpm\nnotes:   4\nvibras:  0\n"
         "repeats: 2\ntexts:   0\nlength:  1750 ms\n"},
        {dir.file("tail.h"), exampleOptions(),
         "name:    Undefined\nID:      UNDF\ntempo:   80 bpm\nnotes:   1\nvibras:  0\n"
         "repeats: 0\ntexts:   1\nlength:  875 ms\n"},
        {dir.file("pause.h"), exampleOptions(),
         "name:    Undefined\nID:      UNDF\ntempo:   80 bpm\nnotes:   1\nvibras:  0\n"
         "repeats: 0\ntexts:   0\nlength:  375 ms\n"},
        {dir.file("x.rtx"), exampleOptions(),
         "name:    Doorbell\nID:      DOOR\ntempo:   120 bpm\nnotes:   2\nvibras:  0\n"
         "repeats: 0\ntexts:   0\nlength:  1500 ms\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.filename().string());
        const Output r = info(c.file, c.options);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.out);
    }
}

TEST(TunetoolConvert, ToneTextFileHoldsWhatTextPrints)
{
    struct Case {
        const char* name;
        const char* file;
        std::optional<int> index;
    };
    std::vector<Case> cases = {{"single_tone.h", "single_tone.h", {}}};
    for (const CatalogueCase& c : kCatalogue)
        cases.push_back({c.name, "Ringdata.h", c.index});
    test::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandOptions o = choosing({}, c.index);
        const Output printed = text(example(c.file), o);
        ASSERT_EQ(printed.status, 0);
        const Output converted = convert(example(c.file), dir.file("out.h"), o);
        EXPECT_EQ(converted.status, 0) << converted.err;
        EXPECT_EQ(converted.err, "");
        EXPECT_EQ(test::readFileOrDie(dir.file("out.h")), printed.out);
        // The written file reads back to the same text.
        EXPECT_EQ(text(dir.file("out.h")).out, printed.out);
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

TEST(TunetoolConvert, RtxEventChainKeepsTheNotes)
{
    // Tunes of plain notes whose lengths are note values at their tempo
    // (the waltz's 187 ms at 120 bpm is not one, and the office's custom
    // notes become plain pitches in RTX).
    struct Case {
        const char* file;
        std::optional<int> index;
    };
    const Case cases[] = {
        {"single_tone.h", {}}, {"Ringdata.h", 1}, {"Ringdata.h", 2}, {"Ringdata.h", 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.index.value_or(0)));
        test::TempDir dir;
        const std::vector<std::filesystem::path> chain = {example(c.file), dir.file("a.rtx"),
                                                          dir.file("b.EVT"), dir.file("c.h")};
        for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
            const Output r =
                convert(chain[i], chain[i + 1], choosing({}, i == 0 ? c.index : std::nullopt));
            ASSERT_EQ(r.status, 0) << r.err;
        }
        const std::vector<NoteTimes> before = notesOf(test::readFileOrDie(chain.front()), c.index);
        EXPECT_GT(before.size(), 1u);
        EXPECT_EQ(notesOf(test::readFileOrDie(chain.back()), {}), before);
    }
}

std::uint32_t le32(const std::string& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

std::uint16_t le16(const std::string& b, std::size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

// Checks the 44-byte RIFF header of 8-bit mono PCM at 44,100 Hz and returns
// the number of samples.
std::size_t waveSamples(const std::string& wav)
{
    EXPECT_GT(wav.size(), 44u);
    if (wav.size() <= 44u) return 0;
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(le32(wav, 4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le32(wav, 16), 16u);
    EXPECT_EQ(le16(wav, 20), 1u);     // PCM
    EXPECT_EQ(le16(wav, 22), 1u);     // mono
    EXPECT_EQ(le32(wav, 24), 44100u); // samples per second
    EXPECT_EQ(le32(wav, 28), 44100u); // bytes per second
    EXPECT_EQ(le16(wav, 32), 1u);     // bytes per sample
    EXPECT_EQ(le16(wav, 34), 8u);     // bits per sample
    EXPECT_EQ(wav.substr(36, 4), "data");
    EXPECT_EQ(le32(wav, 40), wav.size() - 44);
    return wav.size() - 44;
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
    const std::filesystem::path tune = dir.file("tune.h");
    std::filesystem::copy_file(example("single_tone.h"), tune);
    test::writeFileOrDie(dir.file("plain"), "a file, not a folder");
    std::filesystem::create_directory(dir.file("folder.h"));
    std::string longEvents;
    for (int i = 0; i < 600; ++i)
        longEvents += "69 0.100000\n0 0.100000\n";
    test::writeFileOrDie(dir.file("long.evt"), longEvents);
    struct Case {
        const char* name;
        std::filesystem::path in;
        std::filesystem::path out;
        std::vector<std::string> err;
    };
    const Case cases[] = {
        {"missing input",
         dir.file("none.h"),
         dir.file("out.rtx"),
         {"Cannot open \"" + dir.file("none.h").string() + "\": No such file or directory"}},
        {"input of unknown kind", dir.file("plain"), dir.file("out.rtx"), {"reads .h, .ota"}},
        {"WAV input", dir.file("x.wav"), dir.file("out.rtx"), {"reads .h, .ota"}},
        {"output of unknown kind",
         tune,
         dir.file("out.mid"),
         {"\"" + dir.file("out.mid").string() + "\"", "writes .h"}},
        {"output in a missing folder", tune, dir.file("missing/out.h"), {"Cannot", "out.h"}},
        {"output under a file", tune, dir.file("plain/out.rtx"), {"Cannot", "out.rtx"}},
        {"output over a folder", tune, dir.file("folder.h"), {"folder.h"}},
        {"tone text too long to save",
         dir.file("long.evt"),
         dir.file("long.h"),
         {"Cannot save \"" + dir.file("long.h").string() +
          "\": the tone text is longer than 1000 lines"}},
    };
    const std::vector<std::string> before = filesIn(dir.path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Output r = convert(c.in, c.out);
        EXPECT_EQ(r.status, 1);
        EXPECT_THAT(r.err, HasSubstr("error: "));
        for (const std::string& e : c.err)
            EXPECT_THAT(r.err, HasSubstr(e));
        EXPECT_EQ(filesIn(dir.path()), before);
    }
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.h")));
    EXPECT_EQ(test::readFileOrDie(dir.file("plain")), "a file, not a folder");
}

TEST(TunetoolConvert, ChoiceIsOnlyForToneTexts)
{
    test::TempDir dir;
    ASSERT_EQ(convert(example("single_tone.h"), dir.file("a.ota")).status, 0);
    const Output r = convert(dir.file("a.ota"), dir.file("b.rtx"), choosing({}, 1));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("--tune and --index"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("b.rtx")));
    // Without the choice the OTA file reads back to the same notes.
    ASSERT_EQ(convert(dir.file("a.ota"), dir.file("b.h")).status, 0);
    EXPECT_EQ(notesOf(test::readFileOrDie(dir.file("b.h")), {}),
              notesOf(test::readFileOrDie(example("single_tone.h")), {}));
}

Output exportTo(const std::vector<std::filesystem::path>& files,
                const std::filesystem::path& folder, const std::string& kind)
{
    std::ostringstream out;
    std::ostringstream err;
    Output r;
    r.status = cli::runExport(files, folder, kind, exampleOptions(), out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
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
        SCOPED_TRACE(c.name);
        const std::string stem = std::string(c.name).substr(0, std::strlen(c.name) - 2);
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

// The binary itself: its options, its start directory and a WAV file.

TEST(Tunetool, OptionsOutOfRangeAreRefused)
{
    struct Case {
        std::vector<std::string> args;
        const char* err;
    };
    const Case cases[] = {
        {{"text", example("single_tone.h"), "--style", "4"}, "--style"},
        {{"text", example("single_tone.h"), "--style", "-1"}, "--style"},
        {{"text", example("Ringdata.h"), "--index", "0"}, "--index"},
        {{"info", example("Ringdata.h"), "--index", "x"}, "--index"},
        {{"text", example("Ringdata.h"), "--index", "1", "--tune", "tone_plain"}, "excludes"},
        {{"convert", example("single_tone.h")}, "OUT"},
        {{"info", example("Ringdata.h"), "--polite"}, "--polite"},
        {{"export", example("Ringdata.h"), "--as", "ota"}, "--to"},
        {{"export", example("Ringdata.h"), "--to", "x", "--as", "ota", "--index", "2"},
         "use convert"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const ToolRun r = tunetool(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_THAT(r.err, HasSubstr(c.err));
    }
}

TEST(Tunetool, ReadsConfigFromItsStartDirectory)
{
    // The build folder holds our config.cfg, an empty folder none.
    const ToolRun withConfig = tunetool({"text", example("Ringdata.h"), "--tune", "tone_chime"});
    EXPECT_EQ(withConfig.status, 0) << withConfig.err;
    EXPECT_EQ(withConfig.out, text(example("Ringdata.h"), choosing("tone_chime", {})).out);
    test::TempDir empty;
    const ToolRun without = tunetool({"text", example("Ringdata.h"), "--index", "2"}, empty.path());
    EXPECT_EQ(without.status, 0) << without.err;
    EXPECT_THAT(without.out, Not(HasSubstr("static TONE")));
    const ToolRun pointed = tunetool(
        {"text", example("Ringdata.h"), "--index", "2", "--config", QTE_SOURCE_DIR "/resources"},
        empty.path());
    EXPECT_EQ(pointed.out, withConfig.out);
    const ToolRun noTempo =
        tunetool({"text", example("Ringdata.h"), "--index", "2", "--no-write-tempo"});
    EXPECT_THAT(withConfig.out, HasSubstr("Tempo: 120bpm"));
    EXPECT_THAT(noTempo.out, Not(HasSubstr("Tempo")));
}

TEST(Tunetool, ConvertsToWave)
{
    test::TempDir dir;
    const std::string wav = dir.file("doorbell.wav").string();
    const ToolRun r = tunetool({"convert", example("single_tone.h"), wav});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::size_t samples = waveSamples(test::readFileOrDie(wav));
    EXPECT_NEAR(static_cast<double>(samples) / 44100.0, 2.625, 0.001);
    if (std::system("command -v soxi >/dev/null 2>&1") != 0) return;
    const std::string seconds = dir.file("seconds").string();
    ASSERT_EQ(
        std::system(
            ("soxi -D " + test::shellQuoted(wav) + " >" + test::shellQuoted(seconds)).c_str()),
        0);
    EXPECT_NEAR(std::stod(test::readFileOrDie(seconds)), static_cast<double>(samples) / 44100.0,
                0.0001);
}

TEST(Tunetool, ErrorsOfConvert)
{
    test::TempDir dir;
    const ToolRun missing =
        tunetool({"convert", dir.file("none.rtx").string(), dir.file("x.h").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, HasSubstr("error: Cannot open \"" + dir.file("none.rtx").string()));
    const ToolRun several = tunetool({"convert", example("Ringdata.h"), dir.file("x.h").string()});
    EXPECT_EQ(several.status, 1);
    EXPECT_THAT(several.err, HasSubstr("holds 5 tunes"));
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{});
}

} // namespace
} // namespace qte
