#pragma once
// Message boxes, as the editor's logic asks for them. The Qt implementation
// shows real boxes; tests use RecordingMessageSink.

#include <string>
#include <string_view>
#include <vector>

namespace qte {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MessageAnswer show(std::string_view text, std::string_view title,
                               MessageButtons buttons) = 0;

    // The "Error!" box with an OK button.
    void showError(std::string_view text) { show(text, "Error!", MessageButtons::Ok); }
};

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
