#include "app/command_line.h"

#include "formats/file_kinds.h"

#include "app/editor_context.h"
#include "app/file_commands.h"
#include "io/file_store.h"
#include "io/messages.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <memory>

namespace qte {

namespace {

constexpr int kMaxPictureSide = 8192;

bool parseSize(const std::string& text, int& width, int& height)
{
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos) return false;
    const char* begin = text.data();
    const char* end = begin + text.size();
    auto [wEnd, wErr] = std::from_chars(begin, begin + x, width);
    auto [hEnd, hErr] = std::from_chars(begin + x + 1, end, height);
    return wErr == std::errc{} && hErr == std::errc{} && wEnd == begin + x && hEnd == end &&
           width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args)
{
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            line.help = true;
        } else if (a == "--screenshot" || a == "--size") {
            if (i + 1 >= args.size()) {
                line.error = a + " needs a value.";
                return line;
            }
            const std::string& value = args[++i];
            if (a == "--screenshot") {
                line.screenshot = value;
            } else if (!parseSize(value, line.width, line.height)) {
                line.error =
                    "--size takes WIDTHxHEIGHT, for example 1280x1024, not \"" + value + "\".";
                return line;
            }
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            line.error = "Unknown option \"" + a + "\".";
            return line;
        } else {
            line.files.push_back(a);
        }
    }
    return line;
}

std::string commandLineUsage()
{
    return "Usage: quelo-tune-editor [--screenshot FILE.png [--size WxH]] [FILE...]\n"
           "  FILE              a Ringdata.h (its tunes are listed), or a tone file\n"
           "                    (*.h, *.ota, *.rtx, *.evt) to open\n"
           "  --screenshot F    draw the window after start-up into the PNG file F and quit\n"
           "  --size WxH        the size of that picture (1280x1024)\n";
}

bool openCommandLineFile(EditorContext& ctx, const std::string& path)
{
    const FileKind kind = fileKindOfName(path);
    if (kind == FileKind::Ringdata) {
        const FileReadResult file = ctx.platform.files.read(path);
        if (!file.bytes) {
            ctx.platform.messages.showError(file.error.message);
            return false;
        }
        auto catalogue = std::make_unique<TuneCatalogue>();
        const bool scanned = ScanRingdataFile(*file.bytes, *catalogue).ok();
        if (scanned && catalogue->tuneCount > 1) return openRingdataFile(ctx, path);
        return openTuneFile(ctx, path, FileKind::Ringdata);
    }
    if (isExchangeKind(kind)) return openTuneFile(ctx, path, kind);
    ctx.platform.messages.showError("Cannot open \"" + path +
                                    "\": the editor opens *.h, *.ota, *.rtx and *.evt files.");
    return false;
}

} // namespace qte
