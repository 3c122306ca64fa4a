#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// A wave file decoded to 16-bit samples, interleaved when it has two channels.
struct DecodedWave {
    int channels = 0;
    int sampleRate = 0;
    std::vector<std::int16_t> samples;

    std::size_t frames() const { return channels ? samples.size() / channels : 0; }
};

namespace wave {

inline constexpr int kMinRate = 8000;
inline constexpr int kMaxRate = 192000;
inline constexpr int kMaxSeconds = 60;

// Anything libsndfile reads (PCM of any width, float, other containers) with one or two
// channels and a plausible rate; longer sounds are cut at maxSeconds. Empty when the file is
// missing, not a regular file, unreadable, out of range or holds no sample at all.
std::optional<DecodedWave> decode(const QString& path, int maxSeconds = kMaxSeconds);

// Full scale is 1.0; values beyond it are clipped, halves round to even.
std::int16_t toPcm16(float sample);

} // namespace wave
