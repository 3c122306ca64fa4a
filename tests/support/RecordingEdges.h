#pragma once

#include "components/ProgramEnd.h"
#include "playfield/BrowserLauncher.h"
#include "playfield/DesktopSource.h"

#include <QImage>
#include <QStringList>

// The program's end, counted instead of carried out.
class RecordingProgramEnd final : public ProgramEnd {
  public:
    int ends = 0;
    void End() override { ++ends; }
};

// A desktop that is always the same picture (or none at all).
class FixedDesktopSource final : public DesktopSource {
  public:
    explicit FixedDesktopSource(QImage picture = {}) : m_picture(std::move(picture)) {}
    void capture(QScreen*, std::function<void()> ready) override { ready(); }
    QImage grab() override { return m_picture; }

  private:
    QImage m_picture;
};

// Records the addresses it was asked to open; fails when told to.
class RecordingBrowserLauncher final : public BrowserLauncher {
  public:
    QStringList addresses;
    bool succeeds = true;
    bool launch(const QString& address) override {
        addresses << address;
        return succeeds;
    }
};
