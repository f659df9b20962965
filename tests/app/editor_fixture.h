#pragma once
// An editor on fake windows, dialogs and files, started as the real one is.

#include "app/commands.h"
#include "app/editor_context.h"
#include "app/file_commands.h"
#include "app/menu.h"
#include "app/startup.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_dialogs.h"
#include "support/fake_tick.h"
#include "support/fake_wave_out.h"
#include "support/fake_window.h"
#include "support/memory_file_store.h"
#include "support/recording_message_sink.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

namespace qte::test {

// An item as the edit operations store it: every ms field from units.
template <class R> R& setSpan(const Tune& t, R& r, float start, float length)
{
    r.startUnits = start;
    r.endUnits = start + length;
    r.startMs = unitsToMs(r.startUnits, t.msPerUnit);
    r.endMs = unitsToMs(r.endUnits, t.msPerUnit);
    if constexpr (requires { r.durationUnits; }) {
        r.durationUnits = length;
        r.durationMs = unitsToMs(length, t.msPerUnit);
    }
    return r;
}

// Keeps the texts of the last paint: a fill of the whole surface begins one.
class LastPaintSurface final : public Surface {
public:
    LastPaintSurface(int w, int h) : m_w(w), m_h(h) {}
    int width() const override { return m_w; }
    int height() const override { return m_h; }
    void fillRect(const Rect& r, Colour) override
    {
        if (r.left <= 0 && r.top <= 0 && r.right >= m_w && r.bottom >= m_h) texts.clear();
    }
    void frameRect(const Rect&, Colour) override {}
    void line(int, int, int, int, Colour) override {}
    void text(int, int, std::string_view s, Colour, Colour, bool) override
    {
        texts.emplace_back(s);
    }
    void blit(int, int, int, int, const Surface&, int, int) override {}
    void stretchBlit(const Rect&, const Surface&, const Rect&) override {}
    Colour pixel(int, int) const override { return 0; }

