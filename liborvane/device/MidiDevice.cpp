// The device object: construction and teardown with its settings, the client
// registry, the tables and documents, the part mixer and the inert bases of
// the instrument's hooks. The traffic lives in MidiDeviceIo.cpp.
#include "MidiDevice.h"

#include "MidiClient.h"
#include "Paths.h"
#include "Profile.h"
#include "Sysex.h"
#include "SysexSignal.h"
#include "Task_AutoConnector.h"
#include "Task_Poller.h"
#include "VarArgs.h"

namespace {
// The ports in the order their names are read from and written to the profile.
const char* const PortKeys[] = {"MidiIn", "MidiOut", "MidiIn2", "MidiOut2", "AuxIn", "AuxOut"};

int clampDeviceId(int id)
{
    Limit(id, 0, 15);
    return id;
}
} // namespace

MidiDevice::MidiDevice(const QString& name, int delay)
    : m_name(name), m_originalName(name), m_midiIn(this), m_midiIn2(this), m_auxIn(this),
      m_autoConnector(std::make_unique<Task_AutoConnector>()), m_poller(std::make_unique<Task_Poller>()),
      m_signal(std::make_unique<SysexSignal>(this, 10))
{
    loadIni(QStringLiteral(":/orvane/data/data.ini"));

    MidiPort* ports[] = {&m_midiIn, &m_midiOut, &m_midiIn2, &m_midiOut2, &m_auxIn, &m_auxOut};
    for (int i = 0; i < 6; ++i)
        ports[i]->fromRegistry(QString::fromLatin1(PortKeys[i]));

    m_delay = Profile::readProfileInt(QString(), QStringLiteral("Delay"), delay);
    // A hand-edited profile must not put a number above 15 into the low nibble
    // of a message byte.
    m_deviceId = clampDeviceId(Profile::readProfileInt(QString(), QStringLiteral("DeviceId"), 0));

    // A definition file loaded in an earlier run comes back, and names the
    // device (and so its data folder) after its model.
    const QString insModel =
        Profile::readProfileString(QStringLiteral("MidiDevice"), QStringLiteral("InsModel"));
    const QString insFile =
        Profile::readProfileString(QStringLiteral("MidiDevice"), QStringLiteral("InsFile"));
    loadInsFile(insFile, insModel);

    m_dataFolder = CreatePath(GetTamselFolder(), VarArgs::format("CMidiDevice/%s", SafeFolderName(m_name)));

    for (int i = 0; i < 16; ++i)
        m_parts.addPart();
}

void MidiDevice::shutdown()
{
    // The clients first: the disconnect below must not send their windows to
    // OnConnect with a device that is going.
    {
        QMutexLocker lock(&m_clientsLock);
        m_clients.clear();
    }
    // A search still running is ended without handing its result over: its
    // trial ports report to this device.
    m_autoConnector->stop();
    disconnect();
    // disconnect() skips the ports the instrument says it does not use, and
    // from the base destructor that is all secondary ports and the keyboard
    // output, whatever the instrument opened. None of them may call into a
    // device that is going.
    m_midiIn2.close();
    m_midiOut2.close();
    m_auxOut.close();
}

MidiDevice::~MidiDevice()
{
    // Lets go of the clients, then ends the traffic; an instrument class has
    // done so already.
    shutdown();

    MidiPort* ports[] = {&m_midiIn, &m_midiOut, &m_midiIn2, &m_midiOut2, &m_auxIn, &m_auxOut};
    for (int i = 0; i < 6; ++i)
        ports[i]->toRegistry(QString::fromLatin1(PortKeys[i]));
    Profile::writeProfileInt(QString(), QStringLiteral("Delay"), m_delay);
    Profile::writeProfileInt(QString(), QStringLiteral("DeviceId"), m_deviceId);

    // The poll's job reads the device: make sure it is over before the members
    // go.
    m_poller->safeTerminate();
}

// --- state and settings ------------------------------------------------------

QString MidiDevice::model() const
{
    QMutexLocker lock(&m_modelLock);
    return m_model;
}

void MidiDevice::setModel(const QString& model)
{
    QMutexLocker lock(&m_modelLock);
    m_model = model;
}

bool MidiDevice::hasPorts() const
{
    return m_midiIn.hasName() && m_midiOut.hasName();
}

void MidiDevice::setDeviceId(int id)
{
    m_deviceId = clampDeviceId(id);
}

void MidiDevice::setDelay(int ms)
{
    m_delay = ms < 0 ? 0 : ms;
}

QString MidiDevice::connectionStatus() const
{
    if (!isConnected())
        return QStringLiteral("Not connected");
    return VarArgs::format("%s connected", model());
}

// --- clients -----------------------------------------------------------------

void MidiDevice::addClient(MidiClient* client)
{
    QMutexLocker lock(&m_clientsLock);
    if (client && !m_clients.contains(client))
        m_clients.append(client);
}

void MidiDevice::removeClient(MidiClient* client)
{
    QMutexLocker lock(&m_clientsLock);
    m_clients.removeOne(client);
}

int MidiDevice::clientCount() const
{
    QMutexLocker lock(&m_clientsLock);
    return int(m_clients.size());
}

bool MidiDevice::hasClient(MidiClient* client) const
{
    QMutexLocker lock(&m_clientsLock);
    return m_clients.contains(client);
}

