#include "config/user_settings.h"

#include <array>

namespace qte {

namespace {

constexpr char kCarriageReturn = 13;
constexpr char kLineFeed = 10;

struct FieldRule {
    std::int32_t UserSettings::*field;
    const char* name;
    std::int32_t lowest;
    std::int32_t highest;
};

// In file order.
const std::array<FieldRule, kUserSettingsFieldCount> kFields = {{
    {&UserSettings::drawKeys, "Draw keys", 0, 1},
    {&UserSettings::writeTempo, "Write tempo", 0, 1},
    {&UserSettings::keepNaturalNotes, "Keep natural notes", 0, 1},
    {&UserSettings::scrollWhenPlaying, "Scroll screen when playing", 0, 1},
    {&UserSettings::playPolitely, "Play Politely", 0, 1},
    {&UserSettings::addDefaultParts, "Add default parts", 0, 1},
    {&UserSettings::styleMode, "Style", 0, 3},
    {&UserSettings::unitWidth, "Zoom x", kMinZoom, kMaxUnitWidth},
    {&UserSettings::rowHeight, "Zoom y", kMinZoom, kMaxRowHeight},
}};

std::string dropInsertedReturns(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == kCarriageReturn && i + 1 < bytes.size() && bytes[i + 1] == kLineFeed) {
            continue;
        }
        out.push_back(bytes[i]);
    }
    return out;
}

std::int32_t readLittleEndian(std::string_view four)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(four[i]);
    return static_cast<std::int32_t>(v);
}

} // namespace

UserSettingsResult LoadUserSettings(std::string_view bytes)
{
    UserSettingsResult result;
    // A file of exactly the raw size cannot hold an inserted 13 (that would
    // make it longer), so it is taken as it is.
    const std::string decoded =
        bytes.size() == kUserSettingsBytes ? std::string(bytes) : dropInsertedReturns(bytes);
    const UserSettings defaults;
    for (std::size_t k = 0; k < kFields.size(); ++k) {
        if (decoded.size() < 4 * (k + 1)) break;
        const FieldRule& rule = kFields[k];
        const std::int32_t value = readLittleEndian(std::string_view(decoded).substr(4 * k, 4));
        if (value < rule.lowest || value > rule.highest) {
            result.warnings.push_back(
                "The setting \"" + std::string(rule.name) + "\" had " + std::to_string(value) +
                " (allowed " + std::to_string(rule.lowest) + " to " + std::to_string(rule.highest) +
                "); using " + std::to_string(defaults.*rule.field) + ".");
            continue;
        }
        result.settings.*rule.field = value;
    }
    return result;
}

UserSettingsResult LoadUserSettings(const std::filesystem::path& path)
{
    FileReadResult file = readWholeFile(path);
    if (!file.bytes) {
        UserSettingsResult result;
        result.error = std::move(file.error);
        return result;
    }
    return LoadUserSettings(*file.bytes);
}

std::string EncodeUserSettings(const UserSettings& settings)
{
    std::string out;
    out.reserve(kUserSettingsBytes + 4);
    for (const FieldRule& rule : kFields) {
        const auto v = static_cast<std::uint32_t>(settings.*rule.field);
        for (int i = 0; i < 4; ++i) {
            const char byte = static_cast<char>((v >> (8 * i)) & 0xFFu);
            if (byte == kLineFeed) out.push_back(kCarriageReturn);
            out.push_back(byte);
        }
    }
    return out;
}

std::optional<FileError> SaveUserSettings(const UserSettings& settings,
                                          const std::filesystem::path& path)
{
    return writeFileAtomically(path, EncodeUserSettings(settings));
}

} // namespace qte
