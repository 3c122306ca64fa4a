#include "support/SoundCapture.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace soundtest {
namespace {

void append16(QByteArray& bytes, quint16 value) {
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

void append32(QByteArray& bytes, quint32 value) {
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

} // namespace

std::vector<std::int16_t> noise(int samples, unsigned seed, int amplitude) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(samples));
    unsigned state = seed;
    for (auto& sample : out) {
        state = state * 1103515245u + 12345u;
        const int value = static_cast<int>((state >> 8) % (2u * amplitude + 1)) - amplitude;
        sample = static_cast<std::int16_t>(value == 0 ? 1 : value); // never a silent sample
    }
    return out;
}

QByteArray waveHeader(int formatTag, int channels, int rate, int bits, quint32 dataBytes) {
    QByteArray bytes("RIFF");
    append32(bytes, 36 + dataBytes);
    bytes.append("WAVEfmt ");
    append32(bytes, 16);
    append16(bytes, static_cast<quint16>(formatTag));
    append16(bytes, static_cast<quint16>(channels));
    append32(bytes, static_cast<quint32>(rate));
    append32(bytes, static_cast<quint32>(qint64{rate} * channels * bits / 8));
    append16(bytes, static_cast<quint16>(channels * bits / 8));
    append16(bytes, static_cast<quint16>(bits));
    bytes.append("data");
    append32(bytes, dataBytes);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writePcm16(const QString& path, const std::vector<std::int16_t>& samples, int channels,
                int rate) {
    QByteArray bytes = waveHeader(1, channels, rate, 16, static_cast<quint32>(samples.size() * 2));
    for (std::int16_t sample : samples)
        append16(bytes, static_cast<quint16>(sample));
    return writeFile(path, bytes);
}

bool writeFloat(const QString& path, const std::vector<std::int16_t>& samples) {
    QByteArray bytes = waveHeader(3, 1, kRate, 32, static_cast<quint32>(samples.size() * 4));
    for (std::int16_t sample : samples) {
        const float value = static_cast<float>(sample) / 32768.0f;
        quint32 raw;
        std::memcpy(&raw, &value, sizeof raw);
        append32(bytes, raw);
    }
    return writeFile(path, bytes);
}

std::vector<std::int16_t> readCapture(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    qsizetype at = 12; // past "RIFF", the size and "WAVE"
    while (at + 8 <= bytes.size()) {
        const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        if (bytes.mid(at, 4) == "data") {
            const qsizetype count = std::min<qsizetype>(size, bytes.size() - at - 8) / 2;
            std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
            for (qsizetype i = 0; i < count; ++i)
                samples[i] = qFromLittleEndian<qint16>(bytes.constData() + at + 8 + 2 * i);
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

std::optional<std::size_t> find(const std::vector<std::int16_t>& mix,
                                const std::vector<std::int16_t>& sound, std::size_t from,
                                std::size_t probe) {
    probe = std::min(probe, sound.size());
    if (from > mix.size())
        return std::nullopt;
    const auto it = std::search(mix.begin() + static_cast<std::ptrdiff_t>(from), mix.end(),
                                sound.begin(), sound.begin() + static_cast<std::ptrdiff_t>(probe));
    if (it == mix.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - mix.begin());
}

bool subtract(std::vector<std::int16_t>& mix, const std::vector<std::int16_t>& sound,
              std::size_t at) {
    if (at + sound.size() > mix.size())
        return false;
    for (std::size_t i = 0; i < sound.size(); ++i)
        mix[at + i] = static_cast<std::int16_t>(mix[at + i] - sound[i]);
    return true;
}

bool silent(const std::vector<std::int16_t>& mix, std::size_t from) {
    return from >= mix.size() ||
           std::all_of(mix.begin() + static_cast<std::ptrdiff_t>(from), mix.end(),
                       [](std::int16_t sample) { return sample == 0; });
}

} // namespace soundtest
