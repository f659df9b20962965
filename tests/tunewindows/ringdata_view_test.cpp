#include "tunewindows/catalogue_view.h"
#include "tunewindows/ringdata_view.h"

#include "tune/tone_text.h"
#include "tune/tune.h"
#include "tunewindows/recording_surface.h"

#include <gtest/gtest.h>

#include <memory>

namespace qte {
namespace {

std::unique_ptr<ToneText> textOfLines(int count)
{
    auto t = std::make_unique<ToneText>();
    t->toneTextLineCount = count;
    for (int i = 0; i < count; ++i)
        t->toneTextLines[i] = "        line " + std::to_string(i) + "\n";
    return t;
}

TEST(RingdataView, NoteLinesShowKindPitchAndSelection)
{
    const struct {
        int pitch;
        NoteKind kind;
        bool selected;
        Colour want;
    } cases[] = {
        {69, NoteKind::Normal, false, rgbColour(0, 255, 0)},
        {69, NoteKind::Normal, true, rgbColour(0, 0, 255)},
        {108, NoteKind::Normal, false, rgbColour(234, 255, 234)},
        {60, NoteKind::Normal, false, rgbColour(0, 255, 0)},
        {80, NoteKind::Special, false, rgbColour(255, 66, 175)},
        {73, NoteKind::FreqDefine, false, rgbColour(24, 255, 255)},
        {73, NoteKind::FreqDefine, true, rgbColour(0, 24, 255)},
        {127, NoteKind::Normal, false, rgbColour(92, 255, 92)}, // 348 kept to its low byte
        // a FREQ_DEFINE number may be any 32-bit value
        {INT32_MAX, NoteKind::FreqDefine, false, rgbColour(92, 255, 255)},
    };
    for (const auto& k : cases) {
        NoteRecord n;
        n.pitch = k.pitch;
        n.kind = static_cast<std::int32_t>(k.kind);
        n.selected = k.selected;
        EXPECT_EQ(noteLineColour(n), k.want) << k.pitch;
    }
}

TEST(RingdataView, OtherLinesShowTheirKindAndANoteLineFollowsItsNote)
{
    Tune tune;
    tune.noteCount = 1;
    tune.noteTable[1].pitch = 69;
    const struct {
        LineItemKind kind;
        int index;
        Colour want;
    } cases[] = {
        {LineItemKind::Pause, 375, rgbColour(150, 150, 150)},
        {LineItemKind::VibraOn, 1, rgbColour(150, 150, 0)},
        {LineItemKind::VibraOff, 1, rgbColour(150, 150, 0)},
        {LineItemKind::RepeatOpen, 1, rgbColour(200, 150, 0)},
        {LineItemKind::RepeatClose, 1, rgbColour(200, 150, 0)},
        {LineItemKind::FreeText, 1, rgbColour(20, 200, 125)},
        {LineItemKind::Other, 0, rgbColour(180, 180, 180)},
        {LineItemKind::Note, 1, rgbColour(0, 255, 0)},
        // A line of a note the tune no longer has.
        {LineItemKind::Note, 2, rgbColour(180, 180, 180)},
    };
    for (const auto& k : cases) {
        const LineInfo info{static_cast<std::uint8_t>(k.kind), k.index};
        EXPECT_EQ(lineColour(info, tune), k.want) << static_cast<int>(k.kind) << " " << k.index;
    }
    tune.noteTable[1].selected = 1;
    EXPECT_EQ(lineColour({static_cast<std::uint8_t>(LineItemKind::Note), 1}, tune),
              rgbColour(0, 0, 255));
}

TEST(RingdataView, ScrollingStopsAtTheLastPageAndWhereTheLastColumnShowsCharacter129)
{
    using enum ScrollCode;
    struct Step {
        ScrollCode code;
        int track;
        bool handled;
        int top;
    };
    const Step steps[] = {
        {LineDown, 0, true, 1},     {PageDown, 0, true, 11},  {PageDown, 0, true, 15},
        {LineDown, 0, true, 15},    {LineUp, 0, true, 14},    {ThumbTrack, 3, true, 3},
        {PageUp, 0, true, 0},       {LineUp, 0, true, 0},     {Top, 0, false, 0},
        {ThumbTrack, 99, true, 15}, {EndScroll, 0, false, 15}};
    RingdataView v;
    resizeRingdataView(v, 400, 150); // 10 lines of 50 columns
    auto text = textOfLines(25);
    EXPECT_EQ(ringdataVerticalBar(v, *text), (ScrollSetting{0, 24, 10, 0, true}));
    EXPECT_EQ(ringdataHorizontalBar(v), (ScrollSetting{0, 129, 50, 0, true}));
    for (const Step& s : steps) {
        SCOPED_TRACE(static_cast<int>(s.code));
        EXPECT_EQ(scrollRingdataVertically(v, *text, s.code, s.track), s.handled);
        EXPECT_EQ(v.textTopLine, s.top);
    }
    // A text shorter than the window never scrolls.
    auto shortText = textOfLines(3);
    EXPECT_TRUE(scrollRingdataVertically(v, *shortText, LineDown, 0));
    EXPECT_EQ(v.textTopLine, 0);

    EXPECT_TRUE(scrollRingdataHorizontally(v, ThumbTrack, 500));
    EXPECT_EQ(v.textLeftColumn, 80);
    EXPECT_EQ(v.textLeftColumn + v.textVisibleColumns - 1, 129);
    EXPECT_TRUE(scrollRingdataHorizontally(v, Top, 0)); // left
    EXPECT_EQ(v.textLeftColumn, 0);

    resizeRingdataView(v, -5, 7); // a window made tiny
    EXPECT_EQ(std::pair(v.textVisibleLines, v.textVisibleColumns), std::pair(0, 0));
}

TEST(RingdataView, PaintsVisibleLinesInTheirColoursFromTheLeftColumn)
{
    auto text = textOfLines(25);
    Tune tune;
    tune.noteCount = 1;
    tune.noteTable[1].pitch = 69;
    text->lineInfo[3] = {static_cast<std::uint8_t>(LineItemKind::Note), 1}; // green
    RingdataView v;
    resizeRingdataView(v, 400, 150);
    v.textTopLine = 2;
    v.textLeftColumn = 8;
    test::TextRecordingSurface s(400, 150);
    PaintToneText(v, *text, tune, s);
    ASSERT_FALSE(s.fills.empty());
    EXPECT_EQ(s.fills[0].first, (Rect{0, 0, 400, 150}));
    EXPECT_EQ(s.fills[0].second, rgbColour(0, 0, 0));
    ASSERT_EQ(s.texts.size(), 10u);
    EXPECT_EQ(s.texts[0].s, "line 2"); // the indent scrolled away, the line end not drawn
    EXPECT_EQ(s.texts[1].y, 15);
    EXPECT_EQ(s.texts[1].foreground, rgbColour(0, 255, 0));
    EXPECT_EQ(s.texts[2].foreground, rgbColour(180, 180, 180));
    EXPECT_EQ(s.texts[0].background, rgbColour(0, 0, 0));

    // Past the end of the text only the remaining rows are drawn.
    v.textTopLine = 22;
    test::TextRecordingSurface tail(400, 150);
    PaintToneText(v, *text, tune, tail);
    EXPECT_EQ(tail.texts.size(), 3u);
}

TEST(CatalogueView, TunesStartInTheSecondRowAndScrollingStopsAtTheLast)
{
    CatalogueView v;
    resizeCatalogueView(v, 150); // 10 rows
    test::TextRecordingSurface one(300, 150);
    PaintCatalogue(v, {"tone_one[]"}, {}, one);
    ASSERT_EQ(one.texts.size(), 1u);
    EXPECT_EQ(one.texts[0].y, 15);
    EXPECT_EQ(one.texts[0].s, "tone_one[]");
    EXPECT_EQ(one.texts[0].foreground, rgbColour(200, 255, 200));

    EXPECT_TRUE(scrollCatalogue(v, 20, ScrollCode::ThumbTrack, 50));
    EXPECT_EQ(v.catalogueTopRow, 11);
    std::vector<std::string> names;
    for (int i = 1; i <= 20; ++i)
        names.push_back("tune" + std::to_string(i));
    // The tune being edited, with unsaved changes, stands out.
    test::TextRecordingSurface s(300, 150);
    PaintCatalogue(v, names, {13, true}, s);
    ASSERT_EQ(s.texts.size(), 9u);
    EXPECT_EQ(s.texts.front().s, "tune12");
    EXPECT_EQ(s.texts.back().s, "tune20");
    EXPECT_EQ(s.texts[1].s, "tune13*");
    EXPECT_EQ(s.texts[1].foreground, rgbColour(255, 255, 120));
    EXPECT_EQ(s.texts[2].foreground, rgbColour(200, 255, 200));
    EXPECT_TRUE(scrollCatalogue(v, 20, ScrollCode::PageUp, 0));
    EXPECT_EQ(v.catalogueTopRow, 1);
    EXPECT_FALSE(scrollCatalogue(v, 20, ScrollCode::Bottom, 0));
    EXPECT_EQ(catalogueVerticalBar(v, 0).maximum, 1);
}

} // namespace
} // namespace qte
