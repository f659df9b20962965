#pragma once
// The rules every edit of the matrix keeps: each list ordered by time and
// free of overlaps, counts within capacity, every item of positive length,
// and millisecond fields derived from the units (ms = trunc(units * mpu)).

#include <string>
#include <vector>

namespace qte {

struct Tune;

// One sentence per broken rule, naming the list and the index; empty when
// the tune keeps them all.
[[nodiscard]] std::vector<std::string> checkTuneInvariants(const Tune& tune);

} // namespace qte