    std::vector<std::string> texts;

private:
    int m_w, m_h;
};
// The command a key is bound to (its portable text, "Ctrl+Shift+S"), 0 for
// a key bound to none.
inline int commandOfKey(const std::string& key)
{
    const std::function<int(const std::vector<MenuItem>&)> search =
        [&](const std::vector<MenuItem>& items) {
            for (const MenuItem& i : items) {
                if (std::find(i.keys.begin(), i.keys.end(), key) != i.keys.end()) return i.id;
                if (const int id = search(i.submenu)) return id;
            }
            return 0;
        };
    for (const Menu& m : mainMenu())
        if (const int id = search(m.items)) return id;
    for (const KeyCommand& k : keyCommands())
        if (std::find(k.keys.begin(), k.keys.end(), key) != k.keys.end()) return k.id;
    return 0;
}

// Files is the file store: the in-memory one, or the real disk.
template <class Files> class EditorFixtureOn : public ::testing::Test {
protected:
    static inline const std::filesystem::path kStart = "/start";

    EditorFixtureOn()
        : matrixWindow(915, 900), ringdataWindow(430, 900),
          catalogueWindow(300, 900, std::make_unique<LastPaintSurface>(300, 900)),
          mainWindow(1280, 1000),
          ctx(PlatformServices{messages,
                               fileDialogs,
                               dialogs,
                               files,
                               tick,
                               waveOut,
                               auditionOut,
                               mainWindow,
                               {&matrixWindow, &ringdataWindow, &catalogueWindow}})
    {}

    // An empty config.cfg unless the test put one there: the tone text has
    // its built-in shape, and no word of a missing file is due.
    void start()
    {
        files.files.try_emplace(kStart / "config.cfg");
        startEditor(ctx, kStart);
    }
    // Starts with the project's config.cfg, whose note names the tone text uses.
    void startWithConfig()
    {
        files.files[kStart / "config.cfg"] = test::readFileOrDie(test::resourcePath("config.cfg"));
        start();
    }

    // The 1-based filter index under which a kind is offered.
    static int kindIndex(const std::vector<FileKind>& kinds, FileKind k)
    {
        return static_cast<int>(std::find(kinds.begin(), kinds.end(), k) - kinds.begin()) + 1;
    }
    // Open ringing tone / Save as, with the path and kind chosen in the dialog.
    void openFile(const std::string& path, FileKind kind)
    {
        fileDialogs.answers.push_back(FileChoice{path, kindIndex(openableKinds(), kind)});
        runCommand(ctx, cmd::OpenRingingTone);
    }
    void saveAs(const std::string& path, FileKind kind, int command = cmd::SaveAs)
    {
        fileDialogs.answers.push_back(FileChoice{path, kindIndex(savableKinds(), kind)});
        runCommand(ctx, command);
    }

    // The tone text line that shows an item.
    [[nodiscard]] int lineOf(LineItemKind kind, int index) const
    {
        for (int l = 0; l < ctx.toneText.toneTextLineCount; ++l)
            if (ctx.toneText.lineInfo[l].itemKind == static_cast<std::uint8_t>(kind) &&
                ctx.toneText.lineInfo[l].itemIndex == index)
                return l;
        ADD_FAILURE() << "no line of kind " << int(kind) << " index " << index;
        return -1;
    }

    // Boxes shown since the last call, as "title: text".
    std::vector<std::string> takeMessages()
    {
        std::vector<std::string> out;
        for (const auto& m : messages.shown)
            out.push_back(m.title + ": " + m.text);
        messages.shown.clear();
        return out;
    }
    // The same, one a line.
    std::string takeMessage()
    {
        std::string out;
        for (const auto& m : takeMessages())
            out += (out.empty() ? "" : "\n") + m;
        return out;
    }

    // The rows "Tunes in Ringdata" shows, as last painted.
    [[nodiscard]] const std::vector<std::string>& catalogueRows()
    {
        return dynamic_cast<LastPaintSurface&>(catalogueWindow.surface()).texts;
    }

    // Accesses since the last call, as "read config.dat" / "write x.ota".
    std::vector<std::string> takeLog()
    {
        std::vector<std::string> out;
        for (const auto& a : files.log)
            out.push_back(std::string(a.write ? "write " : "read ") +
                          a.path.lexically_relative(kStart).string());
        files.log.clear();
        return out;
    }

    // A key pressed in the main window: its command, when it has one.
    void pressKey(const std::string& key)
    {
        if (const int id = commandOfKey(key)) runCommand(ctx, id);
    }

    // Puts the tune a test starts from in place as if it had been opened so:
    // no step to undo, nothing unsaved, the origin kept.
    template <class F> void setUpTune(F change)
    {
        auto t = std::make_unique<Tune>(ctx.tune());
        change(*t);
        ctx.document.open(*t, ctx.document.origin());
    }
    template <class F> void setUpOrigin(F change)
    {
        TuneOrigin origin = ctx.document.origin();
        change(origin);
        ctx.document.open(ctx.tune(), origin);
    }
    void addNote(float start, float length, int pitch)
    {
        setUpTune([&](Tune& t) {
            setSpan(t, t.noteTable[++t.noteCount] = {}, start, length).pitch = pitch;
        });
    }

    RecordingMessageSink messages;
    fakes::FakeFileDialogs fileDialogs;
    fakes::FakeModalDialogs dialogs;
    Files files;
    fakes::FakeTickClock tick;
    fakes::FakeWaveOut waveOut;
    fakes::FakeWaveOut auditionOut;
    fakes::FakeWindow matrixWindow;
    fakes::FakeWindow ringdataWindow;
    fakes::FakeWindow catalogueWindow;
    fakes::FakeWindow mainWindow;
    EditorContext ctx;
};

using EditorFixture = EditorFixtureOn<MemoryFileStore>;

} // namespace qte::test
