#include "components/OpenAlSoundOutput.h"

// Not yet written: silent until then.
struct OpenAlSoundOutput::Device {};
OpenAlSoundOutput::OpenAlSoundOutput() = default;
OpenAlSoundOutput::~OpenAlSoundOutput() = default;
SoundOutput::Handle OpenAlSoundOutput::open(const QString&) { return 0; }
void OpenAlSoundOutput::play(Handle) {}
void OpenAlSoundOutput::rewind(Handle) {}
void OpenAlSoundOutput::close(Handle) {}
void OpenAlSoundOutput::stopAll() {}
