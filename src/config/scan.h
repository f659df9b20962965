#pragma once
// Numbers and white space the way the C library's scanf reads them, for the
// text files whose readers were written against it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qte {

[[nodiscard]] bool IsScanfSpace(char c);

// scanf "%d" on the start of text (leading white space and a sign allowed),
// saturated to 32 bits; consumed is how far the number reached. Nothing when
// no digit comes.
[[nodiscard]] std::optional<std::int32_t> ScanDecimalPrefix(std::string_view text,
                                                            std::size_t& consumed);
[[nodiscard]] std::optional<std::int32_t> ScanDecimal(std::string_view text);

} // namespace qte
