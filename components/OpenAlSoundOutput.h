#pragma once

#include "components/SoundOutput.h"

#include <memory>

// The sound device: OpenAL Soft for output and mixing, libsndfile for decoding.
class OpenAlSoundOutput final : public SoundOutput {
public:
    OpenAlSoundOutput();
    ~OpenAlSoundOutput() override;

    Handle open(const QString& path) override;
    void play(Handle sound) override;
    void rewind(Handle sound) override;
    void close(Handle sound) override;
    void stopAll() override;

private:
    struct Device;
    std::unique_ptr<Device> m_device;
};
