#pragma once
// The user's options kept from one run to the next in config.dat: nine
// 32-bit little-endian integers, stored as a text-mode stream stores them
// (a byte 13 before every byte 10).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io/files.h"

namespace qte {

// Zoom values the Matrix view accepts from the file: at least one pixel, and
// not so large that a screen shows less than a unit or a row.
constexpr std::int32_t kMinZoom = 1;
constexpr std::int32_t kMaxUnitWidth = 400;
constexpr std::int32_t kMaxRowHeight = 200;

// First-start zoom: both leave room to zoom out (the view stops zooming
// out at 10.0 and 4.0 pixels), and a row is tall enough for strip texts.
constexpr std::int32_t kDefaultUnitWidth = 11;
constexpr std::int32_t kDefaultRowHeight = 12;

constexpr int kUserSettingsFieldCount = 9;
constexpr std::size_t kUserSettingsBytes = 4 * kUserSettingsFieldCount;

struct UserSettings {
    std::int32_t drawKeys = 1;                  // "Draw keys": the piano-key strip is shown
    std::int32_t writeTempo = 1;                // "Write tempo": the tone text names the tempo
    std::int32_t keepNaturalNotes = 0;          // "Keep natural notes" on tempo changes
    std::int32_t scrollWhenPlaying = 1;         // "Scroll screen when playing"
    std::int32_t playPolitely = 0;              // "Play Politely"
    std::int32_t addDefaultParts = 0;           // "Add default parts"
    std::int32_t styleMode = 0;                 // a StyleMode value; 0 when none is chosen
    std::int32_t unitWidth = kDefaultUnitWidth; // Matrix pixels per unit
    std::int32_t rowHeight = kDefaultRowHeight; // Matrix pixels per pitch row

    bool operator==(const UserSettings&) const = default;
};

struct UserSettingsResult {
    UserSettings settings;
    // One sentence per field that was out of range and got its default.
    std::vector<std::string> warnings;
    std::optional<FileError> error; // path overload: the file could not be read
};

// Reads config.dat bytes. A file of exactly 36 bytes holds the raw fields;
// otherwise every 13 directly before a 10 is dropped first. Fields past the
// end of a short file keep their defaults; a field out of range gets its
// default. Never fails.
[[nodiscard]] UserSettingsResult LoadUserSettings(std::string_view bytes);
// Bytes, not a file name (a string would otherwise also convert to a path).
[[nodiscard]] inline UserSettingsResult LoadUserSettings(const std::string& bytes)
{
    return LoadUserSettings(std::string_view(bytes));
}

// The same from a file; a missing or unreadable file gives the defaults and
// sets error, which the editor does not show at start-up.
[[nodiscard]] UserSettingsResult LoadUserSettings(const std::filesystem::path& path);

// The bytes config.dat holds for settings (36, plus one per byte 10).
[[nodiscard]] std::string EncodeUserSettings(const UserSettings& settings);

// Writes config.dat atomically. Returns the error, or nothing on success.
[[nodiscard]] std::optional<FileError> SaveUserSettings(const UserSettings& settings,
                                                        const std::filesystem::path& path);

} // namespace qte