QList<MidiClient*> MidiDevice::clients() const
{
    QMutexLocker lock(&m_clientsLock);
    return m_clients;
}

// The walks below go over a copy of the list, but a client's hook may close
// another window (and so destroy that client) before its turn: each client is
// looked up again right before it is called.

void MidiDevice::OnMidiMessage(const MidiMessage& message, MidiSource source)
{
    for (MidiClient* client : clients()) {
        if (hasClient(client))
            client->OnMidiMessage(message, source);
    }
}

void MidiDevice::OnSysex(Sysex* message, MidiSource source)
{
    for (MidiClient* client : clients()) {
        if (hasClient(client))
            client->OnSysex(message, source);
    }
}

void MidiDevice::OnPatchChange(Patch patch, MidiSource source)
{
    for (MidiClient* client : clients()) {
        if (hasClient(client))
            client->OnPatchChange(patch, source);
    }
}

void MidiDevice::notifyClients()
{
    for (MidiClient* client : clients()) {
        if (hasClient(client))
            client->PostConnect();
    }
}

// --- part mixer --------------------------------------------------------------

Part* MidiDevice::mixPart(int part)
{
    return m_parts.part(part);
}

void MidiDevice::mutePart(int part, bool mute)
{
    Part* record = mixPart(part);
    if (!record)
        return;
    record->muted = mute;
    setPartVolume(part, mute ? 0 : record->volume);
}

void MidiDevice::applySoloMute()
{
    bool soloMode = false;
    for (int i = 0; i < m_parts.size() && !soloMode; ++i)
        soloMode = m_parts.part(i)->solo;
    // The list is walked as it stands: the instrument may have appended parts
    // of its own.
    for (int i = 0; i < m_parts.size(); ++i) {
        const Part* record = m_parts.part(i);
        mutePart(i, record->mute || (soloMode && !record->solo));
    }
}

void MidiDevice::cancelSoloMute()
{
    for (int i = 0; i < m_parts.size(); ++i)
        mutePart(i, false);
}

// --- tables and documents ----------------------------------------------------

void MidiDevice::loadIni(const QString& resource)
{
    m_ini.loadResource(resource);
}

void MidiDevice::loadXml(const QString& resource)
{
    m_xml.loadResource(resource);
}

DeviceTable* MidiDevice::getTable(const QString& spec) const
{
    return m_tables.value(spec, nullptr);
}

void MidiDevice::addTable(const QString& spec, DeviceTable* table)
{
    // Map::add keeps a table that is stored under spec already.
    m_tables.add(spec, table);
}

DeviceTable* MidiDevice::createTable(const QString& spec)
{
    DeviceTable* table = getTable(spec);
    if (!table) {
        table = new DeviceTable(this, spec);
        addTable(spec, table);
    }
    return table;
}

// --- synchronous requests ----------------------------------------------------

MidiInPort* MidiDevice::syncIdRequest(MidiOutPort* out, int timeoutMs)
{
    return m_signal->requestId(out, timeoutMs);
}

bool MidiDevice::syncBulkRequest(unsigned int address, BulkDump& target, int timeoutMs)
{
    return m_signal->requestBulkDump(address, target, timeoutMs);
}

int MidiDevice::syncParamRequest(MidiParam param, int timeoutMs)
{
    return m_signal->requestParameter(param, timeoutMs);
}

// --- inert bases of the instrument's hooks -----------------------------------

void MidiDevice::patchChangeByType(int) {}
void MidiDevice::bulkRequest(unsigned int) {}
void MidiDevice::patchRequest(Patch, bool) {}
bool MidiDevice::syncPatchRequest(Patch, BulkDump&, bool)
{
    return false;
}
bool MidiDevice::syncEditBufferRequest(int, BulkDump&, int)
{
    return false;
}
void MidiDevice::bulkTransmit(unsigned int, BulkDump*) {}
void MidiDevice::patchTransmit(Patch, BulkDump*, bool) {}
void MidiDevice::toEditBuffer(PatchDump*) {}
void MidiDevice::strip(BulkDump*) {}
bool MidiDevice::checkId(Sysex*)
{
    return false;
}
Sysex* MidiDevice::createSysex()
{
    return nullptr;
}
void MidiDevice::setMode(int) {}
void MidiDevice::setModeByType(int) {}
void MidiDevice::setModeByBank(unsigned short) {}
bool MidiDevice::isUserBank(unsigned short)
{
    return false;
}
int MidiDevice::bankType(unsigned short)
{
    return -1;
}
QString MidiDevice::bankTypeName(int)
{
    return QString();
}
PatchDump* MidiDevice::createPatchDump(int)
{
    return nullptr;
}
unsigned int MidiDevice::getIndexedAddress(unsigned int, int)
{
    return 0xFFFFFFFF;
}
void MidiDevice::storeAllPatches() {}
void MidiDevice::storePatch(Patch) {}
void MidiDevice::storeGlobal() {}
bool MidiDevice::hasKeyboard()
{
    return true;
}
bool MidiDevice::hasDeviceId()
{
    return false;
}
bool MidiDevice::hasSecondaryPorts()
{
    return false;
}
void MidiDevice::setSecondaryPorts() {}
