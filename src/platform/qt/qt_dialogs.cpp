#include "platform/qt/qt_dialogs.h"

#include <QCheckBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QVBoxLayout>

namespace qte {

namespace {

// Average character 6 x 13 pixels: 1.5 pixels per horizontal unit,
// 1.625 per vertical one.
int unitsX(int x)
{
    return (x * 3) / 2;
}
int unitsY(int y)
{
    return (y * 13) / 8;
}

QString latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

template <class W> W* place(W* widget, int x, int y, int w, int h)
{
    widget->setGeometry(dialogUnitsRect(x, y, w, h));
    return widget;
}

// Centred on the mouse, kept on the screen.
void centreOnMouse(QWidget& dialog)
{
    QRect r(QPoint(0, 0), dialog.size());
    r.moveCenter(QCursor::pos());
    if (const QScreen* screen = QGuiApplication::screenAt(QCursor::pos())) {
        const QRect avail = screen->availableGeometry();
        r.moveLeft(
            std::clamp(r.left(), avail.left(), std::max(avail.left(), avail.right() - r.width())));
        r.moveTop(
            std::clamp(r.top(), avail.top(), std::max(avail.top(), avail.bottom() - r.height())));
    }
    dialog.move(r.topLeft());
}

// The templates were measured for a narrower font: a label (or check box)
// gets the width its text needs, and what lies right of it moves over to
// make room.
void fitLabels(QDialog& dialog)
{
    const auto widgets = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* label : widgets) {
        if (!qobject_cast<QLabel*>(label) && !qobject_cast<QCheckBox*>(label)) continue;
        const int textRight = label->x() + label->sizeHint().width();
        int nextLeft = dialog.width();
        for (QWidget* w : widgets)
            if (w->x() > label->x()) nextLeft = std::min(nextLeft, w->x());
        const int shift = std::max(0, textRight - nextLeft);
        for (QWidget* w : widgets)
            if (w->x() > label->x()) w->move(w->x() + shift, w->y());
        label->resize(std::max(label->width(), textRight - label->x()), label->height());
        dialog.setFixedWidth(dialog.width() + shift);
    }
}

// An OK that hands the field to accept and closes only when it is taken.
void acceptOnOk(QDialog& dialog, QPushButton* ok, QLineEdit* field,
                const std::function<bool(std::string_view)>& accept)
{
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&dialog, field, &accept] {
        const std::string text = field->text().toLatin1().toStdString();
        if (accept(text)) dialog.accept();
    });
}

} // namespace

QRect dialogUnitsRect(int x, int y, int w, int h)
{
    return {unitsX(x), unitsY(y), unitsX(w), unitsY(h)};
}

SettingsDialog::SettingsDialog(const SettingsFields& initial,
                               std::function<bool(const SettingsFields&)> accept, QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept))
{
    setWindowTitle(QStringLiteral("Settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(unitsX(146), unitsY(124));

    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), 89, 7, 50, 14);
    ok->setDefault(true);
    auto* cancel = place(new QPushButton(QStringLiteral("Cancel"), this), 89, 28, 50, 14);
    place(new QLabel(QStringLiteral("Tone name:"), this), 7, 7, 39, 8);
    nameEdit = place(new QLineEdit(latin1(initial.toneName), this), 7, 16, 56, 12);
    nameEdit->setMaxLength(static_cast<int>(kSettingsNameChars));
    nameEdit->setObjectName(QStringLiteral("toneName"));
    place(new QLabel(QStringLiteral("Tone ID:"), this), 7, 33, 29, 8);
    idEdit = place(new QLineEdit(latin1(initial.toneId), this), 7, 43, 56, 12);
    idEdit->setMaxLength(static_cast<int>(kSettingsIdChars));
    idEdit->setObjectName(QStringLiteral("toneId"));
    connect(idEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = idEdit->cursorPosition();
        idEdit->setText(text.toUpper());
        idEdit->setCursorPosition(cursor);
    });
    drawKeys = place(new QCheckBox(QStringLiteral("Draw keys"), this), 7, 65, 49, 10);
    writeTempo = place(new QCheckBox(QStringLiteral("Write tempo"), this), 7, 78, 54, 10);
    keepNaturalNotes =
        place(new QCheckBox(QStringLiteral("Keep natural notes"), this), 7, 90, 75, 10);
    scrollWhenPlaying =
        place(new QCheckBox(QStringLiteral("Scroll screen when playing"), this), 7, 103, 100, 10);
    drawKeys->setChecked(initial.drawKeys);
    writeTempo->setChecked(initial.writeTempo);
    keepNaturalNotes->setChecked(initial.keepNaturalNotes);
    scrollWhenPlaying->setChecked(initial.scrollWhenPlaying);

    connect(ok, &QPushButton::clicked, this, [this] {
        if (m_accept(fields())) QDialog::accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

SettingsFields SettingsDialog::fields() const
{
    return {nameEdit->text().toLatin1().toStdString(),
            idEdit->text().toUpper().toLatin1().toStdString(),
            drawKeys->isChecked(),
            writeTempo->isChecked(),
            keepNaturalNotes->isChecked(),
            scrollWhenPlaying->isChecked()};
}

TempoDialog::TempoDialog(std::int32_t tempoBpm, std::function<bool(std::string_view)> accept,
                         QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(unitsX(147), unitsY(14));
    place(new QLabel(QStringLiteral("Tempo:"), this), 3, 2, 25, 8);
    tempoEdit = place(new QLineEdit(QString::number(tempoBpm), this), 29, 0, 40, 14);
    tempoEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    place(new QLabel(QStringLiteral("bpm"), this), 72, 2, 14, 8);
    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), 97, 0, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        const std::string text = tempoEdit->text().toLatin1().toStdString();
        if (m_accept(text)) QDialog::accept();
    });
    centreOnMouse(*this);
}

