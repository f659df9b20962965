#pragma once

#include "io/messages.h"

#include <string>
#include <string_view>
#include <vector>

namespace qte {

// Records every box and answers from a script (then with the default answer).
class RecordingMessageSink final : public MessageSink {
public:
    struct Shown {
        std::string text;
        std::string title;
        MessageButtons buttons;
    };

    MessageAnswer show(std::string_view text, std::string_view title,
                       MessageButtons buttons) override;

    std::vector<Shown> shown;
    std::vector<MessageAnswer> answers; // consumed front to back
    MessageAnswer defaultAnswer = MessageAnswer::Ok;
};

} // namespace qte
