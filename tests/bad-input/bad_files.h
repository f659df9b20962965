#pragma once
// The broken, huge and odd files the bad-input cases read, written once per
// run into one temporary folder (with copies of our config.cfg and
// midihz.ini, so tunetool can start there).

#include "support/testsupport.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace qte::test {

// Notes in the "many" files of every kind but OTA.
constexpr int kManyNotes = 5000;
// Tone definitions in ringdata-5000.h.
constexpr int kManyDefinitions = 5000;
// Characters of the long line in the long-line files.
constexpr std::size_t kLongLineChars = 100000;

class BadFiles {
public:
    BadFiles();
    [[nodiscard]] const std::filesystem::path& dir() const { return m_dir.path(); }
    [[nodiscard]] std::string path(std::string_view name) const
    {
        return m_dir.file(name).string();
    }

    std::string validOta;    // ExportOta of a small tune
    int biggestOtaNotes = 0; // the notes of biggest.ota

private:
    TempDir m_dir;
};

// Written on first use.
const BadFiles& badFiles();

} // namespace qte::test
