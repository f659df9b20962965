#include "formats/midi_file.h"

#include "formats/byte_cursor.h"
#include "formats/staged_import.h"
#include "formats/tone_names.h"
#include "io/files.h"
#include "tune/tempo.h"
#include "tune/tune.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <memory>
#include <queue>
#include <utility>

namespace qte {

namespace {

constexpr int kChannels = 16;
constexpr int kKeys = 128;
constexpr std::uint8_t kEndOfTrack = 0x2F;
constexpr std::uint8_t kTempoMeta = 0x51;
constexpr std::uint8_t kTrackNameMeta = 0x03;
constexpr std::uint8_t kMarkerMeta = 0x06;
constexpr std::uint32_t kMaxMicrosPerQuarter = 0xFFFFFF; // three bytes
constexpr double kMicrosPerMinute = 60e6;
// How near a time must come to a whole unit to be kept in units.
constexpr double kGridTolerance = 1e-3;
constexpr std::uint8_t kWrittenVelocity = 100;
// The tune counts time in single precision: past 2^24 ms (four hours and
// a half) its times no longer keep to the millisecond.
constexpr std::int64_t kMaxTuneMs = std::int64_t{1} << 24;
// Others listed by name in the warning about several lines.
constexpr std::size_t kOthersNamed = 8;

std::string count(std::size_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string hexByte(unsigned value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X", value & 0xFFu);
    return buf;
}

// ---------------------------------------------------------------- reading

std::size_t pendingSlot(int channel, int key)
{
    return static_cast<std::size_t>(channel) * kKeys + static_cast<std::size_t>(key);
}

struct RawNote {
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::uint8_t key = 0;
};

struct TrackData {
    std::string name;
    bool named = false;
    std::array<std::vector<RawNote>, kChannels> channels;
};

struct TempoChange {
    std::uint32_t tick = 0;
    std::uint32_t microsPerQuarter = 0;
};

struct ParsedMidi {
    int division = 0;
    std::vector<TrackData> tracks;
    std::vector<TempoChange> tempos; // in the order met
    std::vector<std::string> warnings;
};

// Reads the chunks and events of a whole file, every read bounds-checked.
// The first problem that leaves the file unreadable ends the parse with a
// sentence naming the byte.
class SmfReader {
public:
    SmfReader(std::string_view bytes, ParsedMidi& out) : m_bytes(bytes), m_out(out) {}

    // Empty on success.
    std::string parse();

private:
    std::string readHeader(ByteCursor& c, int& trackCount);
    std::string readTrack(std::string_view chunk, std::size_t base, int number);
    void closeNote(TrackData& track, int channel, int key, std::uint32_t tick);

    std::string_view m_bytes;
    ParsedMidi& m_out;
    // Start tick + 1 of the note sounding on each channel and key; 0 none.
    std::array<std::uint64_t, kChannels * kKeys> m_pending{};
    int m_unended = 0;
    int m_tooLongTracks = 0;
    int m_badTempos = 0;
};

std::string SmfReader::readHeader(ByteCursor& c, int& trackCount)
{
    const auto tag = c.take(4);
    if (!tag || *tag != "MThd") return "Not a MIDI file: it does not begin with \"MThd\".";
    const auto length = c.u32();
    if (!length)
        return "The file ends inside its header, after " + std::to_string(c.left() + 4) + " bytes.";
    if (*length < 6)
        return "The header at byte 0 is " + std::to_string(*length) +
               " bytes long; a MIDI header holds at least 6.";
    if (*length > c.left())
        return "The header at byte 0 announces " + std::to_string(*length) + " bytes, but only " +
               std::to_string(c.left()) + " follow.";
    const std::uint16_t format = *c.u16();
    const std::uint16_t tracks = *c.u16();
    const std::uint16_t division = *c.u16();
    (void)c.skip(*length - 6);
    if (format == 2)
        return "The file is of MIDI format 2 (independent sequences); only formats 0 and 1 can "
               "be read.";
    if (format > 2)
        return "The file is of MIDI format " + std::to_string(format) +
               ", which does not exist; only formats 0 and 1 can be read.";
    if (tracks == 0) return "The file holds no tracks.";
    if ((division & 0x8000u) != 0)
        return "The file counts its time in SMPTE frames, which cannot be read; only files that "
               "count ticks per quarter note can.";
    if (division == 0) return "The file gives 0 ticks per quarter note.";
    m_out.division = division;
    trackCount = tracks;
    return {};
}

void SmfReader::closeNote(TrackData& track, int channel, int key, std::uint32_t tick)
{
    std::uint64_t& pending = m_pending[pendingSlot(channel, key)];
    if (pending == 0) return;
    const auto start = static_cast<std::uint32_t>(pending - 1);
    pending = 0;
    if (tick > start)
        track.channels[static_cast<std::size_t>(channel)].push_back(
            {start, tick, static_cast<std::uint8_t>(key)});
}

std::string SmfReader::readTrack(std::string_view chunk, std::size_t base, int number)
{
    TrackData track;
    m_pending.fill(0);
    ByteCursor c(chunk);
    const std::string where = "Track " + std::to_string(number);
    auto at = [&](std::size_t offset) {
        return where + ", byte " + std::to_string(base + offset) + ": ";
    };
    std::uint64_t tick = 0;
    bool tooLong = false;
    int running = 0; // the running status, 0 while there is none
    for (;;) {
        if (c.atEnd())
            return where + " ends at byte " + std::to_string(base + c.offset()) +
                   " without its end-of-track event.";
        const std::size_t eventStart = c.offset();
        const auto delta = c.varLength();
        if (!delta) {
            if (c.left() >= 4) return at(eventStart) + "a time longer than 4 bytes.";
            return where + " is cut short at byte " + std::to_string(base + c.offset()) +
                   ", inside an event.";
        }
        tick += *delta;
        if (tick > std::numeric_limits<std::uint32_t>::max()) tooLong = true;
        const auto tick32 = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(tick, std::numeric_limits<std::uint32_t>::max()));
        const auto first = c.peek();
        if (!first)
            return where + " is cut short at byte " + std::to_string(base + c.offset()) +
                   ", inside an event.";
        const std::size_t statusAt = c.offset();
        int status = *first;
        if (status < 0x80) {
            if (running == 0)
                return at(statusAt) + "a data byte (" + hexByte(static_cast<unsigned>(status)) +
                       ") with no status byte before it.";
            status = running;
        } else {
            (void)c.next();
        }

        if (status < 0xF0) {
            running = status;
            const int kind = status & 0xF0;
            const int channel = status & 0x0F;
            const int dataBytes = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            std::array<int, 2> data{};
            for (int i = 0; i < dataBytes; ++i) {
                const auto b = c.next();
                if (!b)
                    return where + " is cut short at byte " + std::to_string(base + c.offset()) +
                           ", inside an event.";
                if (*b >= 0x80)
                    return at(c.offset() - 1) + "a status byte (" + hexByte(*b) +
                           ") where the event at byte " + std::to_string(base + statusAt) +
                           " needs a data byte.";
                data[static_cast<std::size_t>(i)] = *b;
            }
            if (tooLong) continue;
            if (kind == 0x90 && data[1] > 0) {
                closeNote(track, channel, data[0], tick32);
                m_pending[pendingSlot(channel, data[0])] = tick + 1;
            } else if (kind == 0x80 || kind == 0x90) {
                closeNote(track, channel, data[0], tick32);
            }
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            const auto length = c.varLength();
            if (!length || !c.skip(*length))
                return where + " is cut short at byte " + std::to_string(base + c.offset()) +
                       ", inside a system-exclusive event.";
            continue;
        }
        if (status != 0xFF)
            return at(statusAt) + "the status byte " + hexByte(static_cast<unsigned>(status)) +
                   " has no place in a MIDI file.";
        const auto type = c.next();
        const auto length = type ? c.varLength() : std::nullopt;
        const auto data = length ? c.take(*length) : std::nullopt;
        if (!data)
            return where + " is cut short at byte " + std::to_string(base + c.offset()) +
                   ", inside a meta event.";
        if (*type == kEndOfTrack) {
            for (int ch = 0; ch < kChannels; ++ch)
                for (int key = 0; key < kKeys; ++key)
                    if (m_pending[pendingSlot(ch, key)] != 0) {
                        ++m_unended;
                        closeNote(track, ch, key, tick32);
                    }
            break;
        }
        if (*type == kTrackNameMeta && !track.named) {
            track.name = std::string(*data);
            track.named = true;
        } else if (*type == kTempoMeta && !tooLong) {
            const auto* p = reinterpret_cast<const unsigned char*>(data->data());
            const std::uint32_t micros =
                data->size() == 3 ? (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]
                                  : 0;
            if (micros == 0)
                ++m_badTempos;
            else
                m_out.tempos.push_back({tick32, micros});
        }
    }
    if (tooLong) ++m_tooLongTracks;
    m_out.tracks.push_back(std::move(track));
    return {};
}

std::string SmfReader::parse()
{
    ByteCursor c(m_bytes);
    int trackCount = 0;
    if (std::string error = readHeader(c, trackCount); !error.empty()) return error;
    int number = 0;
    while (number < trackCount) {
        const std::size_t chunkAt = c.offset();
        if (c.atEnd())
            return "The file announces " + std::to_string(trackCount) + " tracks but ends after " +
                   std::to_string(number) + ", at byte " + std::to_string(chunkAt) + ".";
        const auto tag = c.take(4);
        const auto length = tag ? c.u32() : std::nullopt;
        if (!length)
            return "The file is cut short at byte " + std::to_string(chunkAt) +
                   ", inside the header of a chunk.";
        if (*length > c.left())
            return "The chunk at byte " + std::to_string(chunkAt) + " announces " +
                   std::to_string(*length) + " bytes, but only " + std::to_string(c.left()) +
                   " follow.";
        const std::size_t dataAt = c.offset();
        const std::string_view data = *c.take(*length);
        if (*tag != "MTrk") continue; // chunks of other kinds are skipped
        ++number;
        if (std::string error = readTrack(data, dataAt, number); !error.empty()) return error;
    }
    if (m_unended > 0)
        m_out.warnings.push_back(
            count(static_cast<std::size_t>(m_unended), "note has", "notes have") +
            " no note-off; " + (m_unended == 1 ? "it ends" : "they end") + " with " +
            (m_unended == 1 ? "its" : "their") + " track.");
    if (m_tooLongTracks > 0)
        m_out.warnings.push_back(
            count(static_cast<std::size_t>(m_tooLongTracks), "track runs", "tracks run") +
            " past 4294967295 ticks; what comes later was not read.");
    if (m_badTempos > 0)
        m_out.warnings.push_back(
            count(static_cast<std::size_t>(m_badTempos), "tempo event is", "tempo events are") +
            " not three bytes of a non-zero tempo; skipped.");
    return {};
}

std::vector<MidiLine> linesOf(const ParsedMidi& midi)
{
    std::vector<MidiLine> lines;
    for (std::size_t t = 0; t < midi.tracks.size(); ++t) {
        const TrackData& track = midi.tracks[t];
        for (int ch = 0; ch < kChannels; ++ch) {
            const auto& notes = track.channels[static_cast<std::size_t>(ch)];
            if (notes.empty()) continue;
            lines.push_back({static_cast<int>(t) + 1, ch + 1, static_cast<int>(notes.size()),
                             cleanToneName(track.name)});
        }
    }
    return lines;
}

// The line a choice names, or the reason there is none.
const MidiLine* chooseLine(const std::vector<MidiLine>& lines, const MidiLineChoice& choice,
                           int trackCount, std::string& error)
{
    if (!choice.made()) {
        const MidiLine* line = DefaultMidiLine(lines);
        if (!line)
            error = lines.empty() ? "The file holds no notes."
                                  : "The file holds no melody: every note is on the drum "
                                    "channel " +
                                        std::to_string(kMidiDrumChannel) + ".";
        return line;
    }
    if (choice.track > trackCount || choice.track < 0) {
        error = "The file has no track " + std::to_string(choice.track) + "; it has " +
                count(static_cast<std::size_t>(trackCount), "track", "tracks") + ".";
        return nullptr;
    }
    const MidiLine* best = nullptr;
    for (const MidiLine& l : lines) {
        if (choice.track != 0 && l.track != choice.track) continue;
        if (choice.channel != 0 && l.channel != choice.channel) continue;
        // A track alone never picks the drums.
        if (choice.channel == 0 && l.drums()) continue;
        if (!best || l.notes > best->notes) best = &l;
    }
    if (best) return best;
    if (choice.track != 0 && choice.channel != 0)
        error = "Track " + std::to_string(choice.track) + " holds no notes on channel " +
                std::to_string(choice.channel) + ".";
    else if (choice.track != 0)
        error = "Track " + std::to_string(choice.track) +
                " holds no notes outside the drum "
                "channel " +
                std::to_string(kMidiDrumChannel) + ".";
    else
        error = "No track holds notes on channel " + std::to_string(choice.channel) + ".";
    return nullptr;
}

// Tick to microseconds, following every tempo change.
class TempoMap {
public:
    TempoMap(std::vector<TempoChange> changes, int division) : m_division(division)
    {
        std::stable_sort(
            changes.begin(), changes.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        m_segments.push_back({0, 0.0, kMidiDefaultMicrosPerQuarter});
        for (const TempoChange& t : changes) {
            Segment& last = m_segments.back();
            if (t.tick == last.tick) {
                last.microsPerQuarter = t.microsPerQuarter;
                continue;
            }
            m_segments.push_back({t.tick, micros(t.tick), t.microsPerQuarter});
        }
    }

    [[nodiscard]] double micros(std::uint32_t tick) const
    {
        auto it = std::upper_bound(m_segments.begin(), m_segments.end(), tick,
                                   [](std::uint32_t t, const Segment& s) { return t < s.tick; });
        const Segment& s = *(it - 1);
        return s.micros + static_cast<double>(tick - s.tick) *
                              static_cast<double>(s.microsPerQuarter) / m_division;
    }

private:
    struct Segment {
        std::uint32_t tick;
        double micros;
        std::uint32_t microsPerQuarter;
    };
    std::vector<Segment> m_segments;
    double m_division;
};

// One line from overlapping notes: at every moment the highest sounding
// note (one key never sounds twice at once: the reader ends a note when its
// key is struck again). A note covered by a higher one and still sounding
// when that ends sounds again from there. dropped counts the notes that
// never sound.
std::vector<RawNote> highestLine(std::vector<RawNote> notes, std::size_t& dropped)
{
    std::stable_sort(notes.begin(), notes.end(),
                     [](const RawNote& a, const RawNote& b) { return a.start < b.start; });
    std::vector<std::uint32_t> times;
    times.reserve(notes.size() * 2);
    for (const RawNote& n : notes) {
        times.push_back(n.start);
        times.push_back(n.end);
    }
    std::sort(times.begin(), times.end());
    times.erase(std::unique(times.begin(), times.end()), times.end());

    auto lower = [&](std::size_t a, std::size_t b) {
        const RawNote &x = notes[a], &y = notes[b];
        return x.key != y.key ? x.key < y.key : a < b;
    };
    std::priority_queue<std::size_t, std::vector<std::size_t>, decltype(lower)> sounding(lower);
    std::vector<bool> heard(notes.size(), false);
    std::vector<RawNote> line;
    std::size_t next = 0;
    std::size_t current = notes.size(); // none
    std::uint32_t since = 0;
    for (const std::uint32_t t : times) {
        while (next < notes.size() && notes[next].start == t)
            sounding.push(next++);
        while (!sounding.empty() && notes[sounding.top()].end <= t)
            sounding.pop();
        const std::size_t top = sounding.empty() ? notes.size() : sounding.top();
        if (top == current) continue;
        if (current < notes.size() && t > since) {
            line.push_back({since, t, notes[current].key});
            heard[current] = true;
        }
        current = top;
        since = t;
    }
    dropped = static_cast<std::size_t>(std::count(heard.begin(), heard.end(), false));
    return line;
}

class MidiImport {
public:
    MidiImport(std::string_view bytes, Tune& tune, NoteLengthState& length, std::int32_t styleMode,
               MidiLineChoice choice)
        : m_bytes(bytes), m_tune(tune), m_length(length), m_styleMode(styleMode), m_choice(choice)
    {}

