#pragma once
// Runs the built tunetool under a time limit and tells a normal exit from a
// hang or a death by signal.

#include "support/testsupport.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace qte::test {

struct ToolRun {
    bool exited = false; // a normal exit within the time limit
    std::string how;     // what happened otherwise
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

// A command line written as one string, split at spaces.
inline std::vector<std::string> splitWords(const std::string& line)
{
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

// Runs tunetool in dir, after the shell command limits (such as "ulimit -f
// 0") that apply to tunetool only. Both streams go through pipes, so a file
// size limit does not stop them.
inline ToolRun runTunetool(const std::vector<std::string>& args, const std::filesystem::path& dir,
                           const std::string& limits = "true")
{
    TempDir capture;
    const std::string status = shellQuoted(capture.file("status").string());
    std::string tool = "exec timeout 30 " + shellQuoted(QTE_BINARY_DIR "/tunetool");
    for (const std::string& a : args)
        tool += " " + shellQuoted(a);
    const std::string cmd = "{ { cd " + shellQuoted(dir.string()) + " || exit; ( trap '' XFSZ; " +
                            limits + "; " + tool + " ); echo $? >" + status +
                            "; } 2>&1 1>&3 | cat >" + shellQuoted(capture.file("err").string()) +
                            "; } 3>&1 | cat >" + shellQuoted(capture.file("out").string());
    ToolRun r;
    if (std::system(cmd.c_str()) != 0 || !std::filesystem::exists(capture.file("status"))) {
        r.how = "the shell around tunetool failed: " + cmd;
        return r;
    }
    r.status = std::stoi(readFileOrDie(capture.file("status")));
    r.out = readFileOrDie(capture.file("out"));
    r.err = readFileOrDie(capture.file("err"));
    if (r.status == 124)
        r.how = "tunetool did not finish within 30 seconds";
    else if (r.status > 124)
        r.how = "tunetool ended with status " + std::to_string(r.status) +
                " (a signal or no program): " + r.err;
    else
        r.exited = true;
    return r;
}

} // namespace qte::test
