#include "bad-input/bad_files.h"

#include "formats/midi_bytes.h"
#include "formats/ota.h"
#include "io/files.h"
#include "tune/tune_builder.h"

#include <fcntl.h>
#include <random>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qte::test {

namespace {

constexpr std::string_view kToneLine = "        TONE(AUD_NOTE_C2, TONE_TIME_IN_MS(187))\n";

// n eighth notes at 160 bpm, climbing through the pitches OTA can name.
Tune eighthNotes(int n)
{
    TuneBuilder b;
    for (int i = 0; i < n; ++i)
        b.note(i * 187, (i + 1) * 187, kOtaLowestPitch + i % 48);
    Tune t = b.build();
    t.toneName = "Bad input";
    return t;
}

std::string repeated(std::string_view piece, int times)
{
    std::string s;
    s.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        s += piece;
    return s;
}

std::string withNul(std::string s, std::size_t at)
{
    s.insert(at, 1, '\0');
    return s;
}

// A one-tone text whose body is the given lines.
std::string toneDefinition(std::string_view name, std::string_view body)
{
    return "static TONE tone_" + std::string(name) + "[] =\n{\n" + std::string(body) + "};\n";
}

} // namespace

BadFiles::BadFiles()
{
    const std::filesystem::path d = m_dir.path();
    const std::string config = readFileOrDie(resourcePath("config.cfg"));
    const std::string midihz = readFileOrDie(resourcePath("midihz.ini"));
    // The folder itself, and folders of their own for the odd copies.
    const auto configFolder = [&](const char* name, const std::string& cfg,
                                  const std::string& ini) {
        std::filesystem::create_directories(d / name);
        writeFileOrDie(d / name / "config.cfg", cfg);
        writeFileOrDie(d / name / "midihz.ini", ini);
    };
    configFolder(".", config, midihz);

    // OTA: a valid message, cut or padded.
    const ExportResult ota = ExportOta(eighthNotes(8));
    if (!ota.ok()) throw std::runtime_error("ExportOta: " + ota.error);
    validOta = ota.bytes;
    writeFileOrDie(d / "good.ota", validOta);
    writeFileOrDie(d / "truncated-1.ota", validOta.substr(0, 1));
    writeFileOrDie(d / "truncated-half.ota", validOta.substr(0, validOta.size() / 2));
    writeFileOrDie(d / "truncated-last.ota", validOta.substr(0, validOta.size() - 1));
    writeFileOrDie(d / "oversized.ota", validOta + std::string(1 << 20, '\xff'));
    {
        // Past what is read into memory; sparse, so it costs no disk.
        const int fd = ::open((d / "huge.ota").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(kMaxReadBytes + 4096)) != 0)
            throw std::runtime_error("cannot make huge.ota");
        ::close(fd);
    }
    // The most notes one message can count: more notes never need fewer
    // instructions, so a binary search finds it.
    int fits = 0;
    int failsAt = kMaxNotes + 1;
    while (failsAt - fits > 1) {
        const int n = (fits + failsAt) / 2;
        const ExportResult r = ExportOta(eighthNotes(n));
        (r.ok() && r.warnings.empty() ? fits : failsAt) = n;
    }
    const ExportResult biggest = ExportOta(eighthNotes(fits));
    if (fits == 0 || !biggest.ok()) throw std::runtime_error("no OTA message holds a note");
    biggestOtaNotes = fits;
    writeFileOrDie(d / "biggest.ota", biggest.bytes);

    // Binary bytes where a tone text is expected.
    std::mt19937 random(20261208);
    std::string binary(64 * 1024, '\0');
    for (char& c : binary)
        c = static_cast<char>(random() & 0xff);
    writeFileOrDie(d / "binary.h", binary);
    // The same without a kind in its name: the dialog's filter chooses the reader.
    writeFileOrDie(d / "binary.bin", binary);

    // One 10 MB line: tone lines without line ends, and RTX notes.
    writeFileOrDie(d / "line-10mb.h",
                   repeated(kToneLine.substr(0, kToneLine.size() - 1), 10'000'000 / 47));
    writeFileOrDie(d / "line-10mb.rtx", "long:d=8,o=5,b=160:" + repeated("c,", 5'000'000));

    // NUL bytes inside otherwise good files.
    const std::string oneTone = toneDefinition("nul", repeated(kToneLine, 3));
    writeFileOrDie(d / "nul.h", withNul(oneTone, oneTone.find("TONE_TIME")));
    writeFileOrDie(d / "nul.rtx", withNul("nul:d=4,o=6,b=63:c,d,e,f,", 20));
    writeFileOrDie(d / "nul.evt", withNul("69 0.375000\n64 0.375000\n60 0.750000\n", 15));
    writeFileOrDie(d / "ring-note.h",
                   toneDefinition("ring", "        TONE(RING_NOTE_C2, TONE_TIME_IN_MS(187))\n"));
    configFolder("cfg-nul", withNul(config, config.find("RING_NOTE")), midihz);

    // 5,000 notes in every kind that can hold them.
    writeFileOrDie(d / "many.h", toneDefinition("many", repeated(kToneLine, kManyNotes)));
    writeFileOrDie(d / "many.rtx", "many:d=8,o=5,b=160:" + repeated("c,d,e,f,g,", kManyNotes / 5));
    writeFileOrDie(d / "many.evt", repeated("69 0.100000\n", kManyNotes));
    std::string ringdata;
    for (int i = 1; i <= kManyDefinitions; ++i)
        ringdata += toneDefinition("t" + std::to_string(i), kToneLine);
    writeFileOrDie(d / "ringdata-5000.h", ringdata);

    // Lines of 100,000 characters.
    const std::string longText(kLongLineChars, 'x');
    writeFileOrDie(d / "long-line.h",
                   toneDefinition("long", std::string(kToneLine) + "/*" + longText + "*/\n" +
                                              std::string(kToneLine)));
    writeFileOrDie(d / "long-line.rtx", "l" + longText + ":d=4,o=6,b=63:c,d,e,");
    std::string longConfig = config;
    longConfig.replace(longConfig.find("RING_NOTE"), 9, "RING_NOTE" + longText);
    configFolder("cfg-long", longConfig, midihz);
    configFolder("ini-long", config,
                 midihz + "69,4" + std::string(kLongLineChars, '0') + "\n" + "; " + longText +
                     "\n");

    // MIDI files: good, cut, lying about their lengths, with nothing in
    // them, counting frames, of format 2, with a running status that never
    // ends, with 5,000 notes.
    test::MidiTrackBytes conductor;
    conductor.name("Bad input").tempo(0, 375000);
    test::MidiTrackBytes lead;
    for (int i = 0; i < 8; ++i)
        lead.on(0, 60 + i).off(48, 60 + i);
    const std::string goodMidi = test::midiFile(1, 96, {conductor, lead});
    writeFileOrDie(d / "good.mid", goodMidi);
    writeFileOrDie(d / "truncated.mid", goodMidi.substr(0, goodMidi.size() - 10));
    writeFileOrDie(d / "past-end.mid", test::midiHeader(0, 1, 96) + "MTrk" + test::midiU32(1000) +
                                           lead.chunk().substr(8));
    writeFileOrDie(d / "zero-tracks.mid", test::midiHeader(1, 0, 96));
    writeFileOrDie(d / "length-100mb.mid",
                   test::midiHeader(0, 1, 96) + "MTrk" + test::midiU32(100u << 20) + lead.chunk());
    writeFileOrDie(d / "smpte.mid", test::midiHeader(0, 1, 0xE728) + lead.chunk());
    writeFileOrDie(d / "format2.mid", test::midiHeader(2, 1, 96) + lead.chunk());
    writeFileOrDie(d / "running-status.mid",
                   test::midiHeader(0, 1, 96) +
                       test::midiChunk("MTrk", test::midiBytes({0, 0x90, 60, 90}) +
                                                   repeated(test::midiBytes({1, 60, 90}), 400000)));
    test::MidiTrackBytes many;
    for (int i = 0; i < kManyNotes; ++i)
        many.on(0, 60 + i % 12).off(12, 60 + i % 12);
    writeFileOrDie(d / "many.mid", test::midiFile(0, 96, {many}));

    // iMelody files: no BEGIN line, a NUL in the melody, a repeat for ever
    // and one never closed, a line of 100,000 characters, 5,000 notes.
    const std::string imyHead = "BEGIN:IMELODY\r\nVERSION:1.2\r\nFORMAT:CLASS1.0\r\n";
    const std::string imyEnd = "\r\nEND:IMELODY\r\n";
    writeFileOrDie(d / "good.imy", imyHead + "BEAT:160\r\nMELODY:c3d3e3f3g3a3b3*5c3" + imyEnd);
    writeFileOrDie(d / "no-begin.imy", "VERSION:1.2\r\nMELODY:c3d3" + imyEnd);
    writeFileOrDie(d / "nul.imy", withNul(imyHead + "MELODY:c3d3e3" + imyEnd, imyHead.size() + 8));
    writeFileOrDie(d / "forever.imy", imyHead + "MELODY:(c3d3@0)e3" + imyEnd);
    writeFileOrDie(d / "unclosed.imy", imyHead + "MELODY:c3(d3e3" + imyEnd);
    writeFileOrDie(d / "long-line.imy",
                   imyHead + "X-NOTE:" + longText + "\r\nMELODY:c3d3e3" + imyEnd);
    writeFileOrDie(d / "many.imy",
                   imyHead + "MELODY:" + repeated("c5d5e5f5g5", kManyNotes / 5) + imyEnd);

    // Paths that are no readable file.
    std::filesystem::create_directory(d / "folder.h");
    std::filesystem::create_directory(d / "folder.ota");
    writeFileOrDie(d / "no-read.h", oneTone);
    std::filesystem::permissions(d / "no-read.h", std::filesystem::perms::none);
    // A file name tunetool can write, on a device that takes no bytes.
    std::filesystem::create_symlink("/dev/full", d / "full.ota");
}

const BadFiles& badFiles()
{
    static const BadFiles files;
    return files;
}

} // namespace qte::test
