#include "app/startup.h"

#include "app/audition.h"
#include "app/editor_context.h"
#include "app/playback_commands.h"
#include "io/file_store.h"
#include "io/messages.h"
#include "platform/window.h"
#include "tunewindows/ringdata_view.h"

#include <algorithm>

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

std::array<Rect, 3> arrangeChildren(int clientWidth, int clientHeight, ChildFrame frame)
{
    const int ringdataWidth = kToneLineColumns * kTextCharWidth + frame.width;
    const int tunesWidth = kTuneListColumns * kTextCharWidth + frame.width;
    const int bottom = std::max(clientHeight, kChildrenTop + frame.height + 1);
    std::array<Rect, 3> places{};
    auto place = [&places](Child c, Rect r) { places[static_cast<std::size_t>(c)] = r; };
    if (clientWidth - tunesWidth - ringdataWidth >= kSideBySideMatrixWidth) {
        place(Child::TunesInRingdata, {0, kChildrenTop, tunesWidth, bottom});
        place(Child::RingdataView, {tunesWidth, kChildrenTop, tunesWidth + ringdataWidth, bottom});
        place(Child::MatrixEdit, {tunesWidth + ringdataWidth, kChildrenTop, clientWidth, bottom});
        return places;
    }
    for (const Child c : {Child::MatrixEdit, Child::RingdataView, Child::TunesInRingdata})
        place(c, childPlacement(c, clientWidth, clientHeight));
    Rect& ringdata = places[static_cast<std::size_t>(Child::RingdataView)];
    const int wider = std::max(0, ringdataWidth - ringdata.width());
    ringdata.right += wider;
    places[static_cast<std::size_t>(Child::MatrixEdit)].left += wider;
    return places;
}

void startEditor(EditorContext& ctx, const std::filesystem::path& startDirectory,
                 const std::filesystem::path& dataDirectory)
{
    ctx.startDirectory = startDirectory;
    ctx.dataDirectory = dataDirectory;
    FileStore& files = ctx.platform.files;

    const FileReadResult settingsFile = files.read(ctx.startFile("config.dat"));
    if (settingsFile.bytes) ctx.settings = LoadUserSettings(*settingsFile.bytes).settings;
    applyStoredZoom(ctx.matrixView, ctx.settings.unitWidth, ctx.settings.rowHeight);
    const FileReadResult optionsFile = files.read(ctx.startFile(kEditorOptionsFile));
    if (optionsFile.bytes) ctx.editorOptions = LoadEditorOptions(*optionsFile.bytes).options;
    openSound(ctx);
    openAudition(ctx);

    ctx.frequencyTable = DefaultFrequencyTable();
    const ConfigFileRead frequencies = readConfigFile(files, ctx.configFolders(), "midihz.ini");
    if (frequencies.bytes) LoadFrequencyTable(ctx.frequencyTable, *frequencies.bytes);
    ctx.noteFrequencyHz = BuildNoteFrequencies(ctx.frequencyTable);

    const TextConfigReload config = reloadTextConfig(ctx);
    if (config.readError)
        ctx.platform.messages.showError(config.readError->message);
    else if (config.missing)
        tellNoConfig(ctx);
    showWarnings(ctx, config.warnings);
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
