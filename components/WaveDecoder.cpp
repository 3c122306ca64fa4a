#include "components/WaveDecoder.h"

#include "components/RegularFile.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

namespace wave {
namespace {

struct SndFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using SndFilePtr = std::unique_ptr<SNDFILE, SndFileCloser>;

// Corrupt headers can claim any frame count, so the data is read in bounded chunks until the
// file runs dry or the length limit is reached.
constexpr sf_count_t kChunkFrames = 4096;

bool plausible(const SF_INFO& info) {
    return (info.channels == 1 || info.channels == 2) && info.samplerate >= kMinRate &&
           info.samplerate <= kMaxRate;
}

// Reading as float: sf_readf_short yields zeros for float files instead of scaling them.
void readAll(SNDFILE* file, int channels, sf_count_t maxFrames, std::vector<std::int16_t>& out) {
    std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames * channels));
    sf_count_t total = 0;
    while (total < maxFrames) {
        const sf_count_t wanted = std::min(kChunkFrames, maxFrames - total);
        const sf_count_t got = sf_readf_float(file, chunk.data(), wanted);
        if (got <= 0)
            break;
        const auto count = static_cast<std::size_t>(got * channels);
        std::transform(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count),
                       std::back_inserter(out), toPcm16);
        total += got;
    }
}

} // namespace

std::int16_t toPcm16(float sample) {
    if (std::isnan(sample))
        return 0;
    const float scaled = std::nearbyint(std::clamp(sample, -1.0f, 1.0f) * 32768.0f);
    return static_cast<std::int16_t>(std::min(scaled, 32767.0f));
}

std::optional<DecodedWave> decode(const QString& path, int maxSeconds) {
    const RegularFile opened(path);
    if (!opened.isOpen())
        return std::nullopt;
    SF_INFO info{};
    // The descriptor stays the opened file's, which outlives the sound file.
    SndFilePtr file(sf_open_fd(opened.descriptor(), SFM_READ, &info, SF_FALSE));
    if (!file || !plausible(info))
        return std::nullopt;
    sf_command(file.get(), SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);

    DecodedWave wave;
    wave.channels = info.channels;
    wave.sampleRate = info.samplerate;
    const sf_count_t maxFrames = static_cast<sf_count_t>(maxSeconds) * info.samplerate;
    readAll(file.get(), info.channels, maxFrames, wave.samples);
    if (wave.frames() == 0)
        return std::nullopt;
    return wave;
}

} // namespace wave
