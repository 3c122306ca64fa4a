// The game's sounds, synthesised from noise and decaying tones with a fixed-seed generator.
// Every shot sound starts at full attack on its first sample, so it is heard as the shot fires.

#include "make_resources.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace res {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kRate = kSampleRate;

using Signal = std::vector<double>;

Signal silence(double seconds) {
    return Signal(std::size_t(seconds * kRate + 0.5), 0.0);
}

// Scales to a common peak, fades the last few milliseconds and rounds to 16 bits.
Samples toPcm(Signal signal, double fadeSeconds = 0.01) {
    double peak = 1e-9;
    for (double s : signal)
        peak = std::max(peak, std::abs(s));
    const auto fade = std::size_t(fadeSeconds * kRate);
    Samples out(signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i) {
        double s = signal[i] / peak * 0.89;
        if (const std::size_t left = signal.size() - i; left <= fade)
            s *= double(left - 1) / double(fade);
        out[i] = std::int16_t(std::clamp(std::floor(s * 32767.0 + 0.5), -32767.0, 32767.0));
    }
    return out;
}

// A two-pole band-pass filter whose centre may move from sample to sample.
class BandPass {
  public:
    explicit BandPass(double q) : m_q(q) {}
    double step(double x, double centreHz) {
        const double w = kTwoPi * centreHz / kRate, alpha = std::sin(w) / (2 * m_q);
        const double a0 = 1 + alpha, a1 = -2 * std::cos(w), a2 = 1 - alpha;
        const double y = (alpha * x - alpha * m_x2 - a1 * m_y1 - a2 * m_y2) / a0;
        m_x2 = m_x1;
        m_x1 = x;
        m_y2 = m_y1;
        m_y1 = y;
        return y;
    }

  private:
    double m_q, m_x1 = 0, m_x2 = 0, m_y1 = 0, m_y2 = 0;
};

double decay(double t, double seconds) {
    return t < 0 ? 0.0 : std::exp(-t / seconds);
}

} // namespace

Samples shootSound() {
    // The crack of the powder, a bright burst darkening fast, a falling boom and the room.
    Signal out = silence(0.6);
    Rng rng(0x5407);
    double lp1 = 0, lp2 = 0, room = 0, phase = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate, noise = rng.signedUnit();
        const double a = 0.04 + 0.8 * decay(t, 0.025);
        lp1 += a * (noise - lp1);
        lp2 += a * (lp1 - lp2);
        room += 0.02 * (noise - room);
        phase += kTwoPi * (42 + 120 * decay(t, 0.04)) / kRate;
        const double blast = lp2 / std::sqrt(a) * decay(t, 0.09) + noise * decay(t, 0.005);
        const double boom = std::sin(phase + 1.2) * decay(t, 0.14);
        out[i] = std::tanh(1.8 * (blast + 0.8 * boom + room * 4.0 * decay(t, 0.25)));
    }
    return toPcm(out, 0.04);
}

Samples dartSound() {
    // The point's click, the board's dull knock and the shaft buzzing as it settles.
    Signal out = silence(0.35);
    Rng rng(0xda27);
    BandPass knock(1.5);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate, noise = rng.signedUnit();
        const double click = noise * decay(t, 0.0015);
        const double wood = knock.step(noise, 900) * 3.0 * decay(t, 0.015);
        const double thud = std::sin(kTwoPi * 150 * t + 0.9) * decay(t, 0.035) +
                            0.5 * std::sin(kTwoPi * 310 * t + 0.4) * decay(t, 0.05);
        const double buzz = std::sin(kTwoPi * 92 * t) * std::sin(kTwoPi * 430 * t) * 0.35 *
                            decay(t, 0.08) * (1 - decay(t, 0.01));
        out[i] = click + wood + thud + buzz;
    }
    return toPcm(out, 0.03);
}

