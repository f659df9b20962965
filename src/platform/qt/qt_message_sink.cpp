#include "platform/qt/qt_message_sink.h"

#include <QMessageBox>

#include <QString>
#include <cstdio>

namespace qte {

namespace {

QString fromText(std::string_view s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

MessageAnswer QtMessageSink::show(std::string_view text, std::string_view title,
                                  MessageButtons buttons)
{
    QMessageBox box(m_owner);
    box.setWindowTitle(fromText(title));
    box.setText(fromText(text));
    QMessageBox::StandardButton fallback = QMessageBox::Ok;
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setIcon(title == "Error!" ? QMessageBox::Critical : QMessageBox::Information);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setIcon(QMessageBox::Question);
        fallback = QMessageBox::Cancel;
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setIcon(QMessageBox::Question);
        fallback = QMessageBox::No;
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setIcon(QMessageBox::Question);
        fallback = QMessageBox::Cancel;
        break;
    case MessageButtons::SaveDiscardCancel:
        box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Save);
        box.setIcon(QMessageBox::Warning);
        fallback = QMessageBox::Cancel;
        break;
    }
    box.setEscapeButton(fallback);
    if (m_unattended) {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(),
                     static_cast<int>(text.size()), text.data());
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::Cancel;
    }
    switch (static_cast<QMessageBox::StandardButton>(box.exec())) {
    case QMessageBox::Ok: return MessageAnswer::Ok;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Save: return MessageAnswer::Save;
    case QMessageBox::Discard: return MessageAnswer::Discard;
    default: return MessageAnswer::Cancel;
    }
}

} // namespace qte
