#pragma once
// Message boxes, as the editor's logic asks for them. The Qt implementation
// shows real boxes; tests use RecordingMessageSink.

#include <string>
#include <string_view>

namespace qte {

// YesNo defaults to No; SaveDiscardCancel is the question before unsaved
// changes are lost.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, SaveDiscardCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Save, Discard };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MessageAnswer show(std::string_view text, std::string_view title,
                               MessageButtons buttons) = 0;

    // The "Error!" box with an OK button.
    void showError(std::string_view text) { show(text, "Error!", MessageButtons::Ok); }
};

} // namespace qte
