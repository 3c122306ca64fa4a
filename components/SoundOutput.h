#pragma once

#include <QString>

// Where the sound controls send their sounds: the real device, or a recording in tests.
class SoundOutput {
  public:
    using Handle = int; // 0 means nothing is open

    virtual ~SoundOutput() = default;
    // Decodes a wave file; 0 when it cannot be read. Without a device it plays once one is found.
    virtual Handle open(const QString& path) = 0;
    // Starts a voice from the first sample and returns at once; earlier voices play on.
    virtual void play(Handle sound) = 0;
    // The next play starts from the beginning.
    virtual void rewind(Handle sound) = 0;
    // Stops the sound's voices and releases it.
    virtual void close(Handle sound) = 0;
    // Silences everything, for the end of the program.
    virtual void stopAll() = 0;
};

// Plays nothing: the stand-in when no device can be had.
class SilentSoundOutput final : public SoundOutput {
  public:
    Handle open(const QString&) override { return 0; }
    void play(Handle) override {}
    void rewind(Handle) override {}
    void close(Handle) override {}
    void stopAll() override {}
};
