#include "platform/wave_out.h"

namespace qte {

std::optional<WaveOpenMessage> waveOpenMessage(WaveOpenResult result)
{
    constexpr const char* kProblems = "Problems with sound device";
    switch (result) {
    case WaveOpenResult::BadDeviceId: return WaveOpenMessage{"BADDEVICEID", kProblems};
    case WaveOpenResult::Allocated:
        return WaveOpenMessage{
            "Wave device is in use, close all other programs that use sounds and restart.",
            "No sounds"};
    case WaveOpenResult::NoDriver: return WaveOpenMessage{"MMSYSERR_NODRIVER", kProblems};
    case WaveOpenResult::NoMemory: return WaveOpenMessage{"MMSYSERR_NOMEM", kProblems};
    case WaveOpenResult::BadFormat: return WaveOpenMessage{"WAVERR_BADFORMAT", kProblems};
    case WaveOpenResult::Sync: return WaveOpenMessage{"WAVERR_SYNC", kProblems};
    case WaveOpenResult::Ok:
    case WaveOpenResult::Error: break;
    }
    return std::nullopt;
}

} // namespace qte
