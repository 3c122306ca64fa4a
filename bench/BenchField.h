#pragma once

#include "support/PlayFieldFixture.h"

#include "components/SoundOutput.h"

#include <QGuiApplication>
#include <QTest>

#include <memory>

// A shown play field of a given screen size over the striped test desktop, with its timers
// stopped so that only the handler being measured paints. Sound goes nowhere: what a shot
// costs at the sound device is measured end to end, at a real sound server.
struct BenchField {
    explicit BenchField(QSize screen) : screenSize(screen), fixture(screen) {
        fixture.range->Form_Load();
        fixture.range->Timer1.stop();
        fixture.range->Timer2.stop();
        fixture.range->show();
        shown = QTest::qWaitForWindowExposed(fixture.range.get());
        settle();
    }

    frmRange& range() { return *fixture.range; }

    // Paints whatever is pending and waits until the window system has the pixels.
    static void settle() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        QGuiApplication::sync();
    }

    QSize screenSize;
    PlayFieldFixture fixture;
    bool shown = false;
};
