// The wave loading the sound control does on its five files, through libsndfile as the game
// does: a decoded sound has one or two channels, a rate in range, whole frames and no more of
// them than the length cut allows; a shorter cut gives the start of the same sound.
#include "FuzzScratch.h"

#include "components/WaveDecoder.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

void checkSound(const DecodedWave& sound, int maxSeconds) {
    FUZZ_CHECK(sound.channels == 1 || sound.channels == 2);
    FUZZ_CHECK(sound.sampleRate >= wave::kMinRate && sound.sampleRate <= wave::kMaxRate);
    FUZZ_CHECK(sound.samples.size() % std::size_t(sound.channels) == 0);
    FUZZ_CHECK(sound.frames() >= 1);
    FUZZ_CHECK(sound.frames() <= std::size_t(maxSeconds) * std::size_t(sound.sampleRate));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = scratchFolder() + "/shoot.wav";
    FUZZ_CHECK(putFile(path, QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))));
    const std::optional<DecodedWave> whole = wave::decode(path);
    if (whole)
        checkSound(*whole, wave::kMaxSeconds);
    const std::optional<DecodedWave> cut = wave::decode(path, 1);
    FUZZ_CHECK(cut.has_value() == whole.has_value());
    if (!cut)
        return 0;
    checkSound(*cut, 1);
    FUZZ_CHECK(cut->channels == whole->channels && cut->sampleRate == whole->sampleRate);
    FUZZ_CHECK(cut->samples.size() <= whole->samples.size());
    FUZZ_CHECK(std::equal(cut->samples.begin(), cut->samples.end(), whole->samples.begin()));
    return 0;
}
