// The current speed of every adapter: how much its received and sent counters grew between
// the last two successful readings of the interface table in which it appeared, per second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/Ports.h"

namespace velkaro {

class SpeedMeter {
public:
    // One successful reading, taken at `ms` on the monotonic clock. Rows of one name are one
    // adapter: the k-th row of a name is compared with the k-th row of that name in the
    // adapter's previous reading, and what they grew adds up. A row one of whose counters went
    // down (a restart, a wrap) or that had no counterpart adds nothing. An adapter's first
    // reading gives 0, and so does a reading it is missing from. A reading that is not later
    // than the last one is ignored. O(rows); no allocation once the adapters are known.
    void Update(const std::vector<InterfaceRow>& rows, std::uint64_t ms);

    // Bytes per second of the named adapter as of the last reading; 0 when unknown.
    long double Rate(std::string_view adapter) const;

private:
    struct Counters {
        std::uint32_t in = 0;
        std::uint32_t out = 0;
    };
    struct Adapter {
        std::vector<Counters> last;      // its rows in the last reading it appeared in
        std::vector<Counters> previous;  // its rows in the reading before that
        std::uint64_t lastMs = 0;
        std::uint64_t previousMs = 0;
        std::uint64_t reading = 0;       // number of the last reading it appeared in
        bool hasPrevious = false;
        std::uint64_t grown = 0;         // bytes its rows grew in the last reading
        long double rate = 0;
    };
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };

    std::unordered_map<std::string, Adapter, NameHash, std::equal_to<>> adapters_;
    std::uint64_t readings_ = 0;
    std::uint64_t lastMs_ = 0;
};

}  // namespace velkaro
