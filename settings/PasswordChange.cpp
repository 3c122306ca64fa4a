#include "settings/PasswordChange.h"

#include <QList>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

bool passwordAccepted(const QString& first, const QString& second) {
    return first.toUcs4().size() > 1 && first == second; // characters, not UTF-16 units
}

double clockSeededRandom() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(sinceEpoch);
    std::mt19937_64 generator(static_cast<std::uint64_t>(nanoseconds.count()));
    const double drawn = std::generate_canonical<double, 53>(generator);
    // generate_canonical may round up to 1.0, which would give a noise number of 250.
    return std::min(drawn, std::nextafter(1.0, 0.0));
}
