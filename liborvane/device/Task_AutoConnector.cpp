#include "Task_AutoConnector.h"

#include "MidiDevice.h"
#include "MidiPort.h"
#include "PortInfo.h"
#include "VarArgs.h"

namespace {
const QString FailedText = QStringLiteral("Connection failed");
} // namespace

Task_AutoConnector::Task_AutoConnector() : Task(QStringLiteral("Task_AutoConnector")) {}

Task_AutoConnector::~Task_AutoConnector()
{
    stop();
}

bool Task_AutoConnector::connect(MidiDevice* device)
{
    // A second search would delete the ports the running one is sending on and
    // listening to.
    if (!device || isRunning())
        return false;

    const bool anyDestination = InitMidiPorts();
    m_device = device;
    m_dropResult = false;
    {
        QMutexLocker lock(&m_namesLock);
        m_inName.clear();
        m_outName.clear();
    }
    m_ins.clear();
    m_outs.clear();

    // Without a destination nothing can be asked, and the ports the device
    // has now are left open; the search still ends visibly, as failed.
    if (anyDestination) {
        device->disconnect();
        // Every source reports to the device, so an answer is recognised
        // whichever cable it comes back on. A port that does not open stays
        // listed: it simply hears nothing.
        for (const PortInfo& info : MidiInPorts) {
            auto in = std::make_unique<MidiInPort>(device);
            in->setName(info.name);
            in->open();
            m_ins.push_back(std::move(in));
        }
        for (const PortInfo& info : MidiOutPorts) {
            auto out = std::make_unique<MidiOutPort>();
            out->setName(info.name);
            out->open();
            m_outs.push_back(std::move(out));
        }
    }

    if (start(QStringLiteral("Autoconnect"), int(m_outs.size()), 0))
        return true;
    m_ins.clear();
    m_outs.clear();
    return false;
}

void Task_AutoConnector::stop()
{
    if (!isRunning())
        return;
    m_dropResult = true;
    safeTerminate();
}

bool Task_AutoConnector::found() const
{
    QMutexLocker lock(&m_namesLock);
    return !m_inName.isEmpty() && !m_outName.isEmpty();
}

QString Task_AutoConnector::inName() const
{
    QMutexLocker lock(&m_namesLock);
    return m_inName;
}

QString Task_AutoConnector::outName() const
{
    QMutexLocker lock(&m_namesLock);
    return m_outName;
}

void Task_AutoConnector::run()
{
    if (!m_device)
        return;
    const int timeout = m_timeout;
    // The destinations in the system's order; the first that answers wins and
    // the later ones are not asked.
    for (const auto& out : m_outs) {
        if (wasCanceled())
            return;
        message(VarArgs::format("Trying %s...", out->name()));
        // Null when no accepted answer came in time, or when another request
        // of the device was waiting already.
        if (MidiInPort* in = m_device->syncIdRequest(out.get(), timeout)) {
            QMutexLocker lock(&m_namesLock);
            m_inName = in->name();
            m_outName = out->name();
            return;
        }
        step();
    }
}

void Task_AutoConnector::finished()
{
    // run() has returned: nothing sends on or listens to the trial ports any
    // more, and the device's own ports may open the same endpoints again.
    m_ins.clear();
    m_outs.clear();

    // Stopped by the program (the device goes): there is nobody to tell.
    if (m_dropResult) {
        abort(QString());
        return;
    }
    if (!m_device || !found()) {
        abort(FailedText);
        return;
    }
    // The model is the one the accepted answer named.
    complete(VarArgs::format("%s connected!", m_device->model()));
    m_device->setPorts(inName(), outName());
}

// --- the device's side ---------------------------------------------------------

void MidiDevice::autoConnect()
{
    m_autoConnector->connect(this);
    // The search looked for a MIDI system first: the windows say whether
    // there is one now, even when it found no port to try.
    notifyClients();
}

bool MidiDevice::isAutoConnecting() const
{
    return m_autoConnector->isRunning();
}
