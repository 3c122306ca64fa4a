#include "components/OpenAlSoundOutput.h"

#include "components/WaveDecoder.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <dlfcn.h>

#include <QTimer>

#include <array>
#include <map>
#include <mutex>

namespace {

constexpr int kVoices = OpenAlSoundOutput::kVoicesPerSound;

// How often a device with nothing to play is checked, so it can be paused: an open device keeps
// mixing silence, which costs a play field that idles a few percent of a core.
constexpr int kIdleCheckMs = 1500;

// libasound reports a missing card on stderr through its own handler, whatever OpenAL's log
// level; the game prints nothing, so the handler is replaced before OpenAL first loads it.
using AlsaErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsa() {
    // Kept loaded on purpose: unloading would bring back the default handler.
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!alsa)
        return;
    using SetHandler = int (*)(AlsaErrorHandler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(ignoreAlsaError);
}

// OpenAL reads its settings once, at its first call, so this must come before any.
void quietLibrariesOnce() {
    static std::once_flag done;
    std::call_once(done, [] {
        if (qEnvironmentVariableIsEmpty("ALSOFT_LOGLEVEL"))
            qputenv("ALSOFT_LOGLEVEL", "0");
        silenceAlsa();
    });
}

// The AL objects of one open sound: its samples and a ring of voices playing them.
struct Voices {
    ALuint buffer = 0;
    std::array<ALuint, kVoices> sources{};
    std::size_t next = 0;

    bool valid() const { return buffer != 0; }

    bool anyPlaying() const {
        if (!valid())
            return false;
        for (ALuint source : sources) {
            ALint state = AL_STOPPED;
            alGetSourcei(source, AL_SOURCE_STATE, &state);
            if (state == AL_PLAYING)
                return true;
        }
        return false;
    }
};

void release(Voices& voices) {
    if (voices.sources[0] != 0) {
        alSourceStopv(kVoices, voices.sources.data());
        alDeleteSources(kVoices, voices.sources.data());
    }
    if (voices.buffer != 0)
        alDeleteBuffers(1, &voices.buffer);
    voices = Voices{};
}

// At the listener, so mono plays centred and stereo keeps its sides. Stereo is not sent to the
// outputs directly (AL_SOFT_direct_channels): on a mono device that drops it to silence.
void setUpSource(ALuint source, ALuint buffer) {
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
}

// Reports failure rather than leaving half-made objects behind.
bool upload(const DecodedWave& wave, Voices& voices) {
    alGetError();
    alGenBuffers(1, &voices.buffer);
    if (alGetError() != AL_NO_ERROR) {
        voices = Voices{};
        return false;
    }
    const ALenum format = wave.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    const auto bytes = static_cast<ALsizei>(wave.samples.size() * sizeof(wave.samples[0]));
    alBufferData(voices.buffer, format, wave.samples.data(), bytes, wave.sampleRate);
    if (alGetError() == AL_NO_ERROR)
        alGenSources(kVoices, voices.sources.data());
    if (alGetError() != AL_NO_ERROR) {
        voices.sources = {};
        release(voices);
        return false;
    }
    for (ALuint source : voices.sources)
        setUpSource(source, voices.buffer);
    if (alGetError() != AL_NO_ERROR) {
        release(voices);
        return false;
    }
    return true;
}

} // namespace

struct OpenAlSoundOutput::Device {
    struct Sound {
        DecodedWave wave; // kept to rebuild the voices on a device opened anew
        Voices voices;
    };

    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    std::map<Handle, Sound> sounds;
    Handle lastHandle = 0;
    LPALCDEVICEPAUSESOFT pauseDevice = nullptr; // null where the device cannot pause
    LPALCDEVICERESUMESOFT resumeDevice = nullptr;
    bool paused = false;
    QTimer idleCheck;

    Device() {
        idleCheck.setInterval(kIdleCheckMs);
        QObject::connect(&idleCheck, &QTimer::timeout, [this] { pauseIfIdle(); });
    }

    ~Device() { disconnect(); }

    Sound* find(Handle handle) {
        auto it = sounds.find(handle);
        return it == sounds.end() ? nullptr : &it->second;
    }

    // Several outputs may live at once (tests); each call speaks to its own context.
    bool makeCurrent() const {
        if (!context)
            return false;
        return alcGetCurrentContext() == context || alcMakeContextCurrent(context);
    }

