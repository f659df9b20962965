#pragma once
// Standard MIDI Files built byte by byte, for the readers' tests, the bad
// files and the benchmark: chunks, variable-length times and events.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace qte::test {

inline std::string midiU32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

inline std::string midiVarLength(std::uint32_t v)
{
    std::string out(1, static_cast<char>(v & 0x7F));
    while ((v >>= 7) != 0)
        out.insert(out.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    return out;
}

inline std::string midiBytes(std::initializer_list<int> values)
{
    std::string s;
    for (const int v : values)
        s.push_back(static_cast<char>(v));
    return s;
}

inline std::string midiChunk(const char* tag, const std::string& data)
{
    return tag + midiU32(static_cast<std::uint32_t>(data.size())) + data;
}

inline std::string midiHeader(int format, int tracks, int division)
{
    return midiChunk(
        "MThd", midiBytes({0, format, tracks >> 8, tracks & 0xFF, division >> 8, division & 0xFF}));
}

// A track's events: each added with its delta time.
class MidiTrackBytes {
public:
    MidiTrackBytes& event(std::uint32_t delta, const std::string& bytes)
    {
        m_data += midiVarLength(delta) + bytes;
        return *this;
    }
    MidiTrackBytes& on(std::uint32_t delta, int key, int channel = 0, int velocity = 100)
    {
        return event(delta, midiBytes({0x90 | channel, key, velocity}));
    }
    MidiTrackBytes& off(std::uint32_t delta, int key, int channel = 0)
    {
        return event(delta, midiBytes({0x80 | channel, key, 0}));
    }
    MidiTrackBytes& tempo(std::uint32_t delta, std::uint32_t microsPerQuarter)
    {
        return event(delta, midiBytes({0xFF, 0x51, 3, static_cast<int>(microsPerQuarter >> 16),
                                       static_cast<int>((microsPerQuarter >> 8) & 0xFF),
                                       static_cast<int>(microsPerQuarter & 0xFF)}));
    }
    MidiTrackBytes& name(const std::string& text)
    {
        return event(0, midiBytes({0xFF, 0x03}) +
                            midiVarLength(static_cast<std::uint32_t>(text.size())) + text);
    }
    // The chunk, with its end-of-track event unless told otherwise.
    [[nodiscard]] std::string chunk(bool ended = true) const
    {
        return midiChunk("MTrk", ended ? m_data + midiBytes({0, 0xFF, 0x2F, 0}) : m_data);
    }

private:
    std::string m_data;
};

inline std::string midiFile(int format, int division, const std::vector<MidiTrackBytes>& tracks)
{
    std::string out = midiHeader(format, static_cast<int>(tracks.size()), division);
    for (const MidiTrackBytes& t : tracks)
        out += t.chunk();
    return out;
}

} // namespace qte::test
