#include "app/startup.h"

#include "app/audition.h"
#include "app/editor_context.h"
#include "app/playback_commands.h"
#include "io/file_store.h"
#include "io/messages.h"
#include "platform/window.h"

#include <memory>

namespace qte {

Rect childPlacement(Child child, int clientRight, int clientBottom)
{
    switch (child) {
    case Child::MatrixEdit: return {460, 63, 460 + (clientRight - 455), 63 + (clientBottom - 63)};
    case Child::RingdataView: return {20, 63, 20 + 430, 63 + (clientBottom - 63)};
    case Child::TunesInRingdata: return {0, 40, 300, 40 + (clientBottom - 60)};
    }
    return {};
}

void startEditor(EditorContext& ctx, const std::filesystem::path& startDirectory)
{
    ctx.startDirectory = startDirectory;
    FileStore& files = ctx.platform.files;

    const FileReadResult settingsFile = files.read(ctx.startFile("config.dat"));
    if (settingsFile.bytes) ctx.settings = LoadUserSettings(*settingsFile.bytes).settings;
    applyStoredZoom(ctx.matrixView, ctx.settings.unitWidth, ctx.settings.rowHeight);
    const FileReadResult optionsFile = files.read(ctx.startFile(kEditorOptionsFile));
    if (optionsFile.bytes) ctx.editorOptions = LoadEditorOptions(*optionsFile.bytes).options;
    openSound(ctx);
    openAudition(ctx);

    ctx.frequencyTable = DefaultFrequencyTable();
    const FileReadResult frequencies = files.read(ctx.startFile("midihz.ini"));
    if (frequencies.bytes) LoadFrequencyTable(ctx.frequencyTable, *frequencies.bytes);
    ctx.noteFrequencyHz = BuildNoteFrequencies(ctx.frequencyTable);

    showWarnings(ctx, reloadTextConfig(ctx).warnings);
    ctx.noteNames = BuildNoteNameTable();

    ctx.activeChild = Child::MatrixEdit;
    auto tune = std::make_unique<Tune>(ctx.tune());
    ClearTune(*tune);
    openTune(ctx, *tune, TuneOrigin{});
    ctx.matrixView.lowestPitch = kInitialLowestPitch;
    layoutMatrixWindow(ctx);
}

void shutdownEditor(EditorContext& ctx)
{
    closeAudition(ctx);
    closeSound(ctx);
    ctx.settings.unitWidth = ctx.matrixView.unitWidth;
    ctx.settings.rowHeight = ctx.matrixView.rowHeight;
    if (const auto error =
            ctx.platform.files.write(ctx.startFile("config.dat"), EncodeUserSettings(ctx.settings)))
        ctx.platform.messages.showError(error->message);
    if (const auto error = ctx.platform.files.write(ctx.startFile(kEditorOptionsFile),
                                                    EncodeEditorOptions(ctx.editorOptions)))
        ctx.platform.messages.showError(error->message);
}

} // namespace qte
