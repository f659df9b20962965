#pragma once
// A surface that records what is drawn on it, for the text windows' tests.

#include "platform/surface.h"

#include <string>
#include <vector>

namespace qte::test {

class TextRecordingSurface final : public Surface {
public:
    struct Text {
        int x, y;
        std::string s;
        Colour foreground, background;
        bool opaque;
    };

    TextRecordingSurface(int w, int h) : m_w(w), m_h(h) {}
    int width() const override { return m_w; }
    int height() const override { return m_h; }
    void fillRect(const Rect& r, Colour c) override { fills.push_back({r, c}); }
    void frameRect(const Rect&, Colour) override {}
    void line(int, int, int, int, Colour) override {}
    void text(int x, int y, std::string_view s, Colour fg, Colour bg, bool opaque) override
    {
        texts.push_back({x, y, std::string(s), fg, bg, opaque});
    }
    void blit(int, int, int, int, const Surface&, int, int) override {}
    void stretchBlit(const Rect&, const Surface&, const Rect&) override {}
    Colour pixel(int, int) const override { return 0; }

    std::vector<std::pair<Rect, Colour>> fills;
    std::vector<Text> texts;

private:
    int m_w, m_h;
};

} // namespace qte::test
