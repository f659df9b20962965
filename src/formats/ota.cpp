#include "formats/ota.h"

#include "formats/bit_reader.h"
#include "formats/bit_writer.h"
#include "formats/staged_import.h"
#include "io/files.h"
#include "tune/tempo.h"
#include "tune/tune.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace qte {

namespace {

constexpr std::uint8_t kCommandParts = 2;
constexpr std::uint8_t kRingingToneCommand = 0x25;
constexpr std::uint8_t kSoundCommand = 0x1D;
constexpr std::uint8_t kBasicSong = 1;
constexpr std::uint8_t kExportVolume = 7;
constexpr float kLengthTolerance = 0.001f;
constexpr float kPauseMargin = 0.01f;
constexpr float kNaturalGapMs = 20.0f;
constexpr float kStaccatoMaxMs = 50.0f;
constexpr std::int32_t kImportWholeNoteMs = 500; // until the file gives a tempo

// Length factor of each duration specifier.
constexpr float kSpecifierFactor[4] = {1.0f, 1.5f, 1.75f, 0.67f};

float durationBase(int duration)
{
    return 1.0f / static_cast<float>(1u << duration);
}

std::string formatUnits(float units)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3f", static_cast<double>(units));
    std::string s = buf;
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    return s;
}

// The tone name cut to what the title field holds, never inside a UTF-8
// character.
std::string otaTitle(const std::string& toneName)
{
    std::size_t n = std::min(toneName.size(), kOtaMaxTitleChars);
    if (n < toneName.size())
        while (n > 0 && (static_cast<unsigned char>(toneName[n]) & 0xC0) == 0x80)
            --n;
    return toneName.substr(0, n);
}

std::optional<OtaLengthCode> matchLength(float x, float shorter, OtaStyle style)
{
    for (int d = 0; d <= 5; ++d) {
        const float base = durationBase(d);
        for (int s = 0; s < 4; ++s) {
            if (std::fabs(x - (kSpecifierFactor[s] * base - shorter)) < kLengthTolerance)
                return OtaLengthCode{static_cast<std::uint8_t>(d), static_cast<std::uint8_t>(s),
                                     style};
        }
    }
    return std::nullopt;
}

// Writes instructions and counts them; refuses any beyond what the count
// field holds, so a runaway pause cannot loop for long.
class InstructionWriter {
public:
    explicit InstructionWriter(BitWriter& w) : m_w(w) {}

    bool tempo(int index) { return begin(OtaInstruction::Tempo) && put(5, index); }
    bool volume(int v) { return begin(OtaInstruction::Volume) && put(4, v); }
    bool style(OtaStyle s) { return begin(OtaInstruction::Style) && put(2, static_cast<int>(s)); }
    bool scale(int s) { return begin(OtaInstruction::Scale) && put(2, s); }
    bool note(int value, int duration, int specifier)
    {
        return begin(OtaInstruction::Note) && put(4, value) && put(3, duration) &&
               put(2, specifier);
    }

    // Pause notes, longest first; what is left under a thirty-second note
    // is dropped.
    bool pause(float units)
    {
        float x = units / 32.0f;
        for (int d = 0; d <= 5; ++d) {
            const float base = durationBase(d);
            while (x > base - kPauseMargin) {
                if (!note(0, d, 0)) return false;
                x -= base;
            }
        }
        return true;
    }

    [[nodiscard]] int count() const { return m_count; }
    [[nodiscard]] bool overflowed() const { return m_overflow; }

private:
    bool begin(OtaInstruction id)
    {
        if (m_count >= kOtaMaxInstructions) {
            m_overflow = true;
            return false;
        }
        ++m_count;
        return put(3, static_cast<int>(id));
    }
    bool put(int n, int value)
    {
        m_w.putBits(n, static_cast<std::uint8_t>(value));
        return true;
    }

    BitWriter& m_w;
    int m_count = 0;
    bool m_overflow = false;
};

} // namespace

int NearestTempoIndex(std::int32_t bpm)
{
    int best = 0;
    std::int64_t bestDiff = -1;
    for (int i = 0; i < static_cast<int>(kOtaTempoTable.size()); ++i) {
        const std::int64_t diff = std::llabs(static_cast<std::int64_t>(bpm) - kOtaTempoTable[i]);
        if (bestDiff < 0 || diff < bestDiff) {
            best = i;
            bestDiff = diff;
        }
    }
    return best;
}

