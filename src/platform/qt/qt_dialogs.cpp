#include "platform/qt/qt_dialogs.h"

#include <QCheckBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

namespace qte {

namespace {

QString latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Centred on the mouse, kept on the screen.
void centreOnMouse(QWidget& dialog)
{
    dialog.adjustSize();
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

// A field wide enough for this many characters of the dialog's font.
void widthInCharacters(QLineEdit* edit, int characters)
{
    const QFontMetrics metrics(edit->font());
    const int text = metrics.horizontalAdvance(QString(characters, QLatin1Char('0')));
    edit->setFixedWidth(text + metrics.averageCharWidth() * 2);
}

QLineEdit* numericEdit(QWidget* parent, std::string_view text, int characters)
{
    auto* edit = new QLineEdit(latin1(text), parent);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    widthInCharacters(edit, characters);
    return edit;
}

// The one-line strips: their controls in a row, as small as their texts
// allow, at any font and scale.
QHBoxLayout* stripLayout(QDialog& dialog)
{
    auto* row = new QHBoxLayout(&dialog);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(6);
    row->setSizeConstraint(QLayout::SetFixedSize);
    return row;
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

SettingsDialog::SettingsDialog(const SettingsFields& initial,
                               std::function<bool(const SettingsFields&)> accept, QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept))
{
    setWindowTitle(QStringLiteral("Settings"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    nameEdit = new QLineEdit(latin1(initial.toneName), this);
    nameEdit->setMaxLength(static_cast<int>(kSettingsNameChars));
    nameEdit->setObjectName(QStringLiteral("toneName"));
    widthInCharacters(nameEdit, static_cast<int>(kSettingsNameChars));
    idEdit = new QLineEdit(latin1(initial.toneId), this);
    idEdit->setMaxLength(static_cast<int>(kSettingsIdChars));
    idEdit->setObjectName(QStringLiteral("toneId"));
    widthInCharacters(idEdit, static_cast<int>(kSettingsIdChars) + 2);
    connect(idEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = idEdit->cursorPosition();
        idEdit->setText(text.toUpper());
        idEdit->setCursorPosition(cursor);
    });
    drawKeys = new QCheckBox(QStringLiteral("Draw keys"), this);
    writeTempo = new QCheckBox(QStringLiteral("Write tempo"), this);
    keepNaturalNotes = new QCheckBox(QStringLiteral("Keep natural notes"), this);
    scrollWhenPlaying = new QCheckBox(QStringLiteral("Scroll screen when playing"), this);
    drawKeys->setChecked(initial.drawKeys);
    writeTempo->setChecked(initial.writeTempo);
    keepNaturalNotes->setChecked(initial.keepNaturalNotes);
    scrollWhenPlaying->setChecked(initial.scrollWhenPlaying);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);

    // The fields at the left, OK and Cancel at the top right.
    auto* form = new QVBoxLayout;
    form->addWidget(new QLabel(QStringLiteral("Tone name:"), this));
    form->addWidget(nameEdit, 0, Qt::AlignLeft);
    form->addSpacing(4);
    form->addWidget(new QLabel(QStringLiteral("Tone ID:"), this));
    form->addWidget(idEdit, 0, Qt::AlignLeft);
    form->addSpacing(8);
    for (QCheckBox* box : {drawKeys, writeTempo, keepNaturalNotes, scrollWhenPlaying})
        form->addWidget(box);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto* columns = new QHBoxLayout(this);
    columns->setSizeConstraint(QLayout::SetFixedSize);
    columns->addLayout(form);
    columns->addSpacing(12);
    columns->addLayout(buttons);

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
    QHBoxLayout* row = stripLayout(*this);
    tempoEdit = numericEdit(this, std::to_string(tempoBpm), 4);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    row->addWidget(new QLabel(QStringLiteral("Tempo:"), this));
    row->addWidget(tempoEdit);
    row->addWidget(new QLabel(QStringLiteral("bpm"), this));
    row->addSpacing(8);
    row->addWidget(ok);
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
    QHBoxLayout* row = stripLayout(*this);
    textEdit = new QLineEdit(latin1(text), this);
    textEdit->setMaxLength(static_cast<int>(kTextFieldChars));
    widthInCharacters(textEdit, 40);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    row->addWidget(new QLabel(QStringLiteral("Text:"), this));
    row->addWidget(textEdit);
    row->addSpacing(8);
    row->addWidget(ok);
    acceptOnOk(*this, ok, textEdit, m_accept);
    centreOnMouse(*this);
}

RepetitionsDialog::RepetitionsDialog(std::int32_t repetitions,
                                     std::function<bool(std::string_view)> accept, QWidget* parent)
    : QDialog(parent), m_accept(std::move(accept))
{
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    QHBoxLayout* row = stripLayout(*this);
    repetitionsEdit = numericEdit(this, std::to_string(repetitions), 4);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    row->addWidget(new QLabel(QStringLiteral("Number of repetitions:"), this));
    row->addWidget(repetitionsEdit);
    row->addSpacing(8);
    row->addWidget(ok);
    acceptOnOk(*this, ok, repetitionsEdit, m_accept);
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
    QHBoxLayout* row = stripLayout(*this);
    // A number, or a note name as the tone text spells it.
    row->addWidget(new QLabel(QStringLiteral("Note:"), this));
    noteEdit = new QLineEdit(latin1(initial.note), this);
    noteEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9A-Za-z_#, ]{0,19}")), noteEdit));
    noteEdit->setToolTip(
        QStringLiteral("The pitch as a number, or as the tone text names it: C, C#3, A2b"));
    widthInCharacters(noteEdit, 5);
    row->addWidget(noteEdit);
    row->addSpacing(6);
    row->addWidget(new QLabel(QStringLiteral("Start:"), this));
    startEdit = numericEdit(this, initial.start, 7);
    row->addWidget(startEdit);
    row->addSpacing(6);
    row->addWidget(new QLabel(QStringLiteral("Tone time in ms:"), this));
    toneTimeEdit = numericEdit(this, initial.toneTime, 6);
    row->addWidget(toneTimeEdit);
    row->addSpacing(6);
    insertBox = new QCheckBox(QStringLiteral("Insert"), this);
    insertBox->setChecked(initial.insert);
    row->addWidget(insertBox);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    row->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (m_accept(fields())) QDialog::accept();
    });
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
    QHBoxLayout* row = stripLayout(*this);
    pauseEdit = numericEdit(this, pauseMs, 7);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    row->addWidget(new QLabel(QStringLiteral("Pause in ms:"), this));
    row->addWidget(pauseEdit);
    row->addSpacing(8);
    row->addWidget(ok);
    row->addWidget(cancel);
    acceptOnOk(*this, ok, pauseEdit, m_accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
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
    // Wide enough for the longest line, with room for a vertical bar.
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                          list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
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
