#include "app/toolbar.h"

#include "config/user_settings.h"
#include "playback/play_control.h"
#include "playback/playback.h"
#include "tune/tempo.h"
#include "tune/tune.h"

namespace qte {
namespace {

constexpr int kButtonTop = 10;
constexpr int kButtonHeight = 20;
constexpr int kButtonWidth = 35;
constexpr int kTempoWidth = 37;
constexpr int kPressedRow = 20;

constexpr int kNoteValueCount = 6;
constexpr int kModifierCount = 3;
constexpr int kKeyHeight = 39;
constexpr int kNoteValueWidth = 21;
constexpr int kModifierWidth = 16;
constexpr int kKeyPitch = 30; // distance between keys on screen
constexpr int kNoteValueLeft = 470;
constexpr int kModifierLeft = 670;
constexpr int kChosenRow = 391;
constexpr int kNotChosenRow = 430;

// Click rectangles, bounds inclusive.
constexpr int kStripLeft = 10;
constexpr int kStripRight = 444;
constexpr int kStripBottom = 30;
constexpr int kStripButtonPitch = 40; // each button answers over 40 pixels
constexpr int kTempoLeft = 180;
constexpr int kTempoRight = 216;
constexpr int kKeyBottom = 49;
constexpr int kNoteValueHitWidth = 22;
constexpr int kModifierHitWidth = 16;

Rect at(int x, int y, int w, int h)
{
    return Rect{x, y, x + w, y + h};
}

bool inside(int v, int lo, int hi)
{
    return v >= lo && v <= hi;
}

void copy(Surface& target, const Surface& table, const ToolbarPicture& p)
{
    target.blit(p.destination.left, p.destination.top, p.destination.width(),
                p.destination.height(), table, p.sourceX, p.sourceY);
}

} // namespace

ToolbarPicture transportPicture(ToolbarItem item, const PlayState& play)
{
    const auto row = [](std::int32_t down) { return down != 0 ? kPressedRow : 0; };
    switch (item) {
    case ToolbarItem::Play:
        return {at(10, kButtonTop, kButtonWidth, kButtonHeight), 149, row(play.playButtonDown)};
    case ToolbarItem::Loop:
        return {at(50, kButtonTop, kButtonWidth, kButtonHeight), 184, row(play.loopPlayback)};
    case ToolbarItem::Stop: return {at(90, kButtonTop, kButtonWidth, kButtonHeight), 219, 0};
    case ToolbarItem::Pause:
        return {at(130, kButtonTop, kButtonWidth, kButtonHeight), 254, row(play.pauseButtonDown)};
    case ToolbarItem::Tempo: break;
    }
    return {at(180, kButtonTop, kTempoWidth, kButtonHeight), 289, 0};
}

ToolbarPicture noteValuePicture(int index, const NoteLengthState& length)
{
    const int k = index - 1;
    return {at(kNoteValueLeft + kKeyPitch * k, kButtonTop, kNoteValueWidth, kKeyHeight),
            167 + kNoteValueWidth * k,
            index == length.noteLengthIndex ? kChosenRow : kNotChosenRow};
}

ToolbarPicture modifierPicture(int index, const NoteLengthState& length)
{
    const int k = index - 1;
    return {at(kModifierLeft + kKeyPitch * k, kButtonTop, kModifierWidth, kKeyHeight),
            293 + kModifierWidth * k,
            index == length.noteLengthModifier ? kChosenRow : kNotChosenRow};
}

void drawToolbar(Surface& target, const Surface& buttonTable, const PlayState& play,
                 const NoteLengthState& length)
{
    for (ToolbarItem item : {ToolbarItem::Play, ToolbarItem::Loop, ToolbarItem::Stop,
                             ToolbarItem::Pause, ToolbarItem::Tempo})
        copy(target, buttonTable, transportPicture(item, play));
    target.frameRect(kTransportFrame, kToolbarFrameColour);
    for (int i = 1; i <= kNoteValueCount; ++i)
        copy(target, buttonTable, noteValuePicture(i, length));
    for (int j = 1; j <= kModifierCount; ++j)
        copy(target, buttonTable, modifierPicture(j, length));
    target.frameRect(kKeyPanelFrame, kToolbarFrameColour);
}

ToolbarHit toolbarHitTest(int x, int y)
{
    if (inside(x, kStripLeft, kStripRight) && inside(y, kButtonTop, kStripBottom)) {
        switch ((x - kStripLeft) / kStripButtonPitch) {
        case 0: return {ToolbarHitKind::Play, 0};
        case 1: return {ToolbarHitKind::Loop, 0};
        case 2: return {ToolbarHitKind::Stop, 0};
        case 3: return {ToolbarHitKind::Pause, 0};
        default: break; // the rest of the strip does nothing
        }
    }
    if (inside(x, kTempoLeft, kTempoRight) && inside(y, kButtonTop, kStripBottom))
        return {ToolbarHitKind::Tempo, 0};
    if (inside(y, kButtonTop, kKeyBottom)) {
        for (int i = 1; i <= kNoteValueCount; ++i) {
            const int left = kNoteValueLeft + kKeyPitch * (i - 1);
            if (inside(x, left, left + kNoteValueHitWidth)) return {ToolbarHitKind::NoteValue, i};
        }
        for (int j = 1; j <= kModifierCount; ++j) {
            const int left = kModifierLeft + kKeyPitch * (j - 1);
            if (inside(x, left, left + kModifierHitWidth)) return {ToolbarHitKind::Modifier, j};
        }
    }
    return {};
}

void toolbarClick(int x, int y, PlaybackEnv& env, NoteLengthState& length)
{
    const ToolbarHit hit = toolbarHitTest(x, y);
    switch (hit.kind) {
    case ToolbarHitKind::None: return;
    case ToolbarHitKind::Play: playAction(env); return;
    case ToolbarHitKind::Loop: loopAction(env); return;
    case ToolbarHitKind::Stop: stopAction(env); return;
    case ToolbarHitKind::Pause: pauseAction(env); return;
    case ToolbarHitKind::Tempo: tempoAction(env); return;
    case ToolbarHitKind::NoteValue:
        length.noteLengthIndex = hit.index;
        setNoteLength(length, hit.index, length.noteLengthModifier, env.settings.styleMode,
                      env.tune.msPerUnit);
        break;
    case ToolbarHitKind::Modifier: {
        const int modifier = length.noteLengthModifier == hit.index ? 0 : hit.index;
        setNoteLength(length, length.noteLengthIndex, modifier, env.settings.styleMode,
                      env.tune.msPerUnit);
        break;
    }
    }
    if (env.hooks.repaintToolbar) env.hooks.repaintToolbar();
}

} // namespace qte
