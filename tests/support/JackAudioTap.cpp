#include "JackAudioTap.h"

#include <jack/jack.h>

#include <algorithm>
#include <cstring>

JackAudioTap::~JackAudioTap()
{
    close();
}

bool JackAudioTap::open(const QString& client, int channels, int capacity, QString* error)
{
    close();
    jack_status_t status{};
    m_jack = jack_client_open(client.toLocal8Bit().constData(), JackNoStartServer, &status);
    if (!m_jack) {
        *error = QStringLiteral("cannot open the JACK client %1 (status %2)").arg(client).arg(int(status));
        return false;
    }
    m_data.assign(size_t(channels), std::vector<float>(size_t(capacity), 0.0f));
    for (int c = 0; c < channels; ++c) {
        const QByteArray name = "in_" + QByteArray::number(c + 1);
        jack_port_t* port = jack_port_register(m_jack, name.constData(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (!port) {
            *error = QStringLiteral("cannot register %1").arg(QString::fromLatin1(name));
            close();
            return false;
        }
        m_ports.push_back(port);
    }
    jack_set_process_callback(m_jack, &JackAudioTap::onProcess, this);
    if (jack_activate(m_jack) != 0) {
        *error = QStringLiteral("cannot activate the JACK client");
        close();
        return false;
    }
    return true;
}

void JackAudioTap::close()
{
    if (m_jack) {
        jack_client_close(m_jack);
        m_jack = nullptr;
    }
    m_ports.clear();
}

int JackAudioTap::rate() const
{
    return m_jack ? int(jack_get_sample_rate(m_jack)) : 0;
}

int JackAudioTap::period() const
{
    return m_jack ? int(jack_get_buffer_size(m_jack)) : 0;
}

std::vector<float> JackAudioTap::recorded(int channel) const
{
    if (channel < 0 || size_t(channel) >= m_data.size())
        return {};
    const qint64 n = std::min<qint64>(frames(), qint64(m_data[size_t(channel)].size()));
    return std::vector<float>(m_data[size_t(channel)].begin(), m_data[size_t(channel)].begin() + n);
}

int JackAudioTap::onProcess(unsigned int frames, void* self)
{
    auto* tap = static_cast<JackAudioTap*>(self);
    const qint64 at = tap->m_frames.load(std::memory_order_relaxed);
    for (size_t c = 0; c < tap->m_ports.size(); ++c) {
        const auto* in = static_cast<const float*>(jack_port_get_buffer(tap->m_ports[c], frames));
        std::vector<float>& keep = tap->m_data[c];
        if (at < qint64(keep.size())) {
            const qint64 n = std::min<qint64>(frames, qint64(keep.size()) - at);
            std::memcpy(keep.data() + at, in, size_t(n) * sizeof(float));
        }
    }
    tap->m_frames.store(at + frames, std::memory_order_release);
    return 0;
}
