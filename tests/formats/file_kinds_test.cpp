#include "formats/file_kinds.h"

#include <gtest/gtest.h>

namespace qte {
namespace {

TEST(FileKinds, ExtensionsBothWays)
{
    const struct {
        const char* name;
        FileKind kind;
    } cases[] = {
        {"Ringdata.h", FileKind::Ringdata},
        {"/a/b/tone.OTA", FileKind::Ota},
        {"x.Rtx", FileKind::Rtx},
        {"x.evt", FileKind::Event},
        {"x.WAV", FileKind::Wave},
        {"x.mid", FileKind::None},
        {"noextension", FileKind::None},
        {"dir.h/file", FileKind::None},
        {"C:\\tunes.d\\bell", FileKind::None},
        {".h", FileKind::Ringdata},
        {"x.h.bak", FileKind::None},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fileKindOfName(c.name), c.kind) << c.name;
    for (FileKind k :
         {FileKind::Ringdata, FileKind::Ota, FileKind::Rtx, FileKind::Event, FileKind::Wave})
        EXPECT_EQ(fileKindOfName(std::string("t") + fileKindExtension(k)), k);
    EXPECT_STREQ(fileKindExtension(FileKind::None), "");
}

TEST(FileKinds, ExchangeKindsReadWhatTheyWrite)
{
    Tune tune;
    for (int i = 0; i < 4; ++i) {
        NoteRecord& n = tune.noteTable[static_cast<std::size_t>(++tune.noteCount)];
        n.startUnits = 8.0f * static_cast<float>(i);
        n.endUnits = n.startUnits + 8.0f;
        n.durationUnits = 8.0f;
        n.pitch = 72 + 2 * i;
    }
    for (int i = 1; i <= tune.noteCount; ++i) {
        NoteRecord& n = tune.noteTable[static_cast<std::size_t>(i)];
        n.startMs = unitsToMs(n.startUnits, tune.msPerUnit);
        n.endMs = unitsToMs(n.endUnits, tune.msPerUnit);
        n.durationMs = n.endMs - n.startMs;
    }
    for (FileKind k : {FileKind::Ota, FileKind::Rtx, FileKind::Event}) {
        SCOPED_TRACE(fileKindExtension(k));
        EXPECT_TRUE(isExchangeKind(k));
        const ExportResult out = ExportExchange(k, tune);
        ASSERT_TRUE(out.ok()) << out.error;
        Tune back;
        NoteLengthState length;
        ASSERT_TRUE(ImportExchange(k, out.bytes, back, length, {}).ok());
        ASSERT_EQ(back.noteCount, tune.noteCount);
        for (int i = 1; i <= tune.noteCount; ++i)
            EXPECT_EQ(back.noteTable[static_cast<std::size_t>(i)].pitch,
                      tune.noteTable[static_cast<std::size_t>(i)].pitch);
    }
    for (FileKind k : {FileKind::None, FileKind::Ringdata, FileKind::Wave}) {
        EXPECT_FALSE(isExchangeKind(k));
        EXPECT_FALSE(ExportExchange(k, tune).ok());
        Tune t;
        NoteLengthState length;
        EXPECT_FALSE(ImportExchange(k, "x", t, length, {}).ok());
    }
}

} // namespace
} // namespace qte
