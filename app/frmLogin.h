#pragma once

#include "components/Units.h"

#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class ProgramEnd;

// The login dialog the game opens with. Any name and password are accepted.
class frmLogin final : public QDialog {
  public:
    frmLogin(ProgramEnd& programEnd, const units::ScreenMetrics& metrics);

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

    // Runs at OK, once the dialog has hidden itself: a compositor may show it a moment longer.
    std::function<void()> onLoggedIn;

    bool LoginSucceeded = false;
    std::int16_t Attempts = 0;

    QLabel* lblLabels[2];
    QLineEdit* txtUserName;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

  protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

  private:
    ProgramEnd& m_programEnd;
};
