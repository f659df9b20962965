// Random mouse sessions: whatever the user does with both buttons, the
// modifier keys, styles and the clipboard, the lists stay ordered, free of
// overlaps and of empty items once each gesture is finished.

#include "matrix/matrix_mouse.h"
#include "matrix_scene.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace qte {
namespace {

using testing_support::MatrixScene;

class ClearingDialogs final : public MatrixDialogs {
public:
    explicit ClearingDialogs(std::mt19937& rng) : m_rng(rng) {}
    void editText(Tune& tune, int i) override
    {
        if (m_rng() % 3 == 0) tune.textList[i].setText("");
    }
    void editRepetitions(Tune& tune, int i) override { tune.repeatList[i].repetitions = 3; }

private:
    std::mt19937& m_rng;
};

TEST(MatrixGestureFuzz, RandomSessionsKeepTheListsSound)
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        MatrixScene s(seed % 2 == 0, 480, 360, 6 + static_cast<int>(seed % 5) * 4, 12);
        ClearingDialogs dialogs(rng);
        MatrixServices& svc = s.services;
        svc.dialogs = &dialogs;

        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
        auto randomPoint = [&] {
            // Mostly inside the bands, sometimes outside the window.
            s.edit.mouseX = pick(520) - 20;
            const int band = pick(5);
            if (band == 0)
                s.edit.mouseY = 5 + pick(21);
            else if (band == 1)
                s.edit.mouseY = s.view.vibraTop() + pick(s.view.rowHeight + 1);
            else if (band == 2)
                s.edit.mouseY = s.view.textTop() + pick(s.view.rowHeight + 1);
            else
                s.edit.mouseY = pick(400) - 20;
        };
        bool left = false, right = false;
        for (int step = 0; step < 600; ++step) {
            s.keys.ctrlDown = pick(4) == 0;
            s.keys.shiftDown = pick(5) == 0;
            s.options.styleMode = pick(4);
            s.options.newNoteUnits = 0.5f * static_cast<float>(1 + pick(8));
            s.options.newNoteKind = pick(6) == 0 ? 1 : 0;
            s.options.customNoteCount = 4;
            s.clock.advance(static_cast<unsigned>(pick(600)));
            randomPoint();
            MatrixContext c = s.context();
            switch (pick(9)) {
            case 0:
            case 1:
                if (!left) LeftPress(c, svc), left = true;
                break;
            case 2:
            case 3:
                if (left) LeftRelease(c, svc), left = false;
                break;
            case 4:
                if (!right) RightPress(c, svc), right = true;
                break;
            case 5:
                if (right) RightRelease(c, svc), right = false;
                break;
            case 6:
                if (!left && !right) {
                    switch (pick(5)) {
                    case 0: SelectAll(s.tune); break;
                    case 1: CopySelection(s.tune, s.edit); break;
                    case 2: CutSelection(s.tune, s.edit); break;
                    case 3: (void)PasteClipboard(s.tune, s.edit); break;
                    case 4: StaccatoAll(s.tune); break;
                    }
                }
                break;
            default:
                if (s.edit.gestureActive(s.tune)) s.paint();
                break;
            }
            if (!left && !right && s.edit.pressedText == 0) {
                const auto problems = checkTuneInvariants(s.tune);
                ASSERT_EQ(problems, std::vector<std::string>{}) << "step " << step;
            }
        }
        EXPECT_GT(s.tune.noteCount + s.tune.vibraCount + s.tune.repeatCount + s.tune.textCount, 0);
    }
}

} // namespace
} // namespace qte
