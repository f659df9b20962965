#pragma once
// The editor's modal dialogs. The window layer shows the controls; on each
// OK it hands the fields to an accept function of the editor's logic, which
// says whether the dialog may close.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qte {

enum class DialogResult { Ok = 1, Cancel = 2 };

// What dialog 136 "Settings" shows and returns.
struct SettingsFields {
    std::string toneName; // edit 1001, at most kSettingsNameChars taken
    std::string toneId;   // edit 1002, upper case, at most kSettingsIdChars taken
    bool drawKeys = true;
    bool writeTempo = true;
    bool keepNaturalNotes = false;
    bool scrollWhenPlaying = true;
    friend bool operator==(const SettingsFields&, const SettingsFields&) = default;
};

constexpr std::size_t kSettingsNameChars = 19;
constexpr std::size_t kSettingsIdChars = 4;

// What the text field of dialog 158 takes: a free text's record holds no more.
constexpr std::size_t kTextFieldChars = 91;

// The Ringdata view's edit strips: the note strip 147 and the pause strip
// 159 show their fields as text; what an OK submits is read back by the
// editor's logic.
struct NoteDialogFields {
    std::string note;     // 1007: pitch, or the custom/FREQ_DEFINE number from 1
    std::string start;    // 1009: start in ms
    std::string toneTime; // 1006: length in ms
    bool insert = false;  // 1012 "Insert"
    friend bool operator==(const NoteDialogFields&, const NoteDialogFields&) = default;
};

// The About box 103.
struct AboutText {
    std::string programName;
    std::string version;
    std::string description;
};

class ModalDialogs {
public:
    virtual ~ModalDialogs() = default;

    // Dialog 136. Returns Ok once accept has returned true for an OK, Cancel
    // when the user cancels (after any refused OKs).
    virtual DialogResult runSettings(const SettingsFields& initial,
                                     const std::function<bool(const SettingsFields&)>& accept) = 0;

    // Dialog 163, which has OK only: it stays open until accept takes the
    // text of the tempo field.
    virtual void runTempo(std::int32_t tempoBpm,
                          const std::function<bool(std::string_view)>& accept) = 0;

    virtual void runAbout(const AboutText& about) = 0;

    // The strips the Matrix editor opens. Like the tempo dialog they have
    // OK only and stay open until accept takes the field's text.

    // Dialog 158 "Text:", a free text of at most kTextFieldChars.
    virtual void runText(std::string_view text,
                         const std::function<bool(std::string_view)>& accept) = 0;
    // Dialog 154 "Number of repetitions:", digits only.
    virtual void runRepetitions(std::int32_t repetitions,
                                const std::function<bool(std::string_view)>& accept) = 0;

    // Dialog 147 and dialog 159: caption-less strips opened at the mouse
    // pointer. Each returns Ok once accept has taken an OK, Cancel when the
    // user presses Escape (after any refused OKs).
    virtual DialogResult runNote(const NoteDialogFields& initial,
                                 const std::function<bool(const NoteDialogFields&)>& accept) = 0;
    virtual DialogResult runPause(std::string_view pauseMs,
                                  const std::function<bool(std::string_view)>& accept) = 0;

    // A small choice among items, one a line, with OK and Cancel: the index
    // (from 0) of the item OK takes, or nothing for Cancel. The item at
    // initial is selected when the dialog opens.
    [[nodiscard]] virtual std::optional<int> runChoice(std::string_view title,
                                                       std::string_view prompt,
                                                       const std::vector<std::string>& items,
                                                       int initial) = 0;
};

} // namespace qte
