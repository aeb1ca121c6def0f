#include "VeskDump.h"

#include "Vesk.h"
#include "VeskSysex.h"

#include <QResource>

#include <cstring>

namespace {

// The stored initial patches, one resource per type in type order: the raw
// bulk dump messages of the patch in sending order, common block first.
const char* const InitResources[VeskDump::TypeCount] = {
    ":/vesk/data/init/voice.syx",       ":/vesk/data/init/drum.syx", ":/vesk/data/init/plg.syx",
    ":/vesk/data/init/performance.syx", ":/vesk/data/init/mix.syx",  ":/vesk/data/init/master.syx",
};

} // namespace

QByteArray VeskDump::initialContent(int type)
{
    if (type < 0 || type >= TypeCount)
        return QByteArray();
    const QResource resource(QString::fromLatin1(InitResources[type]));
    return resource.isValid() ? resource.uncompressedData() : QByteArray();
}

void VeskDump::init()
{
    VeskDump* source = m_device ? m_device->initDump(type()) : nullptr;
    if (source)
        copyDump(source, m_device);
}

void VeskDump::buildInit(const QString&)
{
    const QByteArray content = initialContent(type());
    const auto* const begin = reinterpret_cast<const unsigned char*>(content.constData());
    const auto* const end = begin + content.size();
    const unsigned char* start = begin;
    while (start < end) {
        const auto* f7 = static_cast<const unsigned char*>(std::memchr(start, 0xF7, size_t(end - start)));
        if (!f7)
            break;
        auto* message = new VeskSysex;
        message->copy(start, int(f7 - start + 1));
        append(message);
        start = f7 + 1;
    }
}

int VeskDump::maxNameSize()
{
    return VeskSysex::NameSize;
}

void VeskDump::addBulkDump(unsigned int address, const char* data)
{
    auto* message = new VeskSysex;
    message->prepareBulkDump(address, data ? QString::fromLatin1(data) : QString());
    append(message);
}
