#include "formats/file_kinds.h"
#include "formats/format_tunes.h"
#include "tune/tune_builder.h"

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
    const Tune tune =
        test::TuneBuilder().note(0, 375, 72).note(375, 750, 74).note(750, 1125, 76).build();
    for (FileKind k : {FileKind::Ota, FileKind::Rtx, FileKind::Event}) {
        SCOPED_TRACE(fileKindExtension(k));
        EXPECT_TRUE(isExchangeKind(k));
        const ExportResult out = ExportExchange(k, tune);
        ASSERT_TRUE(out.ok()) << out.error;
        Tune back;
        NoteLengthState length;
        ASSERT_TRUE(ImportExchange(k, out.bytes, back, length, {}).ok());
        EXPECT_EQ(test::unitNotes(back), "0-8:72 8-16:74 16-24:76");
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
