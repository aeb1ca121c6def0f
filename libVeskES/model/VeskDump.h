// The instrument's patch dumps: one class per kind of patch.
//
// A dump is the ordered list of bulk dump messages that make up a patch's
// blocks in the instrument's memory (the framework's PatchDump). The name is
// data 0-9 and the category data 12 (main) and 13 (sub) of the first message,
// which is the common block in every dump we build or receive.
//
// Dumps are made empty by the device (Vesk::createPatchDump) and filled by a
// transfer, a library document or init(). A dump is used by one thread at a
// time; the device's own init dumps are only read after construction.
#pragma once

#include "PatchDump.h"

class Vesk;

class VeskDump : public PatchDump
{
public:
    // Dump types; the same numbers select edit buffers and init dumps.
    enum Type
    {
        TypeVoice = 0,
        TypeDrum = 1,
        TypePLG = 2,
        TypePerformance = 3,
        TypeMix = 4,
        TypeMaster = 5,
        TypeCount = 6
    };

    explicit VeskDump(Vesk* device) : m_device(device) {}
    ~VeskDump() override = default;

    Vesk* device() const { return m_device; }

    // A copy of the device's init dump of this type; the comment stays.
    void init() override;
    // Appends the initial content of this type for the named model.
    void buildInit(const QString& model) override;
    int maxNameSize() override;

    // Appends a bulk dump of the hex-text data at the address.
    void addBulkDump(unsigned int address, const char* data);

protected:
    // The stored initial content ("Vesk ES" layout) of this type: the raw
    // bulk dump messages, or empty when the resource is missing.
    static QByteArray initialContent(int type);

    Vesk* const m_device; // not owned
};

class VoiceDump : public VeskDump
{
public:
    explicit VoiceDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypeVoice; }
    int iconIndex() override { return 3; }
};

class DrumDump : public VeskDump
{
public:
    explicit DrumDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypeDrum; }
    int iconIndex() override { return 4; }
};

class PLGDump : public VeskDump
{
public:
    explicit PLGDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypePLG; }
    int iconIndex() override { return 5; }
};

class PerformanceDump : public VeskDump
{
public:
    explicit PerformanceDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypePerformance; }
    int iconIndex() override { return 6; }
};

class MixDump : public VeskDump
{
public:
    explicit MixDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypeMix; }
    int iconIndex() override { return 7; }
};

class MasterDump : public VeskDump
{
public:
    explicit MasterDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypeMaster; }
    int iconIndex() override { return 8; }
};
