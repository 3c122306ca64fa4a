#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <cstdlib>

// A folder of the fuzz run's own, made once and emptied at exit, where each input is put as a file:
// the readers under test take paths, as the game gives them.
QString scratchFolder();
bool putFile(const QString& path, const QByteArray& bytes);

// A broken promise of the code under test: reported with its reason and turned into a finding.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