DialogResult QtModalDialogs::runSettings(const SettingsFields& initial,
                                         const std::function<bool(const SettingsFields&)>& accept)
{
    SettingsDialog dialog(initial, accept, m_owner);
    return dialog.exec() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
}

void QtModalDialogs::runTempo(std::int32_t tempoBpm,
                              const std::function<bool(std::string_view)>& accept)
{
    TempoDialog dialog(tempoBpm, accept, m_owner);
    dialog.exec();
}

void QtModalDialogs::runAbout(const AboutText& about)
{
    QMessageBox box(m_owner);
    box.setWindowTitle(QStringLiteral("About"));
    box.setText(QStringLiteral("<b>%1</b><br>Version %2")
                    .arg(latin1(about.programName), latin1(about.version)));
    box.setInformativeText(latin1(about.description));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

TextDialog::TextDialog(std::string_view text, std::function<bool(std::string_view)> accept,
                       QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(unitsX(331), unitsY(12));
    place(new QLabel(QStringLiteral("Text:"), this), 4, 2, 17, 8);
    textEdit = place(new QLineEdit(latin1(text), this), 22, 0, 252, 12);
    textEdit->setMaxLength(static_cast<int>(kTextFieldChars));
    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), 282, 0, 49, 12);
    acceptOnOk(*this, ok, textEdit, m_accept);
    fitLabels(*this);
    centreOnMouse(*this);
}

RepetitionsDialog::RepetitionsDialog(std::int32_t repetitions,
                                     std::function<bool(std::string_view)> accept, QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(unitsX(177), unitsY(14));
    place(new QLabel(QStringLiteral("Number of repetitions:"), this), 4, 2, 70, 8);
    repetitionsEdit = place(new QLineEdit(QString::number(repetitions), this), 73, 0, 37, 14);
    repetitionsEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), 128, 0, 49, 14);
    acceptOnOk(*this, ok, repetitionsEdit, m_accept);
    fitLabels(*this);
    centreOnMouse(*this);
}

void QtModalDialogs::runText(std::string_view text,
                             const std::function<bool(std::string_view)>& accept)
{
    TextDialog dialog(text, accept, m_owner);
    dialog.exec();
}

void QtModalDialogs::runRepetitions(std::int32_t repetitions,
                                    const std::function<bool(std::string_view)>& accept)
{
    RepetitionsDialog dialog(repetitions, accept, m_owner);
    dialog.exec();
}

namespace {

QLineEdit* numericEdit(QDialog* dialog, std::string_view text, int x, int y, int w, int h)
{
    auto* edit = place(new QLineEdit(latin1(text), dialog), x, y, w, h);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), dialog));
    return edit;
}

std::string fieldText(const QLineEdit* edit)
{
    return edit->text().toLatin1().toStdString();
}

} // namespace

