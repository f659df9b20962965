#pragma once
// Modal dialogs for tests. Each run plays a script of OK presses: the
// fields to submit, one by one, until accept takes one; then the run ends
// with Ok. When the script runs out first, the run ends with Cancel (the
// tempo dialog, which has no Cancel, just ends).

#include "platform/dialogs.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace qte::fakes {

class FakeModalDialogs final : public ModalDialogs {
public:
    // One run of the Settings dialog: the OKs pressed in order. Each entry
    // edits the fields shown (the initial ones) into what is submitted.
    struct SettingsRun {
        std::vector<std::function<void(SettingsFields&)>> oks;
    };

    DialogResult runSettings(const SettingsFields& initial,
                             const std::function<bool(const SettingsFields&)>& accept) override
    {
        settingsShown.push_back(initial);
        if (settingsRuns.empty()) return DialogResult::Cancel;
        SettingsRun run = std::move(settingsRuns.front());
        settingsRuns.pop_front();
        for (const auto& edit : run.oks) {
            SettingsFields fields = initial;
            edit(fields);
            submittedSettings.push_back(fields);
            if (accept(fields)) return DialogResult::Ok;
        }
        return DialogResult::Cancel;
    }

    void runTempo(std::int32_t tempoBpm,
                  const std::function<bool(std::string_view)>& accept) override
    {
        tempoShown.push_back(tempoBpm);
        while (!tempoTexts.empty()) {
            std::string text = tempoTexts.front();
            tempoTexts.pop_front();
            if (accept(text)) return;
        }
    }

    void runAbout(const AboutText& about) override { aboutShown.push_back(about); }

    void runText(std::string_view text,
                 const std::function<bool(std::string_view)>& accept) override
    {
        textShown.emplace_back(text);
        runOkOnly(textEntries, accept);
    }

    void runRepetitions(std::int32_t repetitions,
                        const std::function<bool(std::string_view)>& accept) override
    {
        repetitionsShown.push_back(repetitions);
        runOkOnly(repetitionsEntries, accept);
    }

    // One run of the note strip: the OKs pressed in order, each editing the
    // fields shown into what is submitted. No run left: Escape.
    struct NoteRun {
        std::vector<std::function<void(NoteDialogFields&)>> oks;
    };

    DialogResult runNote(const NoteDialogFields& initial,
                         const std::function<bool(const NoteDialogFields&)>& accept) override
    {
        noteShown.push_back(initial);
        if (noteRuns.empty()) return DialogResult::Cancel;
        NoteRun run = std::move(noteRuns.front());
        noteRuns.pop_front();
        for (const auto& edit : run.oks) {
            NoteDialogFields fields = initial;
            edit(fields);
            if (accept(fields)) return DialogResult::Ok;
        }
        return DialogResult::Cancel;
    }

    // One run of the pause strip: the texts submitted by OK, in order.
    DialogResult runPause(std::string_view pauseMs,
                          const std::function<bool(std::string_view)>& accept) override
    {
        pauseShown.emplace_back(pauseMs);
        if (pauseRuns.empty()) return DialogResult::Cancel;
        std::vector<std::string> run = std::move(pauseRuns.front());
        pauseRuns.pop_front();
        for (const std::string& text : run)
            if (accept(text)) return DialogResult::Ok;
        return DialogResult::Cancel;
    }

    // One run of the choice dialog: the index OK takes, or nothing for
    // Cancel. No run left: Cancel.
    std::optional<int> runChoice(std::string_view title, std::string_view prompt,
                                 const std::vector<std::string>& items, int initial) override
    {
        choicesShown.push_back({std::string(title), std::string(prompt), items, initial});
        if (choiceAnswers.empty()) return std::nullopt;
        const std::optional<int> answer = choiceAnswers.front();
        choiceAnswers.pop_front();
        return answer;
    }

    struct ChoiceShown {
        std::string title;
        std::string prompt;
        std::vector<std::string> items;
        int initial = 0;
    };

    std::deque<std::optional<int>> choiceAnswers;
    std::vector<ChoiceShown> choicesShown;

    std::deque<SettingsRun> settingsRuns;
    std::vector<SettingsFields> settingsShown;
    std::vector<SettingsFields> submittedSettings;

    std::deque<std::string> tempoTexts;
    std::vector<std::int32_t> tempoShown;

    std::vector<AboutText> aboutShown;

    std::deque<NoteRun> noteRuns;
    std::vector<NoteDialogFields> noteShown;
    std::deque<std::vector<std::string>> pauseRuns;
    std::vector<std::string> pauseShown;

    // The text dialog: each entry is the whole field as OK submits it.
    std::deque<std::string> textEntries;
    std::vector<std::string> textShown;

    std::deque<std::string> repetitionsEntries;
    std::vector<std::int32_t> repetitionsShown;

private:
    // An OK-only dialog cannot be cancelled: with the script used up it
    // just ends, as the tempo dialog does.
    static void runOkOnly(std::deque<std::string>& entries,
                          const std::function<bool(std::string_view)>& accept)
    {
        while (!entries.empty()) {
            std::string text = std::move(entries.front());
            entries.pop_front();
            if (accept(text)) return;
        }
    }
};

} // namespace qte::fakes
