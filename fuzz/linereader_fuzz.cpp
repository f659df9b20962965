// Reads arbitrary bytes as lines with every buffer size the readers use.
#include "io/linereader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (std::size_t buf : {2u, 49u, 130u, 254u}) {
        qte::LineReader r(bytes);
        std::size_t total = 0;
        while (auto line = r.next(buf)) {
            if (line->text.empty() || line->text.size() > buf - 1) std::abort();
            total += line->text.size();
        }
        if (total != size) std::abort();
    }
    return 0;
}
