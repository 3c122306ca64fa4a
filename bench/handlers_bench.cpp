// How long each play-field handler takes, with the repaint it causes, until the window's pixels
// are updated: the handler, the synchronous repaint into the window's backing store and its
// flush to the window system, whose round trip ends the measured time.
#include "BenchField.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr float kTwipsPerPixel = 15;

std::map<int, std::unique_ptr<BenchField>>& fields() {
    static std::map<int, std::unique_ptr<BenchField>> cache;
    return cache;
}

BenchField& fieldFor(QSize size) {
    auto& slot = fields()[size.width()];
    if (!slot)
        slot = std::make_unique<BenchField>(size);
    return *slot;
}

// Times one call of step per iteration; before() runs outside the timed part.
template <typename Before, typename Step>
void measure(benchmark::State& state, Before before, Step step) {
    std::vector<double> samples;
    for (auto _ : state) {
        before();
        const auto start = std::chrono::steady_clock::now();
        step();
        BenchField::settle();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        samples.push_back(took.count());
    }
    std::sort(samples.begin(), samples.end());
    if (!samples.empty()) {
        state.counters["p50_us"] = samples[samples.size() / 2] * 1e6;
        state.counters["p99_us"] = samples[samples.size() * 99 / 100] * 1e6;
    }
}

// Shot points spread over the desktop area, below the banner and above the gun strip.
QPointF shotPoint(QSize screen, long i) {
    const int x = int((i * 97) % (screen.width() - 100)) + 50;
    const int y = int((i * 61) % (screen.height() - 400)) + 150;
    return {x * kTwipsPerPixel, y * kTwipsPerPixel};
}

void miss(benchmark::State& state, QSize screen) {
    auto& field = fieldFor(screen);
    long i = 0;
    measure(
        state, [] {},
        [&] {
            const QPointF at = shotPoint(screen, ++i);
            field.range().Form_MouseDown(1, 0, float(at.x()), float(at.y()));
        });
}

// The same miss, followed by a repaint of the whole play field.
void missWholeRepaint(benchmark::State& state, QSize screen) {
    auto& field = fieldFor(screen);
    long i = 0;
    measure(
        state, [] {},
        [&] {
            const QPointF at = shotPoint(screen, ++i);
            field.range().Form_MouseDown(1, 0, float(at.x()), float(at.y()));
            field.range().repaint();
        });
}

void hit(benchmark::State& state, QSize screen) {
    auto& field = fieldFor(screen);
    TargetBox& target = *field.range().Picture1;
    long i = 0;
    measure(
        state, [] {},
        [&] {
            ++i;
            const float x = float((i * 37) % std::max(1, target.width())) * kTwipsPerPixel;
            const float y = float((i * 23) % std::max(1, target.height())) * kTwipsPerPixel;
            field.range().Picture1_MouseDown(1, 0, x, y);
        });
}

void pointerMove(benchmark::State& state, QSize screen) {
    auto& field = fieldFor(screen);
    long i = 0;
    measure(
        state, [] {},
        [&] {
            const float x = float((++i * 13) % screen.width()) * kTwipsPerPixel;
            field.range().Form_MouseMove(0, 0, x, 500 * kTwipsPerPixel);
        });
}

// The target is first put back in the top-left corner, so that every tick really moves it.
void targetJump(benchmark::State& state, QSize screen) {
    auto& field = fieldFor(screen);
    TargetBox& target = *field.range().Picture1;
    measure(
        state,
        [&] {
            target.setLeft(0);
            target.setTop(1815);
            BenchField::settle();
        },
        [&] { field.range().Timer1_Timer(); });
}

// A banner tick draws the next frame into the banner and repaints the banner alone.
void bannerTick(benchmark::State& state, QSize screen) {
    auto& field = fieldFor(screen);
    measure(
        state, [] {}, [&] { field.range().Timer2_Timer(); });
}

void registerAll(QSize screen) {
    const QString suffix = QStringLiteral("/%1x%2").arg(screen.width()).arg(screen.height());
    auto add = [&](const char* name, void (*function)(benchmark::State&, QSize)) {
        benchmark::RegisterBenchmark((name + suffix).toStdString().c_str(), function, screen)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    };
    add("Form_MouseDown", miss);
    add("Form_MouseDown_wholeRepaint", missWholeRepaint);
    add("Picture1_MouseDown", hit);
    add("Form_MouseMove", pointerMove);
    add("Timer1_Timer", targetJump);
    add("Timer2_Timer", bannerTick);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::AddCustomContext("qpa", QGuiApplication::platformName().toStdString());
    for (QSize screen : {QSize(1920, 1080), QSize(3840, 2160)})
        registerAll(screen);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fields().clear();
    return 0;
}