    bool connected() const {
        if (!context)
            return false;
        ALCint connected = ALC_TRUE;
        if (alcIsExtensionPresent(device, "ALC_EXT_disconnect"))
            alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
        return connected == ALC_TRUE;
    }

    // Opens the device when there is none or the sound server went away; the sounds still open
    // get their voices back on the new device.
    bool connect() {
        if (connected())
            return makeCurrent();
        disconnect();
        device = alcOpenDevice(nullptr);
        if (!device)
            return false;
        context = alcCreateContext(device, nullptr);
        if (!context || !alcMakeContextCurrent(context)) {
            disconnect();
            return false;
        }
        for (auto& [handle, sound] : sounds)
            upload(sound.wave, sound.voices);
        findPauseFunctions();
        return true;
    }

    // On a device just opened: disconnect() has cleared what an earlier one had.
    void findPauseFunctions() {
        if (!alcIsExtensionPresent(device, "ALC_SOFT_pause_device"))
            return;
        pauseDevice =
            reinterpret_cast<LPALCDEVICEPAUSESOFT>(alcGetProcAddress(device, "alcDevicePauseSOFT"));
        resumeDevice = reinterpret_cast<LPALCDEVICERESUMESOFT>(
            alcGetProcAddress(device, "alcDeviceResumeSOFT"));
        if (!pauseDevice || !resumeDevice)
            pauseDevice = resumeDevice = nullptr;
    }

    // Called before every play; the pause is checked for again once the sound may be over.
    void wake() {
        if (paused && resumeDevice)
            resumeDevice(device);
        paused = false;
        if (pauseDevice && !idleCheck.isActive())
            idleCheck.start();
    }

    void pauseIfIdle() {
        if (!makeCurrent()) {
            idleCheck.stop();
            return;
        }
        for (const auto& [handle, sound] : sounds) {
            if (sound.voices.anyPlaying())
                return;
        }
        pauseDevice(device);
        paused = true;
        idleCheck.stop();
    }

    void disconnect() {
        if (makeCurrent()) {
            for (auto& [handle, sound] : sounds)
                release(sound.voices);
        }
        if (context) {
            if (alcGetCurrentContext() == context)
                alcMakeContextCurrent(nullptr);
            alcDestroyContext(context);
        }
        if (device)
            alcCloseDevice(device);
        context = nullptr;
        device = nullptr;
        pauseDevice = resumeDevice = nullptr;
        paused = false;
        idleCheck.stop();
    }
};

OpenAlSoundOutput::OpenAlSoundOutput() : m_device(std::make_unique<Device>()) {
    quietLibrariesOnce();
}

OpenAlSoundOutput::~OpenAlSoundOutput() = default;

SoundOutput::Handle OpenAlSoundOutput::open(const QString& path) {
    if (!m_device->connect())
        return 0;
    std::optional<DecodedWave> wave = wave::decode(path);
    if (!wave)
        return 0;
    Device::Sound sound{std::move(*wave), {}};
    if (!upload(sound.wave, sound.voices))
        return 0;
    const Handle handle = ++m_device->lastHandle;
    m_device->sounds.emplace(handle, std::move(sound));
    return handle;
}

void OpenAlSoundOutput::play(Handle handle) {
    Device::Sound* sound = m_device->find(handle);
    if (!sound || !sound->voices.valid() || !m_device->makeCurrent())
        return;
    // The oldest voice takes the shot, so earlier shots ring on instead of being cut.
    Voices& voices = sound->voices;
    const ALuint source = voices.sources[voices.next];
    voices.next = (voices.next + 1) % kVoices;
    m_device->wake();
    alSourceRewind(source);
    alSourcePlay(source);
}

// Every play already starts from the first sample, so there is nothing to set back.
void OpenAlSoundOutput::rewind(Handle) {}

void OpenAlSoundOutput::close(Handle handle) {
    Device::Sound* sound = m_device->find(handle);
    if (!sound)
        return;
    if (m_device->makeCurrent())
        release(sound->voices);
    m_device->sounds.erase(handle);
}

void OpenAlSoundOutput::stopAll() {
    if (!m_device->makeCurrent())
        return;
    for (auto& [handle, sound] : m_device->sounds) {
        if (sound.voices.valid())
            alSourceStopv(kVoices, sound.voices.sources.data());
    }
}

bool OpenAlSoundOutput::hasDevice() const {
    return m_device->connected();
}

bool OpenAlSoundOutput::isPaused() const {
    return m_device->paused;
}
