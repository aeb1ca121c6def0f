#include "AudioBackend.h"

#include "RtAudioBackend.h"

#include <atomic>

namespace {

// The backend a test installed; null for the system's.
std::atomic<AudioBackend*> installed{nullptr};

} // namespace

AudioBackend* audioBackend()
{
    if (AudioBackend* b = installed.load())
        return b;
    // Made on first use, thread-safely; lives until the process ends.
    static RtAudioBackend system;
    return &system;
}

void setAudioBackend(AudioBackend* backend)
{
    installed.store(backend);
}

const AudioDeviceInfo* findAudioDevice(const QList<AudioDeviceInfo>& devices, const QString& name)
{
    for (const AudioDeviceInfo& d : devices) {
        if (d.name == name)
            return &d;
    }
    return nullptr;
}
