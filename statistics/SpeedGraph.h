// The speeds of the last ten minutes, a point a tick, kept for the speed graph from the start
// of the run, and what the tray icon shows of the last second. The graph's scale, grid lines
// and texts are laid out here; the window only draws them.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/Accounting.h"

namespace velkaro {

// What went through the adapters shown at the last tick; Off: the option is off and the tray
// shows the application's icon.
enum class TrayActivity { Off, Idle, In, Out, Both };

// Bytes per second received and sent.
struct SpeedPoint {
    double in = 0;
    double out = 0;
    friend bool operator==(const SpeedPoint&, const SpeedPoint&) = default;
};

class SpeedHistory {
public:
    static constexpr std::size_t kPoints = 600;  // ten minutes

    // One tick's point of every adapter with a series, and of the sum over the adapters shown.
    // An adapter gets its series at its first traffic (the points before it are 0), so idle
    // ones cost nothing.
    void Record(const Accounting& a);
    // Oldest first, as many as ticks were recorded (at most kPoints); zeros for an adapter
    // without traffic in that time.
    std::vector<SpeedPoint> PointsOf(const std::string& adapter) const;
    std::vector<SpeedPoint> PointsOfAll() const { return all_.Points(); }
    // What the tray icon shows: whether the adapters shown received and sent at the last tick.
    TrayActivity Activity(bool on) const;

private:
    // A ring of up to kPoints points.
    class Series {
    public:
        explicit Series(std::size_t zeros = 0) : points_(zeros) {}
        void Add(SpeedPoint p);
        SpeedPoint& Newest() { return points_[(next_ + points_.size() - 1) % points_.size()]; }
        std::size_t Size() const { return points_.size(); }
        std::vector<SpeedPoint> Points() const;

    private:
        std::vector<SpeedPoint> points_;
        std::size_t next_ = 0;  // where the next point goes once the ring is full
    };
    Series all_;
    std::unordered_map<std::string, Series> series_;  // by adapter name
    bool receiving_ = false;
    bool sending_ = false;
};

// The graph of one series as the window draws it: the scale's top fits the highest point
// shown (never below 1 Kb/s), with up to four grid lines at round steps labelled in the
// panel's speed texts.
struct SpeedGraph {
    struct GridLine {
        double value = 0;  // bytes per second
        std::string label;
    };
    std::vector<SpeedPoint> points;  // oldest first
    double top = 0;                  // bytes per second at the plot's top
    std::vector<GridLine> grid;      // upwards; the last one at the top
    // "Принято: сейчас ..., в среднем ..., наибольшая ..." and the same of "Отправлено".
    std::string inLine;
    std::string outLine;
};

SpeedGraph MakeSpeedGraph(std::vector<SpeedPoint> points, char sep);

}  // namespace velkaro
