#pragma once

#include "components/SoundOutput.h"

#include <memory>

// The sound device: OpenAL Soft for output and mixing, libsndfile for decoding. One instance
// serves every sound control of the program. Without a device every call is a quiet no-op, but
// sounds are kept open: a device lost mid-run (the sound server restarted) is opened again at
// the next play or open, with every sound still open, and so is one that was missing at start,
// tried at most once a second while there is none. A device with nothing to play rests after a
// moment, so an idle game costs no mixing.
class OpenAlSoundOutput final : public SoundOutput {
  public:
    OpenAlSoundOutput();
    ~OpenAlSoundOutput() override;
    OpenAlSoundOutput(const OpenAlSoundOutput&) = delete;
    OpenAlSoundOutput& operator=(const OpenAlSoundOutput&) = delete;

    Handle open(const QString& path) override;
    void play(Handle sound) override;
    void rewind(Handle sound) override;
    void close(Handle sound) override;
    void stopAll() override;

    // Opens the device, or wakes a resting one, ahead of a sound about to be opened: the open
    // then costs only its decoding.
    void prepare();

    // Whether sound can be heard at this moment.
    bool hasDevice() const;
    // Whether the device rests because nothing has played for a while; the next play wakes it.
    bool isResting() const;

    // Voices per open sound: this many shots in quick succession overlap before the oldest is
    // cut.
    static constexpr int kVoicesPerSound = 8;

  private:
    struct Device;
    std::unique_ptr<Device> m_device;
};
