#include "app/dialog_commands.h"

#include "app/editor_context.h"
#include "app/steps.h"
#include "io/messages.h"
#include "platform/window.h"
#include "tunewindows/edit_dialogs.h"

#include <cctype>
#include <string>
#include <utility>

namespace qte {

SettingsFields settingsFields(const EditorContext& ctx)
{
    return {ctx.tune().toneName,
            ctx.tune().toneId,
            ctx.settings.drawKeys != 0,
            ctx.settings.writeTempo != 0,
            ctx.settings.keepNaturalNotes != 0,
            ctx.settings.scrollWhenPlaying != 0};
}

bool applySettings(EditorContext& ctx, const SettingsFields& fields)
{
    ctx.settings.drawKeys = fields.drawKeys ? 1 : 0;
    ctx.settings.writeTempo = fields.writeTempo ? 1 : 0;
    ctx.settings.keepNaturalNotes = fields.keepNaturalNotes ? 1 : 0;
    ctx.settings.scrollWhenPlaying = fields.scrollWhenPlaying ? 1 : 0;
    applyDrawKeys(ctx.matrixView, fields.drawKeys);

    std::string name = fields.toneName.substr(0, kSettingsNameChars);
    std::string id = fields.toneId.substr(0, kSettingsIdChars);
    for (char& c : id)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // A refused name and ID are not taken, so Cancel leaves the old ones.
    if (id.empty() || name.empty()) {
        ctx.platform.messages.show("You must specify Tone name and Tone ID", "Missing data",
                                   MessageButtons::Ok);
        return false;
    }
    // Part of the dialog's step (runSettingsDialog), or a step of its own.
    ctx.document.change(kStepSettings, [&](Tune& t) {
        t.toneName = std::move(name);
        t.toneId = std::move(id);
    });
    (void)reloadTextConfig(ctx);
    layoutMatrixWindow(ctx);
    // The options shown in the views changed too, whether the tune did or not.
    refreshViews(ctx);
    ctx.child(Child::MatrixEdit).invalidate(true);
    return true;
}

DialogResult runSettingsDialog(EditorContext& ctx)
{
    // Every OK of one run, refused or not, makes one step.
    ctx.document.beginStep();
    const DialogResult result = ctx.platform.dialogs.runSettings(
        settingsFields(ctx), [&ctx](const SettingsFields& f) { return applySettings(ctx, f); });
    ctx.document.commitStep(kStepSettings);
    return result;
}

bool applyTempoField(EditorContext& ctx, std::string_view field)
{
    const std::optional<std::int32_t> bpm = readDialogNumber(field);
    if (!bpm || !isValidTempo(*bpm)) {
        ctx.platform.messages.showError("The tempo must be a number from " +
                                        std::to_string(kMinTempoBpm) + " to " +
                                        std::to_string(kMaxTempoBpm) + " bpm.");
        return false;
    }
    bool set = false;
    ctx.document.change(tempoStep(*bpm), [&](Tune& t) {
        set = setTempo(t, *bpm, ctx.settings.keepNaturalNotes != 0, ctx.noteLength,
                       ctx.settings.styleMode);
    });
    repaintToolbar(ctx);
    return set;
}

void runTempoDialog(EditorContext& ctx)
{
    ctx.platform.dialogs.runTempo(ctx.tune().tempoBpm,
                                  [&ctx](std::string_view f) { return applyTempoField(ctx, f); });
}

AboutText aboutText()
{
    return {"Quelo Internal Tune Editor", QTE_VERSION,
            "Draws, plays and converts phone ring tones: firmware tone text, OTA, RTTTL/RTX, "
            "event lists and WAV."};
}

} // namespace qte
