#include "sound/wave_file.h"

#include "config/text_config.h"
#include "support/testsupport.h"
#include "tune/tune.h"
#include "tune/tune_builder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qte {
namespace {

std::optional<std::string> runCommand(const std::string& command)
{
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string out;
    std::array<char, 256> buf{};
    while (std::fgets(buf.data(), buf.size(), pipe))
        out += buf.data();
    if (::pclose(pipe) != 0) return std::nullopt;
    return out;
}

const TextConfig kConfig;
const NoteFrequencyTable kHz = BuildNoteFrequencies(DefaultFrequencyTable());

TEST(WaveFile, HeaderOfAThousandSamples)
{
    const std::vector<std::uint8_t> samples(1000, 0x80);
    const std::string bytes = waveFileBytes(samples);
    const unsigned char header[44] = {
        'R',  'I',  'F', 'F', 0x0C, 0x04, 0,   0,                      // 1036
        'W',  'A',  'V', 'E', 'f',  'm',  't', ' ', 16, 0, 0, 0, 1, 0, // PCM
        1,    0,                                                       // one channel
        0x44, 0xAC, 0,   0,                                            // 44100 samples a second
        0x44, 0xAC, 0,   0,                                            // 44100 bytes a second
        1,    0,    8,   0,                                            // block alignment, bits
        'd',  'a',  't', 'a', 0xE8, 0x03, 0,   0,                      // 1000
    };
    EXPECT_EQ(bytes.substr(0, 44), std::string(reinterpret_cast<const char*>(header), 44));
    EXPECT_EQ(bytes.substr(44), std::string(1000, '\x80'));
}

TEST(WaveFile, WritesTheRenderedTune)
{
    test::TempDir dir;
    Tune tune = test::TuneBuilder().note(500, 1000, 69).build();
    const auto path = dir.file("tune.wav");
    ASSERT_FALSE(writeWaveFile(path, tune, kConfig, kHz, RenderOptions{}));
    const RenderResult sound = renderTune(tune, kConfig, kHz, RenderOptions{});
    ASSERT_TRUE(sound.ok());
    EXPECT_EQ(test::readFileOrDie(path),
              waveFileBytes(std::span(sound.pcm).first(sound.sampleCount)));

    // Played politely the prefix is part of the file.
    const WaveFileResult polite = renderWaveFile(tune, kConfig, kHz, RenderOptions{true});
    ASSERT_TRUE(polite.bytes);
    EXPECT_EQ(polite.bytes->size(), 44u + 44099u + 137591u + 132299u + 44099u);
}

TEST(WaveFile, NothingToRenderIsReportedAndWritesNothing)
{
    test::TempDir dir;
    const auto path = dir.file("empty.wav");
    Tune empty;
    const std::optional<FileError> err = writeWaveFile(path, empty, kConfig, kHz, RenderOptions{});
    ASSERT_TRUE(err);
    EXPECT_EQ(err->message, "Cannot save \"" + path.string() +
                                "\": The tune has no sound to save: add a note first.");
    EXPECT_FALSE(std::filesystem::exists(path));

    // A failed rendering leaves an earlier export as it was.
    test::writeFileOrDie(path, "earlier");
    Tune overlapping = test::TuneBuilder().note(0, 1000, 69).note(500, 600, 69).build();
    const std::optional<FileError> overrun =
        writeWaveFile(path, overlapping, kConfig, kHz, RenderOptions{});
    ASSERT_TRUE(overrun);
    EXPECT_NE(overrun->message.find("access violation"), std::string::npos);
    EXPECT_EQ(test::readFileOrDie(path), "earlier");

    Tune one = test::TuneBuilder().note(0, 100, 69).build();
    EXPECT_TRUE(writeWaveFile(dir.file("missing") / "x.wav", one, kConfig, kHz, RenderOptions{}));
}

// A second reader of our WAV files: sox, which tools downstream use.
TEST(WaveFile, SoxReadsTheFile)
{
    if (std::system("command -v soxi >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "soxi is not installed (Debian package sox); the WAV file is not "
                        "checked by a second reader";
    }
    test::TempDir dir;
    Tune tune = test::TuneBuilder().note(0, 1000, 69).note(1000, 2000, 72).build();
    const auto path = dir.file("two notes.wav");
    ASSERT_FALSE(writeWaveFile(path, tune, kConfig, kHz, RenderOptions{}));
    const std::string quoted = "'" + path.string() + "'";
    std::string command;
    for (const char* what : {"-s", "-D", "-r", "-c", "-b", "-e"})
        command += std::string("soxi ") + what + " " + quoted + " && ";
    const auto info = runCommand(command + "true");
    ASSERT_TRUE(info) << "soxi could not read the file";
    // Samples (trunc(2000 * 44.1f)), seconds, rate, channels, bits and encoding.
    EXPECT_EQ(*info, "88199\n1.999977\n44100\n1\n8\nUnsigned Integer PCM\n");
}

} // namespace
} // namespace qte
