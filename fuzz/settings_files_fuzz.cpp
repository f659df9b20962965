// Reads arbitrary bytes as midihz.ini and as config.dat; what config.dat
// gives must be in range and survive being written and read again.
#include "config/frequency_table.h"
#include "config/user_settings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    qte::FrequencyTable table = qte::DefaultFrequencyTable();
    (void)qte::LoadFrequencyTable(table, bytes);
    (void)qte::BuildNoteFrequencies(table);

    const qte::UserSettings s = qte::LoadUserSettings(bytes).settings;
    if (s.unitWidth < qte::kMinZoom || s.unitWidth > qte::kMaxUnitWidth) std::abort();
    if (s.rowHeight < qte::kMinZoom || s.rowHeight > qte::kMaxRowHeight) std::abort();
    if (s.styleMode < 0 || s.styleMode > 3) std::abort();
    const qte::UserSettingsResult again = qte::LoadUserSettings(qte::EncodeUserSettings(s));
    if (!(again.settings == s) || !again.warnings.empty()) std::abort();
    return 0;
}
