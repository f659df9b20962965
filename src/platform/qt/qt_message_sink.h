#pragma once
// Message boxes as real QMessageBoxes, owned by a window of the editor.

#include "io/messages.h"

class QWidget;

namespace qte {

class QtMessageSink final : public MessageSink {
public:
    explicit QtMessageSink(QWidget* owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget* owner) { m_owner = owner; }
    // With nobody to answer (a picture taken without a display), boxes go
    // to stderr and take their safe answer.
    void setUnattended(bool unattended) { m_unattended = unattended; }

    MessageAnswer show(std::string_view text, std::string_view title,
                       MessageButtons buttons) override;

private:
    QWidget* m_owner;
    bool m_unattended = false;
};

} // namespace qte