NoteDialog::NoteDialog(const NoteDialogFields& initial,
                       std::function<bool(const NoteDialogFields&)> accept, QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(unitsX(324), unitsY(12));
    place(new QLabel(QStringLiteral("Note:"), this), 3, 2, 18, 8);
    noteEdit = numericEdit(this, initial.note, 23, 0, 37, 12);
    place(new QLabel(QStringLiteral("Start:"), this), 69, 2, 18, 8);
    startEdit = numericEdit(this, initial.start, 89, 0, 37, 12);
    place(new QLabel(QStringLiteral("Tone time in ms:"), this), 135, 2, 52, 8);
    toneTimeEdit = numericEdit(this, initial.toneTime, 187, 0, 41, 12);
    insertBox = place(new QCheckBox(QStringLiteral("Insert"), this), 241, 1, 33, 10);
    insertBox->setChecked(initial.insert);
    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), 275, 0, 49, 12);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (m_accept(fields())) QDialog::accept();
    });
    fitLabels(*this);
    centreOnMouse(*this);
}

NoteDialogFields NoteDialog::fields() const
{
    return {fieldText(noteEdit), fieldText(startEdit), fieldText(toneTimeEdit),
            insertBox->isChecked()};
}

PauseDialog::PauseDialog(std::string_view pauseMs, std::function<bool(std::string_view)> accept,
                         QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setFixedSize(unitsX(208), unitsY(14));
    place(new QLabel(QStringLiteral("Pause in ms:"), this), 0, 1, 41, 8);
    pauseEdit = numericEdit(this, pauseMs, 49, 0, 40, 14);
    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), 103, 0, 50, 11);
    acceptOnOk(*this, ok, pauseEdit, m_accept);
    auto* cancel = place(new QPushButton(QStringLiteral("Cancel"), this), 158, 0, 50, 11);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    fitLabels(*this);
    centreOnMouse(*this);
}

DialogResult QtModalDialogs::runNote(const NoteDialogFields& initial,
                                     const std::function<bool(const NoteDialogFields&)>& accept)
{
    NoteDialog dialog(initial, accept, m_owner);
    return dialog.exec() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
}

DialogResult QtModalDialogs::runPause(std::string_view pauseMs,
                                      const std::function<bool(std::string_view)>& accept)
{
    PauseDialog dialog(pauseMs, accept, m_owner);
    return dialog.exec() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancel;
}

ChoiceDialog::ChoiceDialog(std::string_view title, std::string_view prompt,
                           const std::vector<std::string>& items, int initial, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(latin1(title));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(latin1(prompt), this);
    label->setWordWrap(true);
    layout->addWidget(label);
    list = new QListWidget(this);
    for (const std::string& item : items)
        list->addItem(latin1(item));
    if (initial >= 0 && initial < list->count()) list->setCurrentRow(initial);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (chosen() >= 0) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        list->setCurrentItem(item);
        accept();
    });
}

int ChoiceDialog::chosen() const
{
    return list->currentRow();
}

std::optional<int> QtModalDialogs::runChoice(std::string_view title, std::string_view prompt,
                                             const std::vector<std::string>& items, int initial)
{
    ChoiceDialog dialog(title, prompt, items, initial, m_owner);
    if (dialog.exec() != QDialog::Accepted || dialog.chosen() < 0) return std::nullopt;
    return dialog.chosen();
}

std::optional<FileChoice> QtFileDialogs::openFile(const std::vector<FileFilter>& filters,
                                                  const std::string& initialPath)
{
    return run(false, filters, initialPath);
}

std::optional<FileChoice> QtFileDialogs::saveFile(const std::vector<FileFilter>& filters,
                                                  const std::string& initialPath)
{
    return run(true, filters, initialPath);
}

std::optional<FileChoice> QtFileDialogs::run(bool save, const std::vector<FileFilter>& filters,
                                             const std::string& initialPath)
{
    QFileDialog dialog(m_owner);
    QStringList names;
    for (const FileFilter& f : filters)
        names << QStringLiteral("%1 (%2)").arg(latin1(f.name), latin1(f.pattern));
    dialog.setNameFilters(names);
    if (!names.isEmpty()) dialog.selectNameFilter(names.front());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowTitle(save ? QStringLiteral("Save as") : QStringLiteral("Open"));
    if (!initialPath.empty()) dialog.selectFile(QString::fromLocal8Bit(initialPath.c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const int index = static_cast<int>(names.indexOf(dialog.selectedNameFilter()));
    return FileChoice{dialog.selectedFiles().front().toLocal8Bit().toStdString(),
                      index >= 0 ? index + 1 : 1};
}

} // namespace qte
