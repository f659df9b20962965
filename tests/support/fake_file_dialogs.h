#pragma once
// File dialogs for tests: answer from a script and record what was asked.

#include "platform/file_dialogs.h"

#include <deque>

namespace qte::fakes {

class FakeFileDialogs final : public FileDialogs {
public:
    struct Request {
        bool save = false;
        std::vector<FileFilter> filters;
        std::string initialPath;
    };

    std::optional<FileChoice> openFile(const std::vector<FileFilter>& filters,
                                       const std::string& initialPath) override
    {
        return answer(false, filters, initialPath);
    }
    std::optional<FileChoice> saveFile(const std::vector<FileFilter>& filters,
                                       const std::string& initialPath) override
    {
        return answer(true, filters, initialPath);
    }

    // Consumed front to back; an empty entry (or none left) cancels.
    std::deque<std::optional<FileChoice>> answers;
    std::vector<Request> requests;

private:
    std::optional<FileChoice> answer(bool save, const std::vector<FileFilter>& filters,
                                     const std::string& initialPath)
    {
        requests.push_back({save, filters, initialPath});
        if (answers.empty()) return std::nullopt;
        std::optional<FileChoice> a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace qte::fakes
