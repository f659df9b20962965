#include "app/editor_context.h"

#include "matrix/matrix_window.h"
#include "tune/tone_generator.h"

#include "io/file_store.h"
#include "io/messages.h"
#include "platform/surface.h"
#include "platform/window.h"

#include <algorithm>
#include <filesystem>
#include <memory>

namespace qte {

namespace {

std::string captionWithSource(const char* window, const TuneDocument& document)
{
    std::string caption = std::string(window) + " - " + document.tune().toneName;
    if (document.isModified()) caption += "*";
    if (!document.origin().sourceName.empty()) caption += " - " + document.origin().sourceName;
    return caption;
}

// Where the views stand after the tune was replaced.
void viewsHome(EditorContext& ctx)
{
    ctx.matrixView.scrollUnits = 0;
    ctx.matrixView.horizontalBar.position = 0;
    ctx.ringdataView.textTopLine = 0;
    applyDrawKeys(ctx.matrixView, ctx.settings.drawKeys != 0);
    ctx.noteFrequencyHz = BuildNoteFrequencies(ctx.frequencyTable);
}

void onDocumentChanged(EditorContext& ctx, const DocumentChange& change)
{
    if (change.kind == ChangeKind::Opened) {
        // A new tune ends any step a gesture held open on the old one.
        ctx.gestureStepOpen = false;
        viewsHome(ctx);
        layoutMatrixWindow(ctx);
    }
    if (change.kind == ChangeKind::Saved) {
        updateTitles(ctx);
        repaintCatalogue(ctx);
        return;
    }
    refreshViews(ctx);
}

// A warning that differs only in its counts (how many lines are dropped)
// is the same news: one box while the text stays too long, not one per
// edit, and none in the middle of a mouse gesture.
std::string withoutNumbers(std::string_view text)
{
    std::string out;
    for (const char c : text)
        if (c < '0' || c > '9') out += c;
    return out;
}

} // namespace

EditorContext::EditorContext(const PlatformServices& services) : platform(services)
{
    document.setListener(
        [this](const DocumentChange& change) { onDocumentChanged(*this, change); });
}

void updateTitles(EditorContext& ctx)
{
    ctx.child(Child::MatrixEdit).setCaption(captionWithSource("Matrix edit", ctx.document));
    ctx.child(Child::RingdataView).setCaption(captionWithSource("Ringdata view", ctx.document));
    ctx.child(Child::TunesInRingdata).setCaption(catalogueCaption(ctx.ringdataTitle));
}

void layoutMatrixWindow(EditorContext& ctx)
{
    MatrixSession session(ctx);
    BlockEdit(ctx.child(Child::MatrixEdit), ctx.matrixPainter).onSize(session.context);
}

MatrixSession::MatrixSession(EditorContext& ctx)
    : options{ctx.settings.drawKeys != 0,
              ctx.settings.styleMode,
              ctx.noteLength.newNoteUnits,
              ctx.newNoteKind,
              std::max(0, ctx.textConfig.customNoteCount),
              &ctx.noteNames,
              NamedPitchRange(ctx.noteNames).lowest,
              NamedPitchRange(ctx.noteNames).highest},
      context{ctx.document.editable(), ctx.matrixView, ctx.matrixEdit, options, ctx.keys, ctx.play}
{}

void repaintMatrix(EditorContext& ctx)
{
    MatrixSession session(ctx);
    BlockEdit(ctx.child(Child::MatrixEdit), ctx.matrixPainter).repaint(session.context);
}

void scrollMatrix(EditorContext& ctx, ScrollBar bar, ScrollCode code, std::int32_t position)
{
    MatrixSession session(ctx);
    BlockEdit window(ctx.child(Child::MatrixEdit), ctx.matrixPainter);
    if (bar == ScrollBar::Horizontal)
        window.onHorizontalScroll(session.context, code, position);
    else
        window.onVerticalScroll(session.context, code, position);
}

void regenerateToneText(EditorContext& ctx)
{
    GeneratedToneText generated =
        WriteToneText(ctx.document.tune(), ctx.textConfig, ctx.noteNames,
                      {ctx.settings.writeTempo != 0, ctx.settings.addDefaultParts != 0});
    ctx.toneText = std::move(generated.text);
    const std::string warning = joinLines(generated.warnings);
    if (!warning.empty() && withoutNumbers(warning) != withoutNumbers(ctx.toneTextWarning))
        ctx.platform.messages.show(warning, "Warning", MessageButtons::Ok);
    ctx.toneTextWarning = warning;
    repaintToneText(ctx);
}

void repaintToneText(EditorContext& ctx)
{
    Window& w = ctx.child(Child::RingdataView);
    resizeRingdataView(ctx.ringdataView, w.clientWidth(), w.clientHeight());
    w.setScrollBar(ScrollBar::Vertical, toBar(ringdataVerticalBar(ctx.ringdataView, ctx.toneText)));
    w.setScrollBar(ScrollBar::Horizontal, toBar(ringdataHorizontalBar(ctx.ringdataView)));
    PaintToneText(ctx.ringdataView, ctx.toneText, ctx.document.tune(), w.surface());
    w.invalidate(false);
}

TextConfigReload reloadTextConfig(EditorContext& ctx)
{
    const ConfigFileRead file =
        readConfigFile(ctx.platform.files, ctx.configFolders(), "config.cfg");
    TextConfigResult result =
        LoadTextConfig(ctx.textConfig, file.bytes ? std::string_view(*file.bytes) : "");
    return {std::move(result.warnings), file.error, file.missing()};
}

void tellNoConfig(EditorContext& ctx)
{
    if (ctx.toldNoConfig) return;
    ctx.toldNoConfig = true;
    ctx.platform.messages.show(missingConfigMessage(ctx.configFolders()), "Warning",
                               MessageButtons::Ok);
}

void repaintCatalogue(EditorContext& ctx)
{
    Window& w = ctx.child(Child::TunesInRingdata);
    resizeCatalogueView(ctx.catalogueView, w.clientHeight());
    const std::int32_t count = ctx.catalogue.tuneCount;
    w.setScrollBar(ScrollBar::Vertical, toBar(catalogueVerticalBar(ctx.catalogueView, count)));
    std::vector<std::string> names;
    for (std::int32_t i = 1; i <= count; ++i)
        names.push_back(ctx.catalogue.entries[static_cast<std::size_t>(i)].name);
    // The tune loaded from this list, while it came from the file listed.
    const TuneOrigin& origin = ctx.document.origin();
    CatalogueMark mark;
    if (origin.catalogueEntry >= 1 && origin.ringdataPath == ctx.ringdataPath) {
        mark.entry = origin.catalogueEntry;
        mark.modified = ctx.document.isModified();
    }
    PaintCatalogue(ctx.catalogueView, names, mark, w.surface());
    w.invalidate(false);
}

void refreshViews(EditorContext& ctx)
{
    updateTitles(ctx);
    repaintMatrix(ctx);
    regenerateToneText(ctx);
    repaintCatalogue(ctx);
}

void repaintToolbar(EditorContext& ctx)
{
    ctx.platform.mainWindow.invalidate(false);
}

void openTune(EditorContext& ctx, const Tune& tune, TuneOrigin origin)
{
    ctx.document.open(tune, std::move(origin));
}

void openEmptyTune(EditorContext& ctx)
{
    auto tune = std::make_unique<Tune>(ctx.document.tune());
    ClearTune(*tune);
    TuneOrigin origin;
    origin.fileKind = FileKind::None;
    openTune(ctx, *tune, std::move(origin));
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& l : lines)
        text += (text.empty() ? "" : "\n") + l;
    return text;
}

void showWarnings(EditorContext& ctx, const std::vector<std::string>& warnings,
                  std::string_view file)
{
    if (warnings.empty()) return;
    const std::string heading = file.empty() ? "" : "\"" + std::string(file) + "\":\n";
    ctx.platform.messages.show(heading + joinLines(warnings), "Warning", MessageButtons::Ok);
}

std::string fileNamePart(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

} // namespace qte
