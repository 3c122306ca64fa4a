#include "components/OpenAlSoundOutput.h"

#include "components/WaveDecoder.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h> // ALC_CONNECTED
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace {

constexpr int kVoices = OpenAlSoundOutput::kVoicesPerSound;

// How often a device with nothing to play is checked, so it can rest: an open device keeps
// mixing silence, which costs a play field that idles a few percent of a core.
constexpr int kIdleCheckMs = 1500;

// A sound server's stream that has just started can drop what is first written to it, up to a
// period of the mixing. Plays on a device just woken therefore use a second copy of the samples
// that begins with a period and a half of silence, so they lose only silence. (Skipping the
// silence with an offset instead would have OpenAL fade the shot in.)
constexpr double kLeadInPeriods = 1.5;
constexpr double kFallbackLeadInSeconds = 0.012;
constexpr int kSettleMs = 20; // how long a device counts as just woken

// While no device can be had, a play or an open tries again at most this often: a machine
// without sound pays nothing for the shots.
constexpr int kReopenIntervalMs = 1000;

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

// OpenAL Soft 1.19 chooses its backend once, at its first call, and keeps it: a sound server
// that does not answer then is never used, even once it is up. So while the session's server is
// expected but does not answer, OpenAL is not called at all. The server's socket is found as
// libpulse finds it; PipeWire's PulseAudio service listens on the same one.
QString pulseSocket() {
    QString server =
        qEnvironmentVariable("PULSE_SERVER").section(' ', 0, 0, QString::SectionSkipEmpty);
    if (!server.isEmpty()) {
        if (server.startsWith('{')) // {machine id}address
            server = server.section('}', 1);
        if (server.startsWith(QLatin1String("unix:")))
            return server.mid(5);
        return server.startsWith('/') ? server : QString(); // over the network: not looked for
    }
    const QString runtime = qEnvironmentVariable("PULSE_RUNTIME_PATH");
    if (!runtime.isEmpty())
        return runtime + QStringLiteral("/native");
    const QString userRuntime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return userRuntime.isEmpty() ? QString() : userRuntime + QStringLiteral("/pulse/native");
}

bool answers(const QString& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath);
    if (std::size_t(path.size()) >= sizeof address.sun_path)
        return true; // cannot be asked here: OpenAL may try
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return true;
    // A full backlog (EAGAIN) is a server all the same.
    const bool answered =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
        errno == EAGAIN;
    ::close(fd);
    return answered;
}

// Whether OpenAL may start now. A configuration of OpenAL's own (ALSOFT_CONF, ALSOFT_DRIVERS)
// chooses its backend itself; otherwise a server is expected when PULSE_SERVER names one or
// its socket's folder is there, as once a server has run in the session.
bool mayStartOpenAl() {
    static bool started = false;
    if (started || qEnvironmentVariableIsSet("ALSOFT_CONF") ||
        qEnvironmentVariableIsSet("ALSOFT_DRIVERS"))
        return started = true;
    const QString socket = pulseSocket();
    const bool expected = !socket.isEmpty() && (qEnvironmentVariableIsSet("PULSE_SERVER") ||
                                                QFileInfo(QFileInfo(socket).path()).isDir());
    return started = !expected || answers(socket);
}

// The context each output last made current: asking OpenAL would cost a call on every play.
ALCcontext* currentContext = nullptr;

// The AL objects of one open sound: its samples, which belong to the device, and a ring of
// voices playing them, which belong to the context and go with it when the device rests.
struct Voices {
    ALuint buffer = 0;
    ALuint leadInBuffer = 0; // the same samples after some silence
    std::array<ALuint, kVoices> sources{};
    std::size_t next = 0;

