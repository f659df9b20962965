#include "app/audition.h"

#include "app/editor_context.h"
#include "platform/wave_out.h"
#include "sound/renderer.h"

#include <memory>

namespace qte {

void openAudition(EditorContext& ctx)
{
    ctx.auditionOpen = ctx.platform.auditionOut.open() == WaveOpenResult::Ok;
    if (!ctx.auditionOpen) ctx.platform.auditionOut.close();
}

void closeAudition(EditorContext& ctx)
{
    ctx.platform.auditionOut.close();
    ctx.auditionOpen = false;
}

void auditionNote(EditorContext& ctx, const NoteRecord& note)
{
    if (!ctx.auditionOpen || ctx.editorOptions.soundNotes == 0) return;
    const std::int32_t hz = noteFrequency(ctx.tune(), note, ctx.textConfig, ctx.noteFrequencyHz);
    auto block = std::make_shared<const PcmBlock>(renderNoteSound(hz, kAuditionMs));
    if (block->empty()) return;
    const auto count = static_cast<std::uint32_t>(block->size());
    // A refused block is no loss worth a message: the note just stays silent.
    (void)ctx.platform.auditionOut.write(std::move(block), count, 1);
}

} // namespace qte
