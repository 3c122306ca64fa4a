#pragma once

class SoundOutput;

// Ends the program at once: every window closes, all sound stops, no further handler runs.
class ProgramEnd {
  public:
    virtual ~ProgramEnd() = default;
    virtual void End() = 0;
};

class QtProgramEnd final : public ProgramEnd {
  public:
    explicit QtProgramEnd(SoundOutput& sound) : m_sound(sound) {}
    void End() override;

  private:
    SoundOutput& m_sound;
};