    bool valid() const { return buffer != 0 && sources[0] != 0; }

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

void releaseSources(Voices& voices) {
    if (voices.sources[0] != 0) {
        alSourceStopv(kVoices, voices.sources.data());
        alDeleteSources(kVoices, voices.sources.data());
    }
    voices.sources = {};
    voices.next = 0;
}

void release(Voices& voices) {
    releaseSources(voices);
    if (voices.buffer != 0)
        alDeleteBuffers(1, &voices.buffer);
    if (voices.leadInBuffer != 0)
        alDeleteBuffers(1, &voices.leadInBuffer);
    voices = Voices{};
}

// At the listener, so mono plays centred and stereo keeps its sides. Stereo is not sent to the
// outputs directly (AL_SOFT_direct_channels): on a mono device that drops it to silence.
void setUpSource(ALuint source, ALuint buffer) {
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
}

bool fill(ALuint buffer, const DecodedWave& wave, const std::vector<std::int16_t>& samples) {
    const ALenum format = wave.channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
    const auto bytes = static_cast<ALsizei>(samples.size() * sizeof(samples[0]));
    alBufferData(buffer, format, samples.data(), bytes, wave.sampleRate);
    return alGetError() == AL_NO_ERROR;
}

double leadInSeconds() {
    ALCint refresh = 0; // mixing periods a second
    if (ALCcontext* context = alcGetCurrentContext())
        alcGetIntegerv(alcGetContextsDevice(context), ALC_REFRESH, 1, &refresh);
    return refresh > 0 ? kLeadInPeriods / refresh : kFallbackLeadInSeconds;
}

bool uploadBuffers(const DecodedWave& wave, Voices& voices) {
    alGetError();
    std::array<ALuint, 2> buffers{};
    alGenBuffers(2, buffers.data());
    if (alGetError() != AL_NO_ERROR)
        return false;
    voices.buffer = buffers[0];
    voices.leadInBuffer = buffers[1];
    const auto leadIn = std::size_t(wave.sampleRate * leadInSeconds()) * std::size_t(wave.channels);
    std::vector<std::int16_t> ledIn(leadIn);
    ledIn.insert(ledIn.end(), wave.samples.begin(), wave.samples.end());
    if (!fill(voices.buffer, wave, wave.samples) || !fill(voices.leadInBuffer, wave, ledIn)) {
        release(voices);
        return false;
    }
    return true;
}

bool createSources(Voices& voices) {
    alGetError();
    alGenSources(kVoices, voices.sources.data());
    if (alGetError() != AL_NO_ERROR) {
        voices.sources = {};
        return false;
    }
    for (ALuint source : voices.sources)
        setUpSource(source, voices.buffer);
    if (alGetError() != AL_NO_ERROR) {
        releaseSources(voices);
        return false;
    }
    return true;
}

// Reports failure rather than leaving half-made objects behind.
bool upload(const DecodedWave& wave, Voices& voices) {
    if (voices.buffer == 0 && !uploadBuffers(wave, voices))
        return false;
    if (voices.sources[0] == 0 && !createSources(voices)) {
        release(voices);
        return false;
    }
    return true;
}

} // namespace

// The device stays open while the game runs. Its context, which holds the voices, exists only
// while something may play: destroying it stops the mixing (an open context mixes silence, a
// few percent of a core) and frees the context's voice table, 8 MB in OpenAL Soft 1.19.
struct OpenAlSoundOutput::Device {
    struct Sound {
        DecodedWave wave; // kept to rebuild the voices on a device opened anew
        Voices voices;
    };

    ALCdevice* device = nullptr;
    bool reportsDisconnection = false; // ALC_EXT_disconnect, asked once at the open
    ALCcontext* context = nullptr;
    QElapsedTimer contextAge;
    QElapsedTimer failedOpen; // the last open that found no device
    std::map<Handle, Sound> sounds;
    Handle lastHandle = 0;
    QTimer idleCheck;

    Device() {
        idleCheck.setInterval(kIdleCheckMs);
        QObject::connect(&idleCheck, &QTimer::timeout, [this] { restIfIdle(); });
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
        if (currentContext != context && !alcMakeContextCurrent(context))
            return false;
        currentContext = context;
        return true;
    }

    // One cheap query: OpenAL marks the device when the sound server goes away or restarts.
    bool connected() const {
        if (!device)
            return false;
        ALCint connected = ALC_TRUE;
        if (reportsDisconnection)
            alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
        return connected == ALC_TRUE;
    }

    // Before an open or a play: a lost device is closed and opened again, with the sounds still
    // open, and the device wakes. A device that cannot make a context is lost too, though it has
    // not said so yet.
    bool ready() {
        if (device && !connected())
            disconnect();
        const bool hadDevice = device != nullptr;
        if (!device && !openDevice())
            return false;
        if (wake())
            return true;
        if (!hadDevice)
            return false;
        disconnect();
        return openDevice() && wake();
    }

