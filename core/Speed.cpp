#include "core/Speed.h"

#include <utility>

#include "core/Sampler.h"

namespace velkaro {

void SpeedMeter::Update(const std::vector<InterfaceRow>& rows, std::uint64_t ms) {
    if (readings_ > 0 && ms <= lastMs_) return;  // no time has passed: nothing to divide by
    ++readings_;
    lastMs_ = ms;

    for (const InterfaceRow& row : rows) {
        const std::string_view name = AdapterNameView(row);
        auto it = adapters_.find(name);
        if (it == adapters_.end()) it = adapters_.emplace(std::string(name), Adapter{}).first;
        Adapter& ad = it->second;
        if (ad.reading != readings_) {
            // Its first row in this reading: the last reading it appeared in becomes the one
            // to compare with. The vectors swap, so their storage is kept.
            ad.hasPrevious = ad.reading != 0;
            std::swap(ad.previous, ad.last);
            ad.last.clear();
            ad.previousMs = ad.lastMs;
            ad.lastMs = ms;
            ad.reading = readings_;
            ad.grown = 0;
        }
        const std::size_t k = ad.last.size();
        ad.last.push_back(Counters{row.dwInOctets, row.dwOutOctets});
        if (ad.hasPrevious && k < ad.previous.size()) {
            const Counters& before = ad.previous[k];
            if (row.dwInOctets >= before.in && row.dwOutOctets >= before.out)
                ad.grown += std::uint64_t{row.dwInOctets - before.in} + (row.dwOutOctets - before.out);
        }
    }

    for (auto& [name, ad] : adapters_) {
        if (ad.reading == readings_ && ad.hasPrevious)
            ad.rate = static_cast<long double>(ad.grown) * 1000.0L /
                      static_cast<long double>(ad.lastMs - ad.previousMs);
        else
            ad.rate = 0;  // its first reading, or missing from this one: nothing passes now
    }
}

long double SpeedMeter::Rate(std::string_view adapter) const {
    const auto it = adapters_.find(adapter);
    return it == adapters_.end() ? 0 : it->second.rate;
}

}  // namespace velkaro
