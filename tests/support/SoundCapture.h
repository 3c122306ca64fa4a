#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Wave files for the sound tests, written by hand so that broken ones can be made too, and the
// reading of the mix that OpenAL Soft's wave driver captures.
namespace soundtest {

inline constexpr int kRate = 44100;

// A pseudo-random signal: no stretch of it repeats, so it is found in a mix by exact match.
std::vector<std::int16_t> noise(int samples, unsigned seed, int amplitude = 6000);

// The header of a RIFF wave: format tag 1 is integer PCM, 3 is IEEE float.
QByteArray waveHeader(int formatTag, int channels, int rate, int bits, quint32 dataBytes);

bool writeFile(const QString& path, const QByteArray& bytes);
bool writePcm16(const QString& path, const std::vector<std::int16_t>& samples, int channels = 1,
                int rate = kRate);
bool writeFloat(const QString& path, const std::vector<std::int16_t>& samples);

// The samples of a 16-bit capture, empty when the file holds no data chunk.
std::vector<std::int16_t> readCapture(const QString& path);

// Where the first `probe` samples of the sound stand in the mix, searching from `from`.
std::optional<std::size_t> find(const std::vector<std::int16_t>& mix,
                                const std::vector<std::int16_t>& sound, std::size_t from = 0,
                                std::size_t probe = 64);

// Takes one whole copy of the sound at `at` out of the mix; false when the mix ends first.
bool subtract(std::vector<std::int16_t>& mix, const std::vector<std::int16_t>& sound,
              std::size_t at);

bool silent(const std::vector<std::int16_t>& mix, std::size_t from = 0);

} // namespace soundtest
