// The editor's "Save as" Wave file against tunetool's convert: one rendering
// behind both, so the same tune and options give the same bytes.

#include "app/tune_windows.h"
#include "editor_fixture.h"
#include "support/tool_run.h"

#include <filesystem>
#include <string>
#include <vector>

namespace qte {
namespace {

class WaveExport : public test::EditorFixture {};

// Every tune of the example files and of tune_endings.h (the endings where
// the two once differed), with and without "Play Politely".
TEST_F(WaveExport, TunetoolAndTheEditorWriteTheSameFileForEveryTune)
{
    // The editor starts as tunetool runs in the build folder: with the
    // project's config.cfg and midihz.ini.
    files.files[kStart / "midihz.ini"] = test::readFileOrDie(test::resourcePath("midihz.ini"));
    startWithConfig();
    std::vector<std::filesystem::path> sources;
    for (const auto& entry : std::filesystem::directory_iterator(test::resourcePath("examples")))
        if (entry.path().extension() == ".h") sources.push_back(entry.path());
    sources.push_back(std::filesystem::path(QTE_SOURCE_DIR) / "tests/app/data/tune_endings.h");
    ASSERT_EQ(sources.size(), 3u);
    test::TempDir dir;
    const std::string toolWave = dir.file("tool.wav").string();

    int tunes = 0;
    for (const std::filesystem::path& source : sources) {
        const std::string path = "/tunes/" + source.filename().string();
        files.files[path] = test::readFileOrDie(source);
        ASSERT_TRUE(openRingdataFile(ctx, path));
        const int count = ctx.catalogue.tuneCount;
        // 0: the file's one tune, read as a tone file.
        for (int index = count > 1 ? 1 : 0; index <= (count > 1 ? count : 0); ++index) {
            for (const bool polite : {false, true}) {
                SCOPED_TRACE(source.filename().string() + " " + std::to_string(index) +
                             (polite ? ", polite" : ""));
                ++tunes;
                std::vector<std::string> args = {"convert", source.string(), toolWave};
                if (index > 0) args.insert(args.end(), {"--index", std::to_string(index)});
                if (polite) args.emplace_back("--polite");
                const test::ToolRun run = test::runTunetool(args, QTE_BINARY_DIR);
                ASSERT_TRUE(run.exited) << run.how;
                ASSERT_EQ(run.status, 0) << run.err;

                if (index > 0)
                    ASSERT_TRUE(loadCatalogueEntry(ctx, index));
                else
                    openFile(path, FileKind::Ringdata);
                refreshViews(ctx);
                if ((ctx.settings.playPolitely != 0) != polite) runCommand(ctx, cmd::PlayPolitely);
                if (ctx.tune().toneId.empty())
                    dialogs.settingsRuns.push_back({{[](SettingsFields& f) {
                        f.toneId = "WAV";
                        if (f.toneName.empty()) f.toneName = "wave";
                    }}});
                files.files.erase("/out/editor.wav"); // no question about replacing it
                saveAs("/out/editor.wav", FileKind::Wave);
                EXPECT_EQ(takeMessage(), "");

                const std::string& editorBytes = files.files["/out/editor.wav"];
                const std::string toolBytes = test::readFileOrDie(toolWave);
                EXPECT_GT(toolBytes.size(), 44u);
                EXPECT_TRUE(editorBytes == toolBytes) << "the editor wrote " << editorBytes.size()
                                                      << " bytes, tunetool " << toolBytes.size();
            }
        }
    }
    EXPECT_EQ(tunes, 2 * (5 + 1 + 2));
}

} // namespace
} // namespace qte
