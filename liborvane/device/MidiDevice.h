// One MIDI instrument as the programs see it.
#pragma once

#include <QObject>
#include <QString>

class Sysex;

class MidiDevice : public QObject
{
    Q_OBJECT

public:
    // name: the device name; delay: default pause in milliseconds after each
    // transmitted message.
    MidiDevice(const QString& name, int delay);
    ~MidiDevice() override;

    QString name() const { return m_name; }

    // A new, empty message of the instrument's own kind, owned by the caller.
    // The generic device knows no message layout and gives null.
    virtual Sysex* createSysex();
    // Address of the index-th instance of an indexed parameter; the generic
    // device has none.
    virtual unsigned int getIndexedAddress(unsigned int base, int index);

protected:
    QString m_name;
    int m_delay = 0;
};
