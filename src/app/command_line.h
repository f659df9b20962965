#pragma once
// The editor's command line: files to open after start-up, and a picture
// of the window to write instead of running.

#include <optional>
#include <string>
#include <vector>

namespace qte {

struct EditorContext;

struct CommandLine {
    std::vector<std::string> files;
    std::optional<std::string> screenshot; // --screenshot FILE.png
    int width = 1280;                      // --size WxH
    int height = 1024;
    bool help = false;
    std::string error; // a sentence for the user; empty when the line was understood
};

// args without the program name.
[[nodiscard]] CommandLine parseCommandLine(const std::vector<std::string>& args);

[[nodiscard]] std::string commandLineUsage();

// Opens a file named on the command line: a .h holding more than one tone
// definition as "Open Ringdata.h" does, any other file as "Open ringing
// tone" does for the kind its extension names. Reports what it cannot open.
bool openCommandLineFile(EditorContext& ctx, const std::string& path);

} // namespace qte
