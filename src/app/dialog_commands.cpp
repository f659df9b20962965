#include "app/dialog_commands.h"

#include "app/editor_context.h"
#include "io/messages.h"
#include "platform/window.h"
#include "tunewindows/edit_dialogs.h"

#include <cctype>
#include <string>
#include <utility>

namespace qte {

SettingsFields settingsFields(const EditorContext& ctx)
{
    return {ctx.tune.toneName,
            ctx.tune.toneId,
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
    ctx.tune.toneName = std::move(name);
    updateTitles(ctx);
    ctx.tune.toneId = std::move(id);
    (void)reloadTextConfig(ctx);
    regenerateToneText(ctx);
    layoutMatrixWindow(ctx);
    ctx.child(Child::MatrixEdit).invalidate(true);
    return true;
}

DialogResult runSettingsDialog(EditorContext& ctx)
{
    return ctx.platform.dialogs.runSettings(
        settingsFields(ctx), [&ctx](const SettingsFields& f) { return applySettings(ctx, f); });
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
    if (!setTempo(ctx.tune, *bpm, ctx.settings.keepNaturalNotes != 0, ctx.noteLength,
                  ctx.settings.styleMode))
        return false;
    regenerateToneText(ctx);
    repaintMatrix(ctx);
    repaintToolbar(ctx);
    return true;
}

void runTempoDialog(EditorContext& ctx)
{
    ctx.platform.dialogs.runTempo(ctx.tune.tempoBpm,
                                  [&ctx](std::string_view f) { return applyTempoField(ctx, f); });
}

AboutText aboutText()
{
    return {"Quelo Internal Tune Editor", QTE_VERSION,
            "Draws, plays and converts phone ring tones: firmware tone text, OTA, RTTTL/RTX, "
            "event lists and WAV."};
}

} // namespace qte
