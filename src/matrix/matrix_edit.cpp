#include "matrix/matrix_edit.h"

#include <algorithm>

namespace qte {

std::string moveStep(std::int32_t notes)
{
    return notes == 1 ? std::string("Move note") : "Move " + std::to_string(notes) + " notes";
}

void CopySelection(const Tune& tune, MatrixEditState& edit)
{
    int k = 0;
    float refStart = 0.0f;
    std::int32_t refPitch = 0;
    for (int i = 1; i <= tune.noteCount; ++i) {
        const NoteRecord& n = tune.noteTable[i];
        if (!n.selected) continue;
        ++k;
        if (k == 1) {
            refStart = n.startUnits;
            refPitch = n.pitch;
        }
        edit.clipboardOffsets[k] = {n.startUnits - refStart, std::int64_t{n.pitch} - refPitch};
        edit.clipboardNotes[k] = n;
    }
    edit.clipboardCount = k;
}

void CutSelection(Tune& tune, MatrixEditState& edit)
{
    CopySelection(tune, edit);
    DeleteSelectedNotes(tune);
}

bool PasteClipboard(Tune& tune, MatrixEditState& edit)
{
    if (edit.clipboardCount < 1) return true;
    if (tune.noteCount + edit.clipboardCount > kMaxNotes) return false;
    ClearSelection(tune);
    edit.dragCount = edit.clipboardCount;
    std::copy_n(edit.clipboardNotes.begin() + 1, edit.clipboardCount, edit.dragBuffer.begin() + 1);
    std::copy_n(edit.clipboardOffsets.begin() + 1, edit.clipboardCount,
                edit.dragOffsets.begin() + 1);
    edit.dragIsPaste = true;
    tune.selectionMode = 2;
    return true;
}

} // namespace qte
