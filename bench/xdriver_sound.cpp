// Click-to-sound latency at a PulseAudio null sink, and whether ten quick shots overlap.
// parec records the sink's monitor through a pipe; each chunk's arrival time and the samples
// counted so far give an upper bound on when a sample was played (it cannot have been played
// after it arrived), and the tightest such bound over the whole recording maps sample indices
// to the clock the clicks are timed with. The figures are therefore upper bounds, tight to the
// monitor's few-millisecond fragment.
#include "xdriver.h"

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr double kRate = 44100;
constexpr int kLoud = 328; // 1 % of full scale: anything quieter counts as silence

struct Recording {
    std::vector<std::int16_t> samples;
    double offset = 1e300; // the clock's time of sample 0, at most
    std::mutex lock;
};

pid_t startRecorder(int& readEnd) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeEnds[1], 1);
        close(pipeEnds[0]);
        execlp("parec", "parec", "--raw", "-d", "capture.monitor", "--format=s16le", "--rate=44100",
               "--channels=1", "--latency-msec=5", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    readEnd = pipeEnds[0];
    return pid;
}

void readAll(int from, Recording& recording) {
    std::vector<std::int16_t> chunk(4096);
    ssize_t got;
    while ((got = read(from, chunk.data(), chunk.size() * 2)) > 0) {
        const double now = monotonicSeconds();
        std::lock_guard guard(recording.lock);
        recording.samples.insert(recording.samples.end(), chunk.begin(), chunk.begin() + got / 2);
        recording.offset =
            std::min(recording.offset, now - double(recording.samples.size()) / kRate);
    }
}

