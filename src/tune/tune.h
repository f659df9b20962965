#pragma once
// The one tune the editor holds: four fixed-capacity item lists, used from
// index 1 (index 0 is a scratch record), plus the header and derived state.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace qte {

// Capacities: slots in each array, and the number of real items (slots - 1).
constexpr int kNoteSlots = 1000;
constexpr int kMaxNotes = kNoteSlots - 1;
constexpr int kVibraSlots = 500;
constexpr int kMaxVibras = kVibraSlots - 1;
constexpr int kRepeatSlots = 100;
constexpr int kMaxRepeats = kRepeatSlots - 1;
constexpr int kTextSlots = 500;
constexpr int kMaxTexts = kTextSlots - 1;
constexpr int kFreqDefineSlots = 30;

constexpr std::size_t kMaxNameChars = 255; // toneName, toneId, paths
constexpr std::size_t kMaxTextChars = 91;  // a TextRecord's text

constexpr int kDefaultTempoBpm = 160;

enum class NoteKind : std::int32_t {
    Normal = 0,     // pitch is a MIDI note number (69 = A)
    Special = 1,    // pitch - 72 indexes the CUSTOMNOTES of config.cfg
    FreqDefine = 2, // pitch - 71 is the 1-based FREQ_DEFINE value
};

// File kinds in the order of the open and save dialog filters.
enum class FileKind : std::int32_t {
    None = 0,
    Ringdata = 1,
    Ota = 2,
    Rtx = 3,
    Event = 4,
    Wave = 5,
    Midi = 6,    // Standard MIDI File
    IMelody = 7, // the EMS text ring tone
};

struct NoteRecord {
    std::int32_t startMs = 0;
    std::int32_t endMs = 0;
    std::int32_t durationMs = 0;
    float startUnits = 0.0f;
    float endUnits = 0.0f;
    float durationUnits = 0.0f;
    std::int32_t pitch = 0;
    std::int32_t kind = 0; // a NoteKind value
    std::int32_t selected = 0;

    [[nodiscard]] NoteKind noteKind() const { return static_cast<NoteKind>(kind); }
};

// Vibration on at the start, off at the end.
using VibraRecord = NoteRecord;

struct RepeatRecord {
    std::int32_t startMs = 0;
    std::int32_t endMs = 0;
    float startUnits = 0.0f;
    float endUnits = 0.0f;
    std::int32_t repetitions = 0;
    // Working fields of playback; edits only copy them.
    std::int32_t firstNote = 0;
    std::int32_t playsLeft = 0;
};

struct TextRecord {
    std::int32_t timeMs = 0;
    float timeUnits = 0.0f;
    std::string text; // at most kMaxTextChars characters

    // Stores t cut to what a record holds.
    void setText(std::string_view t);
};

using NoteTable = std::array<NoteRecord, kNoteSlots>;
using VibraList = std::array<VibraRecord, kVibraSlots>;
using RepeatList = std::array<RepeatRecord, kRepeatSlots>;
using TextList = std::array<TextRecord, kTextSlots>;
using FreqDefineTable = std::array<std::int32_t, kFreqDefineSlots>;

struct Tune {
    std::string toneName = "Undefined";
    std::string toneId = "UNDF";
    std::int32_t tempoBpm = kDefaultTempoBpm;
    float msPerUnit = 7500.0f / kDefaultTempoBpm;
    std::int32_t noteNameSet = 0;

    NoteTable noteTable{};
    std::int32_t noteCount = 0;
    VibraList vibraList{};
    std::int32_t vibraCount = 0;
    RepeatList repeatList{};
    std::int32_t repeatCount = 0;
    TextList textList{};
    std::int32_t textCount = 0;

    // Derived from the texts by ScanTexts.
    FreqDefineTable freqDefineTable{};
    std::int32_t freqDefineCount = 0;
    std::int32_t politeDefined = 0;
    std::int32_t politeFirstNote = 0;
    std::int32_t politeLastNote = 0;
    std::int32_t politeNoteCount = 0;

    std::int32_t tailMs = 0;
    std::int32_t selectionMode = 0; // 0 none, 1 rubber band, 2 notes selected

    [[nodiscard]] bool hasItems() const
    {
        return noteCount > 0 || repeatCount > 0 || textCount > 0 || vibraCount > 0;
    }
    // End of the last note; record 0 stands in for an empty tune.
    [[nodiscard]] std::int32_t lastNoteEndMs() const { return noteTable[noteCount].endMs; }
};

// ms = trunc(units * msPerUnit), in single precision.
[[nodiscard]] std::int32_t unitsToMs(float units, float msPerUnit);
[[nodiscard]] float msToUnits(std::int32_t ms, float msPerUnit);

// On any record with the leading startMs/endMs/durationMs triple.
template <class R> void SetStart(R& record, std::int32_t ms)
{
    record.startMs = ms;
    record.durationMs = record.endMs - ms;
}
template <class R> void SetEnd(R& record, std::int32_t ms)
{
    record.endMs = ms;
    record.durationMs = ms - record.startMs;
}

void ClearSelection(Tune& tune);

// The reset of New Tune and of every load, on the tune alone: empties the
// lists, names the tune "Undefined"/"UNDF". Tempo and noteNameSet stay.
// Where the tune came from is TuneDocument's; window and configuration
// steps of the reset are the editor's.
void ClearTune(Tune& tune);
// "Clear all": the lists emptied, the name, ID and tempo kept.
void ClearItems(Tune& tune);

void DeleteNoteAt(Tune& tune, int index);
void DeleteTextAt(Tune& tune, int index);

// Recomputes every unit value from the millisecond values (the rule for
// times that came from text).
void DeriveUnitsFromMs(Tune& tune);

} // namespace qte
