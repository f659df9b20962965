#include "formats/file_kinds.h"

#include "formats/event_file.h"
#include "formats/imelody.h"
#include "formats/ota.h"
#include "formats/rtx.h"

#include <array>
#include <cctype>
#include <string>

namespace qte {

namespace {

struct KindExtension {
    FileKind kind;
    const char* extension;
};

// The first extension of a kind is the one written.
constexpr std::array<KindExtension, 8> kExtensions = {{
    {FileKind::Ringdata, ".h"},
    {FileKind::Ota, ".ota"},
    {FileKind::Rtx, ".rtx"},
    {FileKind::Event, ".evt"},
    {FileKind::Wave, ".wav"},
    {FileKind::Midi, ".mid"},
    {FileKind::Midi, ".midi"},
    {FileKind::IMelody, ".imy"},
}};

} // namespace

const char* fileKindExtension(FileKind kind)
{
    for (const KindExtension& k : kExtensions)
        if (k.kind == kind) return k.extension;
    return "";
}

FileKind fileKindOfName(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::size_t slash = fileName.find_last_of("/\\");
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return FileKind::None;
    std::string ext(fileName.substr(dot));
    for (char& c : ext)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const KindExtension& k : kExtensions)
        if (ext == k.extension) return k.kind;
    return FileKind::None;
}

bool isExchangeKind(FileKind kind)
{
    return kind == FileKind::Ota || kind == FileKind::Rtx || kind == FileKind::Event ||
           kind == FileKind::Midi || kind == FileKind::IMelody;
}

FormatResult ImportExchange(FileKind kind, std::string_view bytes, Tune& tune,
                            NoteLengthState& length, const ExchangeReadOptions& options)
{
    switch (kind) {
    case FileKind::Ota: return ImportOta(bytes, tune, length, options.styleMode);
    case FileKind::Rtx:
        return ImportRtx(bytes, tune, length, options.styleMode, options.keepNaturalNotes);
    case FileKind::Event: return ImportEvt(bytes, tune);
    case FileKind::Midi:
        return ImportMidi(bytes, tune, length, options.styleMode, options.midiLine);
    case FileKind::IMelody: return ImportIMelody(bytes, tune, length, options.styleMode);
    default: return {"This kind of file cannot be read here.", {}};
    }
}

ExportResult ExportExchange(FileKind kind, const Tune& tune)
{
    switch (kind) {
    case FileKind::Ota: return ExportOta(tune);
    case FileKind::Rtx: return ExportRtx(tune);
    case FileKind::Event: return ExportEvt(tune);
    case FileKind::Midi: return ExportMidi(tune);
    case FileKind::IMelody: return ExportIMelody(tune);
    default: {
        ExportResult r;
        r.error = "This kind of file cannot be written here.";
        return r;
    }
    }
}

} // namespace qte