std::vector<float> loadWave(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    std::vector<float> wave;
    if (!file)
        return wave;
    std::vector<float> frames(size_t(info.frames * info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    for (sf_count_t i = 0; i < info.frames; ++i)
        wave.push_back(frames[size_t(i * info.channels)]);
    return wave;
}

long indexAt(const Recording& recording, double time) {
    return std::max(0L, long(std::lround((time - recording.offset) * kRate)));
}

long firstLoud(const std::vector<float>& signal, long from, long to) {
    for (long i = from; i < std::min<long>(to, long(signal.size())); ++i)
        if (std::fabs(signal[size_t(i)]) * 32768 > kLoud)
            return i;
    return -1;
}

// Where, within [from, from + span), the shot's attack best matches the signal.
long bestOnset(const std::vector<float>& signal, const std::vector<float>& wave, long from,
               long span) {
    const long attack = std::min<long>(441, long(wave.size()));
    double best = -1;
    long at = from;
    for (long start = from; start < from + span; ++start) {
        if (start + attack > long(signal.size()))
            break;
        double dot = 0, energy = 1e-12;
        for (long i = 0; i < attack; ++i) {
            dot += signal[size_t(start + i)] * wave[size_t(i)];
            energy += signal[size_t(start + i)] * signal[size_t(start + i)];
        }
        const double score = dot / std::sqrt(energy);
        if (score > best) {
            best = score;
            at = start;
        }
    }
    return at;
}

// parec on the sink's monitor, read by a thread of its own until stop().
struct RecorderRun {
    Recording recording;
    int readEnd = -1;
    pid_t recorder = -1;
    std::thread reader;

    bool start() {
        recorder = startRecorder(readEnd);
        if (recorder < 0)
            return false;
        reader = std::thread(readAll, readEnd, std::ref(recording));
        usleep(2500000); // the null sink holds back the first second of a new recording
        return true;
    }

    std::vector<float> stop() {
        kill(recorder, SIGTERM);
        reader.join();
        close(readEnd);
        waitpid(recorder, nullptr, 0);
        std::vector<float> signal(recording.samples.size());
        std::transform(recording.samples.begin(), recording.samples.end(), signal.begin(),
                       [](std::int16_t s) { return float(s) / 32768.0f; });
        return signal;
    }

    // Milliseconds from the click to the first loud sample within half a second; < 0: none.
    double latencyMs(const std::vector<float>& signal, double clicked) const {
        const long from = indexAt(recording, clicked);
        const long loud = firstLoud(signal, from, from + long(kRate * 0.5));
        return loud < 0 ? -1 : (recording.offset + double(loud) / kRate - clicked) * 1e3;
    }
};

void print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

} // namespace

void soundLatency(XDriver& x, const std::string& wavePath, int clickX, int clickY, bool short_) {
    const std::vector<float> wave = loadWave(wavePath);
    RecorderRun run;
    if (wave.empty() || !run.start())
        return;
    const Recording& recording = run.recording;

    const int singles = short_ ? 3 : 8;
    std::vector<double> singleTimes, burstTimes;
    for (int k = 0; k < singles; ++k) {
        x.move(clickX + 30 * k, clickY);
        x.roundTrip();
        x.button(1, true);
        singleTimes.push_back(monotonicSeconds());
        x.button(1, false);
        usleep(800000);
    }
    const double burstStart = monotonicSeconds() + 0.05;
    for (int k = 0; k < 10; ++k) {
        sleepUntil(burstStart + 0.05 * k);
        x.button(1, true);
        burstTimes.push_back(monotonicSeconds());
        x.button(1, false);
    }
    usleep(1500000);
    const std::vector<float> signal = run.stop();
    std::vector<double> latencies;
    for (double clicked : singleTimes) {
        const double latency = run.latencyMs(signal, clicked);
        if (latency >= 0)
            latencies.push_back(latency);
    }
    std::sort(latencies.begin(), latencies.end());
    print("sound_shots_heard", double(latencies.size()));
    if (!latencies.empty()) {
        print("sound_latency_ms_median", latencies[latencies.size() / 2]);
        print("sound_latency_ms_max", latencies.back());
    }

    // Ten overlapping shots: subtract each shot, at its onset and its own gain, from what was
    // recorded; overlapping shots leave little behind, shots cut short by the next leave their
    // missing tails as a large negative residue.
    const long delay = latencies.empty() ? 0 : long(latencies.front() * kRate / 1e3);
    std::vector<float> residue = signal;
    std::vector<long> onsets;
    for (double clicked : burstTimes) {
        const long onset =
            bestOnset(residue, wave, indexAt(recording, clicked) + delay - 441, 1764);
        double dot = 0, energy = 0;
        for (size_t i = 0; i < wave.size() && onset + long(i) < long(residue.size()); ++i) {
            dot += residue[size_t(onset) + i] * wave[i];
            energy += double(wave[i]) * wave[i];
        }
        const double gain = dot / energy;
        for (size_t i = 0; i < wave.size() && onset + long(i) < long(residue.size()); ++i)
            residue[size_t(onset) + i] -= float(gain * wave[i]);
        if (gain > 0.2)
            onsets.push_back(onset);
    }
    if (onsets.empty())
        return;
    const long first = onsets.front();
    const long end = std::min<long>(onsets.back() + long(wave.size()), long(signal.size()));
    double left = 0, recorded = 1e-12;
    for (long i = first; i < end; ++i) {
        left += double(residue[size_t(i)]) * residue[size_t(i)];
        recorded += double(signal[size_t(i)]) * signal[size_t(i)];
    }
    long lastLoud = -1;
    for (long i = long(signal.size()) - 1; i >= first && lastLoud < 0; --i)
        if (std::fabs(signal[size_t(i)]) * 32768 > kLoud)
            lastLoud = i;
    print("burst_onsets", double(onsets.size()));
    print("burst_residue", left / recorded);
    print("burst_tail_ms", double(lastLoud - onsets.back()) / kRate * 1e3);
    // How long the shot itself stays above the silence level.
    const long waveLoud = long(std::find_if(wave.rbegin(), wave.rend(),
                                            [](float s) { return std::fabs(s) * 32768 > kLoud; })
                                   .base() -
                               wave.begin());
    print("shot_length_ms", double(waveLoud) / kRate * 1e3);
}

void soundAfterServerRestart(XDriver& x, const std::string& restartCommand, int clickX,
                             int clickY) {
    if (std::system(restartCommand.c_str()) != 0)
        return;
    usleep(4000000); // quiet, as after a resume: nothing tells the game the server is back
    RecorderRun run;
    if (!run.start())
        return;
    x.move(clickX, clickY);
    x.roundTrip();
    x.button(1, true);
    const double clicked = monotonicSeconds();
    x.button(1, false);
    usleep(1000000);
    const std::vector<float> signal = run.stop();
    const double latency = run.latencyMs(signal, clicked);
    if (latency >= 0)
        print("sound_latency_ms_after_restart", latency);
}
