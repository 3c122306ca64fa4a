#pragma once

#include <QString>

// Starts the web browser on an address without waiting for it.
class BrowserLauncher {
  public:
    virtual ~BrowserLauncher() = default;
    // false when no browser could be started.
    virtual bool launch(const QString& address) = 0;
};

// The desktop's default browser, through xdg-open.
class XdgBrowserLauncher final : public BrowserLauncher {
  public:
    bool launch(const QString& address) override;
};
