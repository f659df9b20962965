#include "support/recording_message_sink.h"

namespace qte {

MessageAnswer RecordingMessageSink::show(std::string_view text, std::string_view title,
                                         MessageButtons buttons)
{
    shown.push_back({std::string(text), std::string(title), buttons});
    if (answers.empty()) return defaultAnswer;
    const MessageAnswer a = answers.front();
    answers.erase(answers.begin());
    return a;
}

} // namespace qte