    bool parse();

    std::string error;
    std::vector<std::string> warnings;

private:
    // A time in the tune's two forms.
    struct Time {
        std::int64_t ms = 0;
        float units = 0.0f;
        bool onGrid = false; // units are the master values
    };
    Time timeAt(std::uint32_t tick) const;

    std::string_view m_bytes;
    Tune& m_tune;
    NoteLengthState& m_length;
    std::int32_t m_styleMode;
    MidiLineChoice m_choice;
    std::unique_ptr<TempoMap> m_tempo;
    double m_bpm = 0.0;
};

MidiImport::Time MidiImport::timeAt(std::uint32_t tick) const
{
    const double ms = m_tempo->micros(tick) / 1000.0;
    const double units = ms * m_bpm / 7500.0;
    const double whole = std::round(units);
    Time t;
    if (std::fabs(units - whole) <= kGridTolerance) {
        t.onGrid = true;
        t.units = static_cast<float>(whole);
        t.ms = unitsToMs(t.units, m_tune.msPerUnit);
    } else {
        t.ms = static_cast<std::int64_t>(std::min(ms, 1e18));
        t.units = t.ms <= std::numeric_limits<std::int32_t>::max()
                      ? msToUnits(static_cast<std::int32_t>(t.ms), m_tune.msPerUnit)
                      : 0.0f;
    }
    return t;
}

bool MidiImport::parse()
{
    auto midi = std::make_unique<ParsedMidi>();
    error = SmfReader(m_bytes, *midi).parse();
    if (!error.empty()) return false;
    const std::vector<MidiLine> lines = linesOf(*midi);
    const MidiLine* line =
        chooseLine(lines, m_choice, static_cast<int>(midi->tracks.size()), error);
    if (!line) return false;
    warnings = std::move(midi->warnings);
    if (!m_choice.made()) {
        const std::vector<MidiLine> melodies = MelodyLines(lines);
        if (melodies.size() > 1) {
            std::string others;
            std::size_t named = 0;
            for (const MidiLine& l : melodies) {
                if (l.track == line->track && l.channel == line->channel) continue;
                if (named == kOthersNamed) {
                    others += ", and " + std::to_string(melodies.size() - 1 - named) + " more";
                    break;
                }
                others += (named++ == 0 ? "" : ", ") + DescribeMidiLine(l);
            }
            warnings.insert(warnings.begin(), "The file holds " + std::to_string(melodies.size()) +
                                                  " melody lines; " + DescribeMidiLine(*line) +
                                                  " was read. The others: " + others + ".");
        }
    }

    // The tune's tempo is the first the file gives.
    std::vector<TempoChange> tempos = midi->tempos;
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    const std::uint32_t firstMicros =
        tempos.empty() ? kMidiDefaultMicrosPerQuarter : tempos.front().microsPerQuarter;
    const double exactBpm = kMicrosPerMinute / firstMicros;
    auto bpm = static_cast<std::int32_t>(std::lround(std::min(exactBpm, 1e9)));
    if (!isValidTempo(bpm)) {
        const std::int32_t kept = std::clamp(bpm, kMinTempoBpm, kMaxTempoBpm);
        warnings.push_back("The file's tempo of " + std::to_string(bpm) + " bpm is outside " +
                           std::to_string(kMinTempoBpm) + " to " + std::to_string(kMaxTempoBpm) +
                           "; the tune takes " + std::to_string(kept) +
                           " bpm and its notes keep their times.");
        bpm = kept;
    }
    m_tune.noteCount = 0;
    if (!setTempo(m_tune, bpm, false, m_length, m_styleMode)) {
        error = "The file's tempo of " + std::to_string(bpm) + " bpm cannot be used.";
        return false;
    }
    m_bpm = bpm;
    if (std::any_of(tempos.begin(), tempos.end(),
                    [&](const TempoChange& t) { return t.microsPerQuarter != firstMicros; }))
        warnings.push_back("The tempo changes during the file; the tune takes the first, " +
                           std::to_string(bpm) +
                           " bpm, and the notes keep their times, in milliseconds where they "
                           "leave the unit grid.");
    m_tempo = std::make_unique<TempoMap>(std::move(tempos), midi->division);

    const TrackData& track = midi->tracks[static_cast<std::size_t>(line->track - 1)];
    std::size_t dropped = 0;
    const std::vector<RawNote> melody =
        highestLine(track.channels[static_cast<std::size_t>(line->channel - 1)], dropped);
    if (dropped > 0)
        warnings.push_back("The line plays several notes at once; the highest sounding note was "
                           "kept and " +
                           count(dropped, "note was", "notes were") + " dropped.");

    std::size_t cut = 0, late = 0;
    std::int64_t cutFromMs = 0;
    for (const RawNote& raw : melody) {
        const Time start = timeAt(raw.start);
        const Time end = timeAt(raw.end);
        if (end.ms > kMaxTuneMs) {
            ++late;
            continue;
        }
        if (m_tune.noteCount >= kMaxNotes) {
            if (cut++ == 0) cutFromMs = start.ms;
            continue;
        }
        const NoteRecord& previous = m_tune.noteTable[static_cast<std::size_t>(m_tune.noteCount)];
        NoteRecord& n = m_tune.noteTable[static_cast<std::size_t>(m_tune.noteCount) + 1];
        n = NoteRecord{};
        n.pitch = raw.key;
        n.kind = static_cast<std::int32_t>(NoteKind::Normal);
        // Times in units and times in ms round apart by a ms at most; a note
        // never starts before the one it follows has ended.
        const bool first = m_tune.noteCount == 0;
        n.startMs = static_cast<std::int32_t>(
            first ? start.ms : std::max<std::int64_t>(start.ms, previous.endMs));
        n.startUnits = first ? start.units : std::max(start.units, previous.endUnits);
        n.endMs = std::max(static_cast<std::int32_t>(end.ms), n.startMs);
        n.endUnits = std::max(end.units, n.startUnits);
        n.durationUnits = n.endUnits - n.startUnits;
        // Times kept in units give each ms field on its own, as the tempo
        // change does; times kept in ms give the length from them.
        n.durationMs = start.onGrid && end.onGrid ? unitsToMs(n.durationUnits, m_tune.msPerUnit)
                                                  : n.endMs - n.startMs;
        ++m_tune.noteCount;
    }
    if (cut > 0)
        warnings.push_back("Only the first " + std::to_string(m_tune.noteCount) +
                           " notes were loaded; " + count(cut, "note", "notes") + " from " +
                           std::to_string(cutFromMs) + " ms on " + (cut == 1 ? "was" : "were") +
                           " dropped.");
    if (late > 0)
        warnings.push_back(count(late, "note ends", "notes end") + " after " +
                           std::to_string(kMaxTuneMs) + " ms, longer than a tune lasts; " +
                           (late == 1 ? "it was" : "they were") + " dropped.");

    std::string name = cleanToneName(track.name);
    if (name.empty()) name = cleanToneName(midi->tracks.front().name);
    if (!name.empty()) {
        m_tune.toneName = name;
        if (std::string id = toneIdFromName(name); !id.empty()) m_tune.toneId = std::move(id);
    }
    return true;
}

// ---------------------------------------------------------------- writing

void putVarLength(std::string& out, std::uint32_t value)
{
    char buf[5];
    int n = 0;
    buf[n++] = static_cast<char>(value & 0x7F);
    while ((value >>= 7) != 0)
        buf[n++] = static_cast<char>(0x80 | (value & 0x7F));
    while (n > 0)
        out.push_back(buf[--n]);
}

void putU32(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

struct TrackEvent {
    std::uint32_t tick = 0;
    // At one tick: note-offs, then markers, then note-ons.
    std::uint8_t order = 0;
    std::array<std::uint8_t, 3> channelEvent{}; // a note-on or note-off
    int text = 0;                               // for a marker: the text's index
};

std::string metaEvent(std::uint8_t type, std::string_view data)
{
    std::string e = {static_cast<char>(0xFF), static_cast<char>(type)};
    putVarLength(e, static_cast<std::uint32_t>(data.size()));
    e += data;
    return e;
}

// The notes in the order and at the times the renderer plays them: each
// repeat block played out, the decisions taken on the millisecond times
// as the renderer takes them, the positions kept exact in units.
struct PlayedNote {
    int index = 0;
    double start = 0.0; // units
    double end = 0.0;
};
struct Jump {
    double at = 0.0;    // where the block ends, in the tune's own units
    double shift = 0.0; // what each later item moves by
};

bool playOut(const Tune& tune, std::vector<PlayedNote>& played, std::vector<Jump>& jumps)
{
    const int count = std::clamp(tune.noteCount, 0, kMaxNotes);
    const int repeats = std::clamp(tune.repeatCount, 0, kMaxRepeats);
    if (count == 0) return true;
    const auto& notes = tune.noteTable;
    const auto& reps = tune.repeatList;
    std::array<int, kRepeatSlots> firstNote{};
    std::array<std::int64_t, kRepeatSlots> playsLeft{};
    for (int r = 1; r <= repeats; ++r) {
        const RepeatRecord& rep = reps[static_cast<std::size_t>(r)];
        playsLeft[static_cast<std::size_t>(r)] = rep.repetitions;
        int first = 0;
        for (int i = 1; i <= count && first == 0; ++i) {
            const std::int32_t previousEnd =
                i == 1 ? 0 : notes[static_cast<std::size_t>(i - 1)].endMs;
            if (previousEnd <= rep.startMs &&
                notes[static_cast<std::size_t>(i)].startMs >= rep.startMs)
                first = i;
        }
        for (int i = 1; i <= count && first == 0; ++i)
            if (notes[static_cast<std::size_t>(i)].startMs >= rep.startMs) first = i;
        firstNote[static_cast<std::size_t>(r)] = first == 0 ? count : first;
    }
    const NoteRecord& last = notes[static_cast<std::size_t>(count)];
    int current = repeats > 0 ? 1 : 0;
    if (current > 0 && reps[1].startUnits >= last.endUnits) current = 0;
    double shift = 0.0;
    int j = 1;
    while (j <= count) {
        if (static_cast<std::int64_t>(played.size()) >= kMidiMaxWrittenNotes) return false;
        const NoteRecord& note = notes[static_cast<std::size_t>(j)];
        played.push_back({j, note.startUnits + shift, note.endUnits + shift});
        if (current > 0) {
            const RepeatRecord& rep = reps[static_cast<std::size_t>(current)];
            const bool endsHere = j < count
                                      ? rep.endMs <= notes[static_cast<std::size_t>(j) + 1].startMs
                                      : rep.endMs >= note.endMs;
            std::int64_t& left = playsLeft[static_cast<std::size_t>(current)];
            if (endsHere && left > 1) {
                --left;
                const double block = static_cast<double>(rep.endUnits) - rep.startUnits;
                shift += block;
                jumps.push_back({rep.endUnits, block});
                j = firstNote[static_cast<std::size_t>(current)];
                continue;
            }
            if (endsHere) {
                ++current;
                if (current > repeats ||
                    reps[static_cast<std::size_t>(current)].startUnits >= last.endUnits)
                    current = 0;
            }
        }
        ++j;
    }
    return true;
}

std::uint32_t ticksOf(double units)
{
    const double ticks = std::round(units * kMidiTicksPerUnit);
    return ticks <= 0.0 ? 0u : static_cast<std::uint32_t>(ticks);
}

} // namespace

MidiLines ListMidiLines(std::string_view bytes)
{
    MidiLines result;
    auto midi = std::make_unique<ParsedMidi>();
    result.error = SmfReader(bytes, *midi).parse();
    if (result.ok()) result.lines = linesOf(*midi);
    return result;
}

std::vector<MidiLine> MelodyLines(const std::vector<MidiLine>& lines)
{
    std::vector<MidiLine> melodies;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(melodies),
                 [](const MidiLine& l) { return !l.drums(); });
    return melodies;
}

const MidiLine* DefaultMidiLine(const std::vector<MidiLine>& lines)
{
    const MidiLine* best = nullptr;
    for (const MidiLine& l : lines)
        if (!l.drums() && (!best || l.notes > best->notes)) best = &l;
    return best;
}

std::string DescribeMidiLine(const MidiLine& line)
{
    std::string s =
        "track " + std::to_string(line.track) + ", channel " + std::to_string(line.channel) + " (";
    if (!line.trackName.empty()) s += "\"" + line.trackName + "\", ";
    return s + count(static_cast<std::size_t>(line.notes), "note", "notes") + ")";
}

FormatResult ImportMidi(std::string_view bytes, Tune& tune, NoteLengthState& length,
                        std::int32_t styleMode, MidiLineChoice choice)
{
    NoteLengthState workLength = length;
    FormatResult result = ImportStaged(
        tune, [&](Tune& work) { return MidiImport(bytes, work, workLength, styleMode, choice); });
    if (result.ok()) length = workLength;
    return result;
}

FormatResult ImportMidi(std::string_view bytes, Tune& tune, MidiLineChoice choice)
{
    NoteLengthState length;
    return ImportMidi(bytes, tune, length, static_cast<std::int32_t>(StyleMode::None), choice);
}

FormatResult ImportMidiFile(const std::filesystem::path& path, Tune& tune, NoteLengthState& length,
                            std::int32_t styleMode, MidiLineChoice choice)
{
    const FileReadResult read = readWholeFile(path);
    if (!read.bytes) {
        FormatResult result;
        result.error = read.error.message;
        return result;
    }
    return ImportMidi(*read.bytes, tune, length, styleMode, choice);
}

ExportResult ExportMidi(const Tune& tune)
{
    ExportResult result;
    std::vector<PlayedNote> played;
    std::vector<Jump> jumps;
    if (!playOut(tune, played, jumps)) {
        result.error = "The tune with its repeat blocks played out has more than " +
                       std::to_string(kMidiMaxWrittenNotes) +
                       " notes; it is too long for a MIDI file.";
        return result;
    }
    std::vector<TrackEvent> events;
    events.reserve(played.size() * 2 + static_cast<std::size_t>(std::max(0, tune.textCount)));
    std::size_t outOfRange = 0, otherKind = 0, tooShort = 0;
    std::vector<bool> counted(static_cast<std::size_t>(kNoteSlots), false);
    for (const PlayedNote& p : played) {
        const NoteRecord& n = tune.noteTable[static_cast<std::size_t>(p.index)];
        const bool first = !counted[static_cast<std::size_t>(p.index)];
        counted[static_cast<std::size_t>(p.index)] = true;
        if (n.pitch < 0 || n.pitch >= kKeys) {
            if (first) ++outOfRange;
            continue;
        }
        const std::uint32_t on = ticksOf(p.start);
        const std::uint32_t off = ticksOf(p.end);
        if (off <= on) {
            if (first) ++tooShort;
            continue;
        }
        if (first && n.noteKind() != NoteKind::Normal) ++otherKind;
        const auto key = static_cast<std::uint8_t>(n.pitch);
        events.push_back({on, 2, {0x90, key, kWrittenVelocity}});
        events.push_back({off, 0, {0x80, key, 0}});
    }
    const int texts = std::clamp(tune.textCount, 0, kMaxTexts);
    for (int i = 1; i <= texts; ++i) {
        const TextRecord& text = tune.textList[static_cast<std::size_t>(i)];
        double at = text.timeUnits;
        for (const Jump& j : jumps)
            if (text.timeUnits >= j.at) at += j.shift;
        events.push_back({ticksOf(at), 1, {}, i});
    }
    std::stable_sort(events.begin(), events.end(), [](const TrackEvent& a, const TrackEvent& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    if (!events.empty() && events.back().tick > std::numeric_limits<std::int32_t>::max()) {
        result.error = "The tune with its repeat blocks played out lasts longer than a MIDI file "
                       "can count.";
        return result;
    }

    const double exactMicros = kMicrosPerMinute / std::max(tune.tempoBpm, 1);
    auto micros = static_cast<std::uint32_t>(std::lround(exactMicros));
    if (micros > kMaxMicrosPerQuarter) {
        micros = kMaxMicrosPerQuarter;
        result.warnings.push_back("The tempo of " + std::to_string(tune.tempoBpm) +
                                  " bpm is slower than a MIDI file can hold; " +
                                  std::to_string(static_cast<int>(kMicrosPerMinute / micros)) +
                                  " bpm was written.");
    }
    // The name and the tempo at tick 0, then the events, then the end.
    std::string track(1, '\0');
    track += metaEvent(kTrackNameMeta, tune.toneName);
    track.push_back(0);
    track += metaEvent(kTempoMeta, std::string{static_cast<char>((micros >> 16) & 0xFF),
                                               static_cast<char>((micros >> 8) & 0xFF),
                                               static_cast<char>(micros & 0xFF)});
    std::uint32_t now = 0;
    for (const TrackEvent& e : events) {
        putVarLength(track, e.tick - now);
        now = e.tick;
        if (e.text != 0)
            track += metaEvent(kMarkerMeta, tune.textList[static_cast<std::size_t>(e.text)].text);
        else
            track.append(reinterpret_cast<const char*>(e.channelEvent.data()), 3);
    }
    track.push_back(0);
    track += metaEvent(kEndOfTrack, {});

    std::string& out = result.bytes;
    out = "MThd";
    putU32(out, 6);
    out += std::string{0, 0, 0, 1, 0, static_cast<char>(kMidiWrittenDivision)};
    out += "MTrk";
    putU32(out, static_cast<std::uint32_t>(track.size()));
    out += track;

    if (tune.vibraCount > 0)
        result.warnings.push_back(count(static_cast<std::size_t>(tune.vibraCount),
                                        "vibra segment has", "vibra segments have") +
                                  " no meaning in a MIDI file and " +
                                  (tune.vibraCount == 1 ? "was" : "were") + " not written.");
    if (outOfRange > 0)
        result.warnings.push_back(
            count(outOfRange, "note lies", "notes lie") + " outside the MIDI keys 0 to 127; " +
            (outOfRange == 1 ? "its" : "their") + " time was written as pause.");
    if (tooShort > 0)
        result.warnings.push_back(count(tooShort, "note is", "notes are") +
                                  " shorter than a tick of the file and " +
                                  (tooShort == 1 ? "was" : "were") + " left out.");
    if (otherKind > 0)
        result.warnings.push_back(
            count(otherKind, "custom or FREQ_DEFINE note was", "custom or FREQ_DEFINE notes were") +
            " written as plain pitches of the same number.");
    return result;
}

ExportResult ExportMidiFile(const Tune& tune, const std::filesystem::path& path)
{
    ExportResult result = ExportMidi(tune);
    if (!result.ok()) return result;
    if (auto err = writeFileAtomically(path, result.bytes)) result.error = err->message;
    return result;
}

} // namespace qte
