#pragma once

#include "components/MessageBox.h"
#include "components/Units.h"
#include "settings/DecorativeLine.h"
#include "settings/FileBrowser.h"
#include "settings/PreviewImage.h"
#include "settings/TargetHost.h"
#include "settings/files/SettingsFolders.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// The settings dialog: the target's picture and caption, and the password. It hands nothing to
// the play field directly: it rewrites a settings file and asks the play field to read it back.
class frmSettings : public QDialog {
    Q_OBJECT
  public:
    frmSettings(TargetHost& target, MessageBox& messages,
                const settingsfiles::SettingsFolders& folders, QWidget* parent = nullptr);

    QGroupBox* Frame1;
    QLineEdit* Text1;
    QLineEdit* Text2;
    QPushButton* Command1;
    QLabel* Label3;
    QGroupBox* Frame2;
    DriveList* Drive1;
    FolderList* Dir1;
    FileList* File1;
    QPushButton* Command2;
    QLabel* Label1;
    QLabel* Label2;
    PreviewImage* Image1;
    QGroupBox* Frame3;
    QPushButton* Command4;
    QLineEdit* Text3;
    QPushButton* Command5;
    DecorativeLine* Line1;
    DecorativeLine* Line2;
    DecorativeLine* Line3;
    DecorativeLine* Line4;
    DecorativeLine* Line5;

    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void File1_DblClick();
    void Command1_Click();
    void Command2_Click();
    void Command4_Click();
    void Text3_KeyPress(int& KeyAscii);
    void Command5_Click();

    // The other way out, the title bar's close box, also sets the target moving again.
    void reject() override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createPasswordFrame();
    void createPictureFrame();
    void createPreviewBand();
    void createCaptionFrame();
    void arrangeTabOrder();
    void connectHandlers();
    QRect twips(int left, int top, int width, int height) const;
    void showWriteFailure(const settingsfiles::WriteResult& result);

    TargetHost& m_target;
    MessageBox& m_messages;
    const settingsfiles::SettingsFolders& m_folders;
    units::ScreenMetrics m_metrics;
};
