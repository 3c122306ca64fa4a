// A flood of pointer moves (one a millisecond) and clicks (one every 50 ms) through XTEST.
// Every click lands on a fresh place of the desktop, so its mark shows whether, and how soon,
// the game handled it; since the clicks queue behind the moves, a growing backlog would show as
// a growing click-to-mark time.
#include "xdriver.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <vector>

namespace {

constexpr int kCellWidth = 38;
constexpr int kCellHeight = 24;

struct PendingClick {
    int x = 0;
    int y = 0;
    double sent = 0;
    double nextCheck = 0;
    std::string before;
};

struct Grid {
    std::vector<std::pair<int, int>> cells;
    int stride = 389;
    Grid(int width, int height) {
        for (int y = 180; y + kCellHeight < height - 250; y += kCellHeight)
            for (int x = 60; x + kCellWidth < width - 60; x += kCellWidth)
                cells.emplace_back(x, y);
        while (cells.size() % size_t(stride) == 0)
            stride += 2;
    }
    // Consecutive clicks fall far apart, and none falls twice on one cell.
    std::pair<int, int> at(long k) const { return cells[size_t(k * stride) % cells.size()]; }
};

double median(std::vector<double> values) {
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace

void flood(XDriver& x, pid_t game, int seconds) {
    const int width = x.screen->width_in_pixels;
    const int height = x.screen->height_in_pixels;
    const Grid grid(width, height);
    const long clicks = std::min<long>(long(grid.cells.size()), long(seconds) * 20);
    std::deque<PendingClick> pending;
    std::vector<double> early, late, all;
    std::vector<long> rss;
    long moves = 0, sentClicks = 0, lost = 0;
    unsigned random = 12345;
    const double begin = monotonicSeconds();
    const long ticks = long(seconds) * 1000;

    auto check = [&](double now) {
        while (!pending.empty() && pending.front().nextCheck <= now) {
            PendingClick click = pending.front();
            pending.pop_front();
            const auto after = x.collectPixels(x.requestPixels(
                click.x - kCellWidth / 2, click.y - kCellHeight / 2, kCellWidth, kCellHeight));
            if (after != click.before) {
                const double latency = (now - click.sent) * 1e3;
                all.push_back(latency);
                // The first and last sixth of the flood: ten seconds each of a minute.
                if (click.sent - begin < seconds / 6.0)
                    early.push_back(latency);
                else if (click.sent - begin >= seconds * 5 / 6.0)
                    late.push_back(latency);
            } else if (now - click.sent > 3) {
                ++lost;
            } else {
                click.nextCheck = now + 0.005;
                pending.push_back(click);
            }
        }
    };

    for (long tick = 0; tick < ticks; ++tick) {
        const double due = begin + double(tick) * 1e-3;
        sleepUntil(due);
        if (tick % 50 == 0 && sentClicks < clicks) {
            const auto [cx, cy] = grid.at(sentClicks++);
            x.move(cx, cy);
            auto before =
                x.requestPixels(cx - kCellWidth / 2, cy - kCellHeight / 2, kCellWidth, kCellHeight);
            x.button(1, true);
            x.button(1, false);
            const double sent = monotonicSeconds();
            pending.push_back({cx, cy, sent, sent + 0.005, x.collectPixels(before)});
        } else {
            random = random * 1103515245u + 12345u;
            x.move(int(random >> 8) % width, 180 + int(random >> 4) % (height - 430));
            ++moves;
        }
        if (tick % 1000 == 0)
            rss.push_back(residentKib(game));
        check(monotonicSeconds());
    }
    const double elapsed = monotonicSeconds() - begin;
    while (!pending.empty()) {
        sleepUntil(std::min(pending.front().nextCheck, monotonicSeconds() + 0.005));
        check(monotonicSeconds());
    }
    rss.push_back(residentKib(game));
    // Memory after the first five seconds, when the caches have filled.
    const auto warm = rss.begin() + std::min<long>(5, long(rss.size()) - 1);
    const auto [least, most] = std::minmax_element(warm, rss.end());
    print("flood_moves_per_s", double(moves) / elapsed);
    print("flood_clicks_sent", double(sentClicks));
    print("flood_clicks_handled", double(all.size()));
    print("flood_clicks_lost", double(lost));
    print("flood_click_ms_first", median(early));
    print("flood_click_ms_last", median(late));
    print("flood_click_ms_max", all.empty() ? -1 : *std::max_element(all.begin(), all.end()));
    print("flood_rss_range_mb", double(*most - *least) * 1024.0 / 1e6);
    print("flood_rss_most_mb", double(*most) * 1024.0 / 1e6);
}
