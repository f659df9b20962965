#include "app/editor_context.h"

#include "matrix/matrix_window.h"
#include "tune/tone_generator.h"

#include "io/file_store.h"
#include "io/messages.h"
#include "platform/surface.h"
#include "platform/window.h"

#include <algorithm>
#include <filesystem>

namespace qte {

namespace {

std::string captionWithSource(const char* window, const Tune& tune)
{
    std::string caption = std::string(window) + " - " + tune.toneName;
    if (!tune.tuneSourceName.empty()) caption += " - " + tune.tuneSourceName;
    return caption;
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

void updateTitles(EditorContext& ctx)
{
    ctx.child(Child::MatrixEdit).setCaption(captionWithSource("Matrix edit", ctx.tune));
    ctx.child(Child::RingdataView).setCaption(captionWithSource("Ringdata view", ctx.tune));
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
              &ctx.noteNames},
      context{ctx.tune, ctx.matrixView, ctx.matrixEdit, options, ctx.keys, ctx.play}
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
        GenerateToneText(ctx.tune, ctx.textConfig, ctx.noteNames,
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
    PaintToneText(ctx.ringdataView, ctx.toneText, ctx.tune, w.surface());
    w.invalidate(false);
}

TextConfigReload reloadTextConfig(EditorContext& ctx)
{
    const ConfigFileRead file =
        readConfigFile(ctx.platform.files, ctx.configFolders(), "config.cfg");
    TextConfigResult result =
        LoadTextConfig(ctx.textConfig, file.bytes ? std::string_view(*file.bytes) : "");
    SubstituteHeaderPlaceholders(ctx.textConfig, ctx.tune.toneName, ctx.tune.toneId);
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
    PaintCatalogue(ctx.catalogueView, names, w.surface());
    w.invalidate(false);
}

void refreshViews(EditorContext& ctx)
{
    repaintMatrix(ctx);
    regenerateToneText(ctx);
}

void repaintToolbar(EditorContext& ctx)
{
    ctx.platform.mainWindow.invalidate(false);
}

void clearEditorTune(EditorContext& ctx)
{
    ClearTune(ctx.tune);
    afterTuneCleared(ctx);
}

void afterTuneCleared(EditorContext& ctx)
{
    ctx.matrixView.scrollUnits = 0;
    ctx.matrixView.horizontalBar.position = 0;
    ctx.ringdataView.textTopLine = 0;
    updateTitles(ctx);
    applyDrawKeys(ctx.matrixView, ctx.settings.drawKeys != 0);
    layoutMatrixWindow(ctx);
    ctx.noteFrequencyHz = BuildNoteFrequencies(ctx.frequencyTable);
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
