#pragma once

#include <QString>

// What the settings dialog needs of the play field. The play field implements it, so the
// settings folder never depends on the play field.
class TargetHost {
  public:
    virtual ~TargetHost() = default;
    // The caption the target shows now (the play field's Label2).
    virtual QString TargetCaption() const = 0;
    // Re-read the picture files, or the caption file, and apply them to the target.
    virtual void GetPicture() = 0;
    virtual void GetCaption() = 0;
    // Sets the play field's Timer1 running or stopped.
    virtual void SetTimer1Enabled(bool enabled) = 0;
};
