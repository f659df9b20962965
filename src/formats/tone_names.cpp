#include "formats/tone_names.h"

#include "tune/tune.h"

#include <algorithm>

namespace qte {

namespace {

constexpr std::size_t kToneIdChars = 4;

} // namespace

std::string cleanToneName(std::string_view name)
{
    std::string out;
    out.reserve(std::min(name.size(), kMaxNameChars));
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        out.push_back(u < 0x20 || u == 0x7F ? ' ' : c);
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    out.erase(0, first);
    out.erase(out.find_last_not_of(' ') + 1);
    if (out.size() > kMaxNameChars) {
        std::size_t n = kMaxNameChars;
        while (n > 0 && (static_cast<unsigned char>(out[n]) & 0xC0) == 0x80)
            --n;
        out.resize(n);
    }
    return out;
}

std::string toneIdFromName(std::string_view name)
{
    std::string id;
    for (const char c : name) {
        if (id.size() == kToneIdChars) break;
        if (c >= 'a' && c <= 'z')
            id.push_back(static_cast<char>(c - 'a' + 'A'));
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            id.push_back(c);
    }
    return id;
}

} // namespace qte
