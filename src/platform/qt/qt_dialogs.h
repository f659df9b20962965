#pragma once
// The editor's modal dialogs as QDialogs with Qt layouts, so that every
// text fits at any font and scale, and the file dialogs as QFileDialogs.

#include "platform/dialogs.h"
#include "platform/file_dialogs.h"
#include "platform/tick.h"

#include <QDialog>
#include <QElapsedTimer>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QWidget;

namespace qte {

class SettingsDialog final : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(const SettingsFields& initial, std::function<bool(const SettingsFields&)> accept,
                   QWidget* parent);
    [[nodiscard]] SettingsFields fields() const;

    QLineEdit* nameEdit;
    QLineEdit* idEdit;
    QCheckBox* drawKeys;
    QCheckBox* writeTempo;
    QCheckBox* keepNaturalNotes;
    QCheckBox* scrollWhenPlaying;

private:
    std::function<bool(const SettingsFields&)> m_accept;
};

// The one-line tempo strip: no caption, opens at the mouse, closes only
// by an accepted OK.
class TempoDialog final : public QDialog {
    Q_OBJECT
public:
    TempoDialog(std::int32_t tempoBpm, std::function<bool(std::string_view)> accept,
                QWidget* parent);
    void reject() override {} // Escape does not close it

    QLineEdit* tempoEdit;

private:
    std::function<bool(std::string_view)> m_accept;
};

// The Ringdata view's note strip 147: no caption, opens at the mouse,
// Escape cancels.
class NoteDialog final : public QDialog {
    Q_OBJECT
public:
    NoteDialog(const NoteDialogFields& initial, std::function<bool(const NoteDialogFields&)> accept,
               QWidget* parent);
    [[nodiscard]] NoteDialogFields fields() const;

    QLineEdit* noteEdit;
    QLineEdit* startEdit;
    QLineEdit* toneTimeEdit;
    QCheckBox* insertBox;

private:
    std::function<bool(const NoteDialogFields&)> m_accept;
};

// The pause strip 159, with OK and Cancel.
class PauseDialog final : public QDialog {
    Q_OBJECT
public:
    PauseDialog(std::string_view pauseMs, std::function<bool(std::string_view)> accept,
                QWidget* parent);

    QLineEdit* pauseEdit;

private:
    std::function<bool(std::string_view)> m_accept;
};

// A list of items to pick one from, with OK and Cancel; a double click
// takes the item.
class ChoiceDialog final : public QDialog {
    Q_OBJECT
public:
    ChoiceDialog(std::string_view title, std::string_view prompt,
                 const std::vector<std::string>& items, int initial, QWidget* parent);
    // The selected row, from 0; -1 for none.
    [[nodiscard]] int chosen() const;

    QListWidget* list;
};

class QtModalDialogs final : public ModalDialogs {
public:
    explicit QtModalDialogs(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    DialogResult runSettings(const SettingsFields& initial,
                             const std::function<bool(const SettingsFields&)>& accept) override;
    void runTempo(std::int32_t tempoBpm,
                  const std::function<bool(std::string_view)>& accept) override;
    void runAbout(const AboutText& about) override;
    DialogResult runNote(const NoteDialogFields& initial,
                         const std::function<bool(const NoteDialogFields&)>& accept) override;
    DialogResult runPause(std::string_view pauseMs,
                          const std::function<bool(std::string_view)>& accept) override;

    void runText(std::string_view text,
                 const std::function<bool(std::string_view)>& accept) override;
    void runRepetitions(std::int32_t repetitions,
                        const std::function<bool(std::string_view)>& accept) override;
    std::optional<int> runChoice(std::string_view title, std::string_view prompt,
                                 const std::vector<std::string>& items, int initial) override;

private:
    QWidget* m_owner;
};

class QtFileDialogs final : public FileDialogs {
public:
    explicit QtFileDialogs(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }

    std::optional<FileChoice> openFile(const std::vector<FileFilter>& filters,
                                       const std::string& initialPath) override;
    std::optional<FileChoice> saveFile(const std::vector<FileFilter>& filters,
                                       const std::string& initialPath) override;

private:
    std::optional<FileChoice> run(bool save, const std::vector<FileFilter>& filters,
                                  const std::string& initialPath);
    QWidget* m_owner;
};

class QtTickClock final : public TickClock {
public:
    QtTickClock() { m_timer.start(); }
    std::uint32_t nowMs() const override { return static_cast<std::uint32_t>(m_timer.elapsed()); }

private:
    QElapsedTimer m_timer;
};

// The Matrix editor's one-line strips 158 and 154: no caption, open at the
// mouse, OK only (Escape does not close them).
class TextDialog final : public QDialog {
    Q_OBJECT
public:
    TextDialog(std::string_view text, std::function<bool(std::string_view)> accept,
               QWidget* parent);
    void reject() override {}

    QLineEdit* textEdit;

private:
    std::function<bool(std::string_view)> m_accept;
};

class RepetitionsDialog final : public QDialog {
    Q_OBJECT
public:
    RepetitionsDialog(std::int32_t repetitions, std::function<bool(std::string_view)> accept,
                      QWidget* parent);
    void reject() override {}

    QLineEdit* repetitionsEdit;

private:
    std::function<bool(std::string_view)> m_accept;
};

} // namespace qte