std::optional<OtaLengthCode> ClassifyLength(float lengthUnits, float msPerUnit)
{
    const float x = lengthUnits / 32.0f;
    if (auto code = matchLength(x, 0.0f, OtaStyle::Continuous)) return code;
    return matchLength(x, kNaturalGapMs / (msPerUnit * 32.0f), OtaStyle::Natural);
}

ExportResult ExportOta(const Tune& tune)
{
    ExportResult result;
    BitWriter w;
    w.putBits(8, kCommandParts);
    w.putBits(7, kRingingToneCommand);
    w.putBits(1, 0);
    w.putBits(7, kSoundCommand);
    w.putBits(3, kBasicSong);
    const std::string title = otaTitle(tune.toneName);
    w.putBits(4, static_cast<std::uint8_t>(title.size()));
    for (char c : title)
        w.putBits(8, static_cast<std::uint8_t>(c));
    w.putBits(8, 1); // one pattern in the song
    w.putBits(3, static_cast<std::uint8_t>(OtaInstruction::PatternHeader));
    w.putBits(2, 0); // pattern id
    w.putBits(4, 0); // play once
    const std::size_t countField = w.bitCount();
    w.putBits(8, 0);

    InstructionWriter out(w);
    bool room = out.tempo(NearestTempoIndex(tune.tempoBpm)) && out.volume(kExportVolume);

    const float mpu = tune.msPerUnit;
    std::optional<OtaStyle> styleInForce;
    int scaleInForce = 0;
    float previousEnd = 0.0f;
    bool previousNatural = false;
    int outOfRange = 0;
    const int last = std::min(tune.noteCount, kMaxNotes);
    for (int i = 1; i <= last && room; ++i) {
        const NoteRecord& n = tune.noteTable[i];
        // A note left out is silence: the next note's pause covers its time.
        if (n.pitch < kOtaLowestPitch || n.pitch > kOtaHighestPitch) {
            ++outOfRange;
            continue;
        }
        const float length = n.endUnits - n.startUnits;
        const auto code = ClassifyLength(length, mpu);
        if (!code) {
            result.warnings.push_back("Note " + std::to_string(i) + " is " + formatUnits(length) +
                                      " units long, a length an OTA file cannot hold; it was "
                                      "left out.");
            continue;
        }
        float gap = n.startUnits - previousEnd;
        if (previousNatural) gap -= kNaturalGapMs / mpu;
        if (gap > 0.0f) room = out.pause(gap);

        int value = n.pitch - 59;
        int scale = 0;
        if (value > 12) {
            scale = (value - 1) / 12;
            value -= 12 * scale;
        }
        if (room && styleInForce != code->style) {
            room = out.style(code->style);
            styleInForce = code->style;
        }
        if (room && scale != scaleInForce) {
            room = out.scale(scale);
            scaleInForce = scale;
        }
        if (room) room = out.note(value, code->duration, code->specifier);
        previousEnd = n.endUnits;
        previousNatural = code->style == OtaStyle::Natural;
    }

    if (out.overflowed()) {
        result.error = "The tune needs more than the " + std::to_string(kOtaMaxInstructions) +
                       " instructions an OTA file can hold (notes, pauses and changes of style "
                       "or octave); it was not saved.";
        result.warnings.clear();
        return result;
    }
    if (outOfRange > 0) {
        const bool one = outOfRange == 1;
        result.warnings.push_back(std::to_string(outOfRange) + (one ? " note lies" : " notes lie") +
                                  " outside the pitches an OTA file can hold (" +
                                  std::to_string(kOtaLowestPitch) + " to " +
                                  std::to_string(kOtaHighestPitch) + "); " +
                                  (one ? "its" : "their") + " time was saved as a pause.");
    }
    w.patchBits(countField, 8, static_cast<std::uint8_t>(out.count()));
    w.putBits(8, 0); // end marker
    result.bytes = w.completedBytes();
    return result;
}

ExportResult ExportOtaFile(const Tune& tune, const std::filesystem::path& path)
{
    ExportResult result = ExportOta(tune);
    if (!result.ok()) return result;
    if (auto err = writeFileAtomically(path, result.bytes)) result.error = err->message;
    return result;
}

namespace {

class OtaParser {
public:
    OtaParser(std::string_view bytes, Tune& tune, NoteLengthState& length, std::int32_t styleMode)
        : m_bytes(bytes), m_bits(bytes), m_tune(tune), m_length(length), m_styleMode(styleMode)
    {}

    // Fills the tune; false with error set when the message is unusable.
    bool parse();