Samples loveSound() {
    // A kiss: the lips' wet pop, a short smooch of breathy noise and the smack as they part.
    Signal out = silence(0.4);
    Rng rng(0x1ab5);
    BandPass smooch(2.0), smack(4.0);
    double lp = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate, noise = rng.signedUnit();
        lp += 0.3 * (noise - lp);
        const double pop =
            lp * 2.0 * decay(t, 0.004) + std::sin(kTwoPi * 650 * t + 1.3) * decay(t, 0.01);
        const double breath =
            smooch.step(noise, 1500 + 1500 * (1 - decay(t, 0.08))) * 1.6 * decay(t, 0.06);
        const double part = t - 0.12;
        const double release = smack.step(noise, 2800) * 4.0 * decay(part, 0.008) +
                               0.6 * std::sin(kTwoPi * 1150 * part) * decay(part, 0.012);
        out[i] = pop + breath + release;
    }
    return toPcm(out, 0.03);
}

Samples suctionSound() {
    // The cup slapping on, its air popping out in a falling "thwup", and the rubber wobbling.
    Signal out = silence(0.4);
    Rng rng(0x5cc);
    double phase = 0, lp = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate, noise = rng.signedUnit();
        lp += 0.08 * (noise - lp);
        phase += kTwoPi * (170 + 750 * decay(t, 0.018)) / kRate;
        const double pop = std::sin(phase + 1.0) * decay(t, 0.06);
        const double slap = noise * decay(t, 0.002) + lp * 3.0 * decay(t, 0.03);
        const double wobble = std::sin(kTwoPi * 62 * t) * 0.35 * decay(t, 0.12);
        out[i] = pop + slap + wobble * (1 - decay(t, 0.01));
    }
    return toPcm(out, 0.03);
}

namespace {

// One plucked string (Karplus-Strong): a burst of filtered noise circulating in a delay line
// of one period, averaged a little each time round. It rings until `until`, then is damped.
void pluck(Signal& out, double frequency, double start, double until, double level, Rng& rng) {
    const auto period = std::size_t(std::max(2.0, std::floor(kRate / frequency - 0.5 + 0.5)));
    std::vector<double> line(period);
    double lp = 0, mean = 0;
    for (double& s : line) {
        lp += 0.55 * (rng.signedUnit() - lp);
        s = lp;
        mean += lp / double(period);
    }
    for (double& s : line)
        s -= mean;
    const auto first = std::size_t(start * kRate), stop = std::size_t(until * kRate);
    const auto damped = stop + std::size_t(0.08 * kRate);
    const double loss = frequency < 150 ? 0.9965 : 0.994;
    std::size_t at = 0;
    for (std::size_t i = first; i < out.size() && i < damped; ++i) {
        const double s = line[at], next = line[(at + 1) % period];
        line[at] = (i < stop ? loss : 0.97) * 0.5 * (s + next);
        at = (at + 1) % period;
        out[i] += s * level;
    }
}

struct Note {
    double frequency, start, until;
};

} // namespace

Samples guitarPiece() {
    // A picked E minor - C - D, and a strummed E minor left to ring.
    constexpr double E2 = 82.41, B2 = 123.47, C3 = 130.81, D3 = 146.83, E3 = 164.81, G3 = 196.0,
                     A3 = 220.0, B3 = 246.94, C4 = 261.63, D4 = 293.66, E4 = 329.63, Fs4 = 369.99;
    const double step = 0.17;
    const std::vector<std::vector<double>> chords = {
        {E2, B2, E3, G3, B3, G3, E3, B2}, {C3, G3, C4, E4, C4, G3}, {D3, A3, D4, Fs4, D4, A3}};
    std::vector<Note> notes;
    double t = 0;
    for (const auto& chord : chords) {
        const double end = t + step * double(chord.size()) + 0.05;
        for (double f : chord) {
            notes.push_back({f, t, end});
            t += step;
        }
    }
    for (double f : {E2, B2, E3, G3, B3, E4}) {
        notes.push_back({f, t, t + 2.4});
        t += 0.018;
    }
    Signal out = silence(t + 2.2);
    Rng rng(0x6017a2);
    for (const Note& n : notes)
        pluck(out, n.frequency, n.start, n.until, n.frequency < 150 ? 1.0 : 0.75, rng);
    double lp = 0;
    for (double& s : out) // a soft body: rounds off the pick's edge
        s = lp += 0.6 * (s - lp);
    return toPcm(out, 0.4);
}

} // namespace res
