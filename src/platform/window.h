#pragma once
// A window as the editor's logic drives it: caption, repaint requests, the
// client size, two scroll bars, mouse capture and a kept backing surface the
// window's painter draws into.

#include <string>
#include <string_view>

namespace qte {

class Surface;

enum class ScrollBar { Horizontal, Vertical };

// Range, page and thumb position of one scroll bar, as SetScrollInfo takes them.
struct ScrollBarState {
    int minimum = 0;
    int maximum = 0;
    int page = 0;
    int position = 0;
    friend bool operator==(const ScrollBarState&, const ScrollBarState&) = default;
};

class Window {
public:
    virtual ~Window() = default;

    virtual void setCaption(std::string_view caption) = 0;
    [[nodiscard]] virtual std::string caption() const = 0;

    // Asks for a repaint; erase first clears the client area to the
    // window's background.
    virtual void invalidate(bool erase) = 0;

    [[nodiscard]] virtual int clientWidth() const = 0;
    [[nodiscard]] virtual int clientHeight() const = 0;

    // Position is held inside minimum .. maximum - page + 1, as the
    // platform's bars hold it.
    virtual void setScrollBar(ScrollBar bar, const ScrollBarState& state) = 0;
    virtual void setScrollPosition(ScrollBar bar, int position) = 0;
    [[nodiscard]] virtual ScrollBarState scrollBar(ScrollBar bar) const = 0;

    virtual void captureMouse() = 0;
    virtual void releaseMouse() = 0;
    [[nodiscard]] virtual bool hasMouseCapture() const = 0;

    virtual void setVisible(bool visible) = 0;
    [[nodiscard]] virtual bool isVisible() const = 0;

    // What the window shows: its painter draws here, a repaint copies it
    // out. Owned by the window; resized with the client area.
    [[nodiscard]] virtual Surface& surface() = 0;
};

// The thumb position a bar with this range and page can hold.
[[nodiscard]] inline int clampScrollPosition(const ScrollBarState& s, int position)
{
    const int top = s.page > 0 ? s.maximum - s.page + 1 : s.maximum;
    if (position > top) position = top;
    if (position < s.minimum) position = s.minimum;
    return position;
}

} // namespace qte
