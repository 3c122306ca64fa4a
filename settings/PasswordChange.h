#pragma once

#include <QString>

// The rule of the password change: a new password is taken only when it has two characters or
// more and the second box repeats it exactly (letter case and spaces included).
bool passwordAccepted(const QString& first, const QString& second);

// A number in [0, 1) from a generator reseeded from the time of day at every call, so each
// character of a stored password gets noise drawn afresh.
double clockSeededRandom();
