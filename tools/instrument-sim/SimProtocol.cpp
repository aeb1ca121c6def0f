#include "SimProtocol.h"

namespace Sim {

namespace {

// No message of the instrument comes near this; a stream that never sends F7
// must not grow without bound.
constexpr int SysexLimit = 65536;

void appendAddress(QByteArray& m, unsigned int address)
{
    m.append(char((address >> 16) & 0x7F));
    m.append(char((address >> 8) & 0x7F));
    m.append(char(address & 0x7F));
}

QByteArray start(int kind, int device)
{
    QByteArray m;
    m.append(char(0xF0));
    m.append(char(0x43));
    m.append(char(kind | (device & 0x0F)));
    m.append(char(0x7F));
    m.append(char(0x00));
    return m;
}

QByteArray request(int kind, unsigned int address, int device)
{
    QByteArray m = start(kind, device);
    appendAddress(m, address);
    m.append(char(0xF7));
    return m;
}

unsigned int addressAt(const QByteArray& m, int i)
{
    return unsigned(quint8(m[i])) << 16 | unsigned(quint8(m[i + 1])) << 8 | quint8(m[i + 2]);
}

} // namespace

QByteArray bulkDump(unsigned int address, const QByteArray& data, int device)
{
    QByteArray m = start(0x00, device);
    m.append(char((data.size() >> 7) & 0x7F));
    m.append(char(data.size() & 0x7F));
    appendAddress(m, address);
    for (const char c : data)
        m.append(char(c & 0x7F));
    m.append(char(0));
    m.append(char(0xF7));
    m[m.size() - 2] = char(checksum(m));
    return m;
}

int checksum(const QByteArray& m)
{
    int sum = 0;
    for (qsizetype i = 5; i < m.size() - 2; ++i)
        sum += quint8(m[i]);
    return (128 - sum % 128) % 128;
}

QByteArray parameterChange(unsigned int address, const QByteArray& data, int device)
{
    QByteArray m = start(0x10, device);
    appendAddress(m, address);
    for (const char c : data)
        m.append(char(c & 0x7F));
    m.append(char(0xF7));
    return m;
}

QByteArray bulkRequest(unsigned int block, int device)
{
    return request(0x20, block + HeaderOffset, device);
}

QByteArray identityReply(int model, int device)
{
    // Family 00 41 and the version bytes are free: the host reads the maker
    // (byte 5), the model (byte 8) and byte 9 only.
    QByteArray m = QByteArray::fromHex("F07E000602430041000500000001F7");
    m[2] = char(device & 0x0F);
    m[8] = char(model & 0x7F);
    return m;
}

int shortMessageLength(unsigned char status)
{
    if (status < 0x80)
        return -1;
    if (status < 0xF0) {
        const int kind = status & 0xF0;
        return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
    }
    switch (status) {
    case 0xF1:
    case 0xF3:
        return 1;
    case 0xF2:
        return 2;
    case 0xF6:
        return 0;
    default:
        return status >= 0xF8 ? 0 : -1;
    }
}

Message Message::parse(const QByteArray& m)
{
    Message out;
    out.bytes = m;
    if (m.isEmpty())
        return out;
    const quint8 status = quint8(m[0]);
    if (status != 0xF0) {
        if (shortMessageLength(status) == m.size() - 1)
            out.kind = Short;
        return out;
    }
    if (m.size() < 6 || quint8(m.back()) != 0xF7)
        return out;
    for (qsizetype i = 1; i < m.size() - 1; ++i) {
        if (quint8(m[i]) >= 0x80)
            return out;
    }

    if (m.size() == 6 && m[1] == 0x7E && m[3] == 0x06 && m[4] == 0x01) {
        out.kind = IdentityRequest;
        out.device = quint8(m[2]);
        return out;
    }
    if (m.size() == 6 && m[1] == 0x7E && m[3] == 0x09 && m[4] == 0x01) {
        out.kind = GmOn;
        out.device = quint8(m[2]);
        return out;
    }
    if (m.size() < 9 || m[1] != 0x43 || m[3] != 0x7F || m[4] != 0x00)
        return out;
    out.device = m[2] & 0x0F;
    switch (m[2] & 0x70) {
    case 0x00:
        if (m.size() < 12)
            return out;
        out.kind = BulkDump;
        out.address = addressAt(m, 7);
        out.data = m.mid(10, m.size() - 12);
        out.checksumOk = checksum(m) == quint8(m[m.size() - 2]);
        out.countOk = (quint8(m[5]) << 7 | quint8(m[6])) == out.data.size();
        break;
    case 0x10:
        out.kind = ParameterChange;
        out.address = addressAt(m, 5);
        out.data = m.mid(8, m.size() - 9);
        break;
    case 0x20:
    case 0x30:
        if (m.size() != 9)
            return out;
        out.kind = (m[2] & 0x70) == 0x20 ? BulkRequest : ParameterRequest;
        out.address = addressAt(m, 5);
        break;
    default:
        break;
    }
    return out;
}

void Stream::reset()
{
    m_sysex.clear();
    m_inSysex = false;
}

void Stream::feed(const unsigned char* data, int size, QList<QByteArray>& messages)
{
    QByteArray message;
    int length = -1; // data bytes the short message being read still needs
    for (int i = 0; i < size; ++i) {
        const unsigned char b = data[i];
        if (b >= 0xF8)
            continue;
        if (b == 0xF0) {
            // A message still open lost its end and is dropped.
            m_sysex = QByteArray(1, char(b));
            m_inSysex = true;
            length = -1;
            continue;
        }
        if (b == 0xF7) {
            if (m_inSysex) {
                m_sysex.append(char(b));
                messages.append(m_sysex);
            }
            reset();
            length = -1;
            continue;
        }
        if (b >= 0x80) {
            reset();
            message = QByteArray(1, char(b));
            length = shortMessageLength(b);
        } else if (m_inSysex) {
            if (m_sysex.size() >= SysexLimit)
                reset();
            else
                m_sysex.append(char(b));
            continue;
        } else if (length > 0) {
            message.append(char(b));
            --length;
        } else {
            continue;
        }
        if (length == 0) {
            messages.append(message);
            length = -1;
        }
    }
}

} // namespace Sim