    std::string error;
    std::vector<std::string> warnings;

private:
    // The next n bits, or nothing with error set when the file ends first.
    std::optional<std::uint8_t> get(int n, const std::string& where);
    bool readHeader(int& instructionCount);
    bool readInstruction(int index, int total);
    void addNote(int value, float len);

    std::string_view m_bytes;
    BitReader m_bits;
    Tune& m_tune;
    NoteLengthState& m_length;
    std::int32_t m_styleMode;

    int m_style = static_cast<int>(OtaStyle::Natural);
    int m_scale = 0;
    std::int32_t m_wholeNoteMs = kImportWholeNoteMs;
    bool m_noteRead = false;
    bool m_unknownStyleWarned = false;
    float m_t = 0.0f; // whole notes from the start
    int m_dropped = 0;
    float m_firstDroppedUnits = 0.0f;
};

std::optional<std::uint8_t> OtaParser::get(int n, const std::string& where)
{
    auto v = m_bits.getBits(n);
    if (!v && error.empty()) {
        error = "The file ends too early, after " + std::to_string(m_bytes.size()) +
                (m_bytes.size() == 1 ? " byte" : " bytes") + ", " + where + ".";
    }
    return v;
}

bool OtaParser::readHeader(int& instructionCount)
{
    const std::string header = "in the header";
    const auto parts = get(8, header);
    if (!parts) return false;
    if (*parts == 0) {
        error = "The file has no command parts; it is not a ringing tone file.";
        return false;
    }
    const auto command = get(7, header);
    if (!command) return false;
    if (*command != kRingingToneCommand) {
        error = "Not a ringing tone file";
        return false;
    }
    if (!get(1, header)) return false;
    const auto sound = get(7, header);
    if (!sound) return false;
    if (*sound != kSoundCommand) {
        error = "Sound not found";
        return false;
    }
    const auto type = get(3, header);
    if (!type) return false;
    if (*type != kBasicSong) {
        error = "Only basic songs are supported";
        return false;
    }
    const auto titleLength = get(4, header);
    if (!titleLength) return false;
    std::string title;
    for (int i = 0; i < *titleLength; ++i) {
        const auto c = get(8, "in the title");
        if (!c) return false;
        title.push_back(static_cast<char>(*c));
    }
    // The song's title names the tune, and gives its ID as an RTX name does.
    if (!title.empty()) {
        m_tune.toneName = title;
        m_tune.toneId.clear();
        for (std::size_t i = 0; i < title.size() && i < 4; ++i)
            m_tune.toneId.push_back(
                static_cast<char>(std::toupper(static_cast<unsigned char>(title[i]))));
    }
    if (!get(8, header)) return false; // song sequence length
    const auto patternHeader = get(3, header);
    if (!patternHeader) return false;
    if (*patternHeader != static_cast<std::uint8_t>(OtaInstruction::PatternHeader)) {
        error = "Song should start with pattern header id";
        return false;
    }
    if (!get(2, header) || !get(4, header)) return false; // pattern id, loop value
    const auto count = get(8, header);
    if (!count) return false;
    if (*count == 0) {
        error = "Empty pattern found, doesn't make any sense!";
        return false;
    }
    instructionCount = *count;
    return true;
}

void OtaParser::addNote(int value, float len)
{
    const float w = static_cast<float>(m_wholeNoteMs);
    float sound = len;
    switch (m_style) {
    case static_cast<int>(OtaStyle::Natural):
        sound = std::max(w * len - kNaturalGapMs, kNaturalGapMs) / w;
        break;
    case static_cast<int>(OtaStyle::Continuous): break;
    case static_cast<int>(OtaStyle::Staccato):
        sound = std::min(len * 0.33f * w, kStaccatoMaxMs) / w;
        break;
    default:
        if (!m_unknownStyleWarned) {
            warnings.push_back("The file uses style " + std::to_string(m_style) +
                               ", which OTA does not define; its notes were loaded at their "
                               "full length.");
            m_unknownStyleWarned = true;
        }
        break;
    }
    m_noteRead = true;
    if (m_tune.noteCount >= kMaxNotes) {
        if (m_dropped++ == 0) m_firstDroppedUnits = m_t * 32.0f;
        m_t += len;
        return;
    }
    NoteRecord& n = m_tune.noteTable[++m_tune.noteCount];
    n = NoteRecord{};
    n.pitch = value + 59 + 12 * m_scale;
    n.kind = static_cast<std::int32_t>(NoteKind::Normal);
    n.startUnits = m_t * 32.0f;
    m_t += sound;
    n.endUnits = m_t * 32.0f;
    if (m_style != static_cast<int>(OtaStyle::Continuous)) m_t += len - sound;
}

bool OtaParser::readInstruction(int index, int total)
{
    const std::string where =
        "in instruction " + std::to_string(index) + " of " + std::to_string(total);
    const auto id = get(3, where);
    if (!id) return false;
    switch (static_cast<OtaInstruction>(*id)) {
    case OtaInstruction::Note: {
        const auto value = get(4, where);
        const auto duration = value ? get(3, where) : std::nullopt;
        const auto specifier = duration ? get(2, where) : std::nullopt;
        if (!specifier) return false;
        const float len = kSpecifierFactor[*specifier] * durationBase(*duration);
        if (*value == 0)
            m_t += len;
        else
            addNote(*value, len);
        return true;
    }
    case OtaInstruction::Scale: {
        const auto scale = get(2, where);
        if (!scale) return false;
        m_scale = *scale;
        return true;
    }
    case OtaInstruction::Style: {
        const auto style = get(2, where);
        if (!style) return false;
        m_style = *style;
        return true;
    }
    case OtaInstruction::Tempo: {
        const auto index5 = get(5, where);
        if (!index5) return false;
        const std::int32_t bpm = kOtaTempoTable[*index5];
        m_wholeNoteMs = 240000 / bpm;
        if (m_noteRead) {
            // The tune keeps one tempo; later notes follow the new one in
            // their unit lengths only.
            warnings.emplace_back("Tempo changed during the tune. Only tunes with fixed tempo will "
                                  "be loaded correctly.");
        } else if (!setTempo(m_tune, bpm, false, m_length, m_styleMode)) {
            error = "The file's tempo of " + std::to_string(bpm) + " bpm cannot be used.";
            return false;
        }
        return true;
    }
    case OtaInstruction::Volume: return get(4, where).has_value();
    default: return true; // no operand
    }
}

bool OtaParser::parse()
{
    int count = 0;
    if (!readHeader(count)) return false;
    m_tune.noteCount = 0;
    for (int i = 1; i <= count; ++i)
        if (!readInstruction(i, count)) return false;

    // A file holds whole bytes only, so the end marker may be partly or
    // wholly missing; what is missing reads as zero.
    const int rest = static_cast<int>(std::min<std::size_t>(8, m_bits.bitsLeft()));
    if (rest > 0 && get(rest, "in the end marker").value_or(0) != 0)
        warnings.emplace_back("File contains more than one pattern, only first was loaded.");

    if (m_dropped > 0) {
        warnings.push_back("Only the first " + std::to_string(kMaxNotes) + " notes were loaded; " +
                           std::to_string(m_dropped) + (m_dropped == 1 ? " note" : " notes") +
                           " from " +
                           std::to_string(unitsToMs(m_firstDroppedUnits, m_tune.msPerUnit)) +
                           " ms on " + (m_dropped == 1 ? "was" : "were") + " dropped.");
    }
    const float mpu = m_tune.msPerUnit;
    for (int i = 1; i <= m_tune.noteCount; ++i) {
        NoteRecord& n = m_tune.noteTable[i];
        n.durationUnits = n.endUnits - n.startUnits;
        n.startMs = unitsToMs(n.startUnits, mpu);
        n.endMs = unitsToMs(n.endUnits, mpu);
        n.durationMs = unitsToMs(n.durationUnits, mpu);
    }
    return true;
}

} // namespace

FormatResult ImportOta(std::string_view bytes, Tune& tune, NoteLengthState& length,
                       std::int32_t styleMode)
{
    NoteLengthState workLength = length;
    FormatResult result = ImportStaged(
        tune, [&](Tune& work) { return OtaParser(bytes, work, workLength, styleMode); });
    if (result.ok()) length = workLength;
    return result;
}

FormatResult ImportOta(std::string_view bytes, Tune& tune)
{
    NoteLengthState length;
    return ImportOta(bytes, tune, length, static_cast<std::int32_t>(StyleMode::None));
}

FormatResult ImportOtaFile(const std::filesystem::path& path, Tune& tune, NoteLengthState& length,
                           std::int32_t styleMode)
{
    const FileReadResult read = readWholeFile(path);
    if (!read.bytes) {
        FormatResult result;
        result.error = read.error.message;
        return result;
    }
    return ImportOta(*read.bytes, tune, length, styleMode);
}

} // namespace qte
