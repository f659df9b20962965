#pragma once
// A window for tests: keeps every value set on it and counts repaint
// requests, with a backing surface that only knows its size.

#include "platform/surface.h"
#include "platform/window.h"

#include <memory>
#include <string>
#include <utility>

namespace qte::fakes {

// Draws nothing; for logic that only needs a surface to exist.
class SizedSurface final : public Surface {
public:
    SizedSurface(int w, int h) : m_w(w), m_h(h) {}
    int width() const override { return m_w; }
    int height() const override { return m_h; }
    void fillRect(const Rect&, Colour) override {}
    void frameRect(const Rect&, Colour) override {}
    void line(int, int, int, int, Colour) override {}
    void text(int, int, std::string_view, Colour, Colour, bool) override {}
    void blit(int, int, int, int, const Surface&, int, int) override {}
    void stretchBlit(const Rect&, const Surface&, const Rect&) override {}
    Colour pixel(int, int) const override { return 0; }

private:
    int m_w, m_h;
};

class FakeWindow final : public Window {
public:
    explicit FakeWindow(int w = 400, int h = 300, std::unique_ptr<Surface> surface = nullptr)
        : m_w(w), m_h(h),
          m_surface(surface ? std::move(surface) : std::make_unique<SizedSurface>(w, h))
    {}

    void setCaption(std::string_view c) override { m_caption = std::string(c); }
    std::string caption() const override { return m_caption; }
    void invalidate(bool erase) override
    {
        ++invalidations;
        if (erase) ++erasingInvalidations;
    }
    int clientWidth() const override { return m_w; }
    int clientHeight() const override { return m_h; }
    void setScrollBar(ScrollBar bar, const ScrollBarState& s) override
    {
        ScrollBarState& mine = state(bar);
        mine = s;
        mine.position = clampScrollPosition(s, s.position);
    }
    void setScrollPosition(ScrollBar bar, int position) override
    {
        state(bar).position = clampScrollPosition(state(bar), position);
    }
    ScrollBarState scrollBar(ScrollBar bar) const override
    {
        return bar == ScrollBar::Horizontal ? m_horizontal : m_vertical;
    }
    void captureMouse() override { m_captured = true; }
    void releaseMouse() override { m_captured = false; }
    bool hasMouseCapture() const override { return m_captured; }
    void setVisible(bool v) override { m_visible = v; }
    bool isVisible() const override { return m_visible; }
    Surface& surface() override { return *m_surface; }

    void resize(int w, int h)
    {
        m_w = w;
        m_h = h;
    }

    int invalidations = 0;
    int erasingInvalidations = 0;

private:
    ScrollBarState& state(ScrollBar bar)
    {
        return bar == ScrollBar::Horizontal ? m_horizontal : m_vertical;
    }

    int m_w, m_h;
    std::string m_caption;
    ScrollBarState m_horizontal, m_vertical;
    bool m_captured = false;
    bool m_visible = true;
    std::unique_ptr<Surface> m_surface;
};

} // namespace qte::fakes