    bool openDevice() {
        if (failedOpen.isValid() && failedOpen.elapsed() < kReopenIntervalMs)
            return false;
        device = mayStartOpenAl() ? alcOpenDevice(nullptr) : nullptr;
        if (!device) {
            failedOpen.start();
            return false;
        }
        failedOpen.invalidate();
        reportsDisconnection = alcIsExtensionPresent(device, "ALC_EXT_disconnect");
        return true;
    }

    // A resting device gets its context back, and the sounds their voices.
    bool wake() {
        if (!device || (!context && !createContext()))
            return false;
        if (!makeCurrent())
            return false;
        if (!idleCheck.isActive())
            idleCheck.start();
        return true;
    }

    bool createContext() {
        // No effects are used: without their sends each voice is smaller, 0.8 MB in all.
        const std::array<ALCint, 3> attributes{ALC_MAX_AUXILIARY_SENDS, 0, 0};
        context = alcCreateContext(device, attributes.data());
        contextAge.start();
        if (!context || !makeCurrent()) {
            destroyContext();
            return false;
        }
        for (auto& [handle, sound] : sounds)
            upload(sound.wave, sound.voices);
        return true;
    }

    void restIfIdle() {
        if (!makeCurrent()) {
            idleCheck.stop();
            return;
        }
        for (const auto& [handle, sound] : sounds) {
            if (sound.voices.anyPlaying())
                return;
        }
        rest();
    }

    // The samples stay on the device, so waking needs no decoding.
    void rest() {
        for (auto& [handle, sound] : sounds)
            releaseSources(sound.voices);
        destroyContext();
        idleCheck.stop();
    }

    void destroyContext() {
        if (!context)
            return;
        if (currentContext == context) {
            alcMakeContextCurrent(nullptr);
            currentContext = nullptr;
        }
        alcDestroyContext(context);
        context = nullptr;
    }

    // Closing the device frees whatever samples it still holds; the decoded sounds stay.
    void disconnect() {
        if (makeCurrent()) {
            for (auto& [handle, sound] : sounds)
                release(sound.voices);
        }
        for (auto& [handle, sound] : sounds)
            sound.voices = Voices{};
        destroyContext();
        if (device)
            alcCloseDevice(device);
        device = nullptr;
        idleCheck.stop();
    }
};

OpenAlSoundOutput::OpenAlSoundOutput() : m_device(std::make_unique<Device>()) {
    quietLibrariesOnce();
}

OpenAlSoundOutput::~OpenAlSoundOutput() = default;

// A readable file is kept open with or without a device, so a device found later plays it.
SoundOutput::Handle OpenAlSoundOutput::open(const QString& path) {
    const bool device = m_device->ready();
    std::optional<DecodedWave> wave = wave::decode(path);
    if (!wave)
        return 0;
    const Handle handle = ++m_device->lastHandle;
    Device::Sound& sound =
        m_device->sounds.emplace(handle, Device::Sound{std::move(*wave), {}}).first->second;
    if (device)
        upload(sound.wave, sound.voices);
    return handle;
}

void OpenAlSoundOutput::play(Handle handle) {
    Device::Sound* sound = m_device->find(handle);
    if (!sound || !m_device->ready())
        return;
    Voices& voices = sound->voices;
    if (!voices.valid() && !upload(sound->wave, voices))
        return;
    // The oldest voice takes the shot, so earlier shots ring on instead of being cut.
    const ALuint source = voices.sources[voices.next];
    voices.next = (voices.next + 1) % kVoices;
    const bool justWoken = m_device->contextAge.elapsed() < kSettleMs;
    alSourceRewind(source);
    const ALuint buffer = justWoken ? voices.leadInBuffer : voices.buffer;
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcePlay(source);
}

void OpenAlSoundOutput::prepare() {
    m_device->ready();
}

// Every play already starts from the first sample, so there is nothing to set back.
void OpenAlSoundOutput::rewind(Handle) {}

void OpenAlSoundOutput::close(Handle handle) {
    Device::Sound* sound = m_device->find(handle);
    if (!sound)
        return;
    // A resting device wakes for it: deleting the samples needs a context.
    if (sound->voices.buffer != 0 && m_device->wake())
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

bool OpenAlSoundOutput::isResting() const {
    return m_device->connected() && !m_device->context;
}
