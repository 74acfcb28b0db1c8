#include "statistics/SpeedGraph.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/Formatting.h"
#include "core/Texts.h"

namespace velkaro {

namespace {

constexpr double kKb = 1024.0;
constexpr double kMb = 1048576.0;
constexpr int kMostGridLines = 4;
// Below 1 Mb/s the steps are whole or half Kb/s, and 256 and 512 Kb/s, whose multiples read
// as whole quarters of a Mb/s; from 1 Mb/s on, 1, 2 and 5 times a power of ten Mb/s.
constexpr double kKbSteps[] = {0.5, 1, 2, 5, 10, 20, 50, 100, 200, 256, 512};

// The k-th round step, in bytes per second, smallest first.
double RoundStep(std::size_t k) {
    if (k < std::size(kKbSteps)) return kKbSteps[k] * kKb;
    k -= std::size(kKbSteps);
    double decade = kMb;
    for (std::size_t d = 0; d < k / 3; ++d) decade *= 10;
    return (k % 3 == 0 ? 1 : k % 3 == 1 ? 2 : 5) * decade;
}

std::string DirectionLine(const char* label, double now, double average, double highest, char sep) {
    return std::string(label) + texts::kGraphNow + FormatSpeed(now, sep) + texts::kGraphAverage +
           FormatSpeed(average, sep) + texts::kGraphHighest + FormatSpeed(highest, sep);
}

}  // namespace

void SpeedHistory::Series::Add(SpeedPoint p) {
    if (points_.size() < kPoints) {
        if (points_.empty()) points_.reserve(kPoints);
        points_.push_back(p);
        return;
    }
    points_[next_] = p;
    next_ = (next_ + 1) % kPoints;
}

std::vector<SpeedPoint> SpeedHistory::Series::Points() const {
    std::vector<SpeedPoint> out(points_.size());
    std::rotate_copy(points_.begin(), points_.begin() + static_cast<std::ptrdiff_t>(next_), points_.end(), out.begin());
    return out;
}

void SpeedHistory::Record(const Accounting& a) {
    all_.Add({});
    for (auto& [adapter, s] : series_) s.Add({});
    SpeedPoint sum;
    receiving_ = sending_ = false;
    for (const AdapterInfo& info : a.Adapters()) {
        if (!(info.rateIn > 0) && !(info.rateOut > 0)) continue;
        const SpeedPoint p{static_cast<double>(info.rateIn), static_cast<double>(info.rateOut)};
        // A new series has a zero for each tick before.
        series_.try_emplace(info.name, all_.Size()).first->second.Newest() = p;
        if (!a.Shows(info)) continue;
        sum.in += p.in;
        sum.out += p.out;
        receiving_ = receiving_ || p.in > 0;
        sending_ = sending_ || p.out > 0;
    }
    all_.Newest() = sum;
}

std::vector<SpeedPoint> SpeedHistory::PointsOf(const std::string& adapter) const {
    const auto it = series_.find(adapter);
    if (it == series_.end()) return std::vector<SpeedPoint>(all_.Size());
    return it->second.Points();
}

TrayActivity SpeedHistory::Activity(bool on) const {
    static constexpr TrayActivity kShown[2][2] = {{TrayActivity::Idle, TrayActivity::Out},
                                                  {TrayActivity::In, TrayActivity::Both}};
    return on ? kShown[receiving_][sending_] : TrayActivity::Off;
}

SpeedGraph MakeSpeedGraph(std::vector<SpeedPoint> points, char sep) {
    SpeedGraph g;
    g.points = std::move(points);
    SpeedPoint highest, sum;
    for (const SpeedPoint& p : g.points) {
        highest.in = std::max(highest.in, p.in);
        highest.out = std::max(highest.out, p.out);
        sum.in += p.in;
        sum.out += p.out;
    }
    const double n = g.points.empty() ? 1.0 : static_cast<double>(g.points.size());
    const SpeedPoint now = g.points.empty() ? SpeedPoint{} : g.points.back();
    g.inLine = DirectionLine(texts::kReceived, now.in, sum.in / n, highest.in, sep);
    g.outLine = DirectionLine(texts::kSent, now.out, sum.out / n, highest.out, sep);

    // The least round step that reaches the highest point in at most four lines.
    const double reach = std::max({highest.in, highest.out, kKb});
    double step = RoundStep(0);
    for (std::size_t k = 1; std::ceil(reach / step) > kMostGridLines; ++k) step = RoundStep(k);
    const int lines = static_cast<int>(std::ceil(reach / step));
    g.top = step * lines;
    for (int k = 1; k <= lines; ++k) g.grid.push_back({step * k, FormatSpeed(step * k, sep)});
    return g;
}

}  // namespace velkaro
