// The instrument's patch dumps: one class per kind of patch.
//
// A dump is the ordered list of bulk dump messages that make up a patch's
// blocks in the instrument's memory (the framework's PatchDump). The name is
// data 0-9 and the category data 12 (main) and 13 (sub) of the first message,
// which is the common block in every dump we build or receive; the category
// value is main * 128 + sub. Performances, mixes and masters refer to other
// patches by three data bytes (bank MSB, bank LSB, program).
//
// Dumps are made empty by the device (Vesk::createPatchDump) and filled by a
// transfer, a library document or init(). A dump is used by one thread at a
// time; the device's own init dumps are only read after construction. Queries
// on a dump that lacks the bytes they need answer -1 or ""; changes to it are
// skipped and reported as false.
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
    // Appends the initial content of this type for the named model; the
    // device's own model is "Vesk ES".
    void buildInit(const QString& model) override;
    int maxNameSize() override;

    bool hasCategory() override { return true; }
    // main * 128 + sub of the first message; -1 without a category.
    int getCategoryData() override;
    // The short name ("Ap"), or with full the full name ("Ap:E.GRAND", the
    // short name when the pair has none); "" without a category.
    QString printCategory(bool full) override;
    // Stores the category whose full name is category ("Ba:E.BASS", "--");
    // false when no entry has that name or the dump cannot hold a category.
    bool setCategory(const QString& category) override;
    // Lets the user pick from the category menu at pos and stores the pick;
    // false when the menu was closed or nothing could be stored.
    bool selectCategory(QWidget* parent, QPoint pos) override;
    // Adds the user patches this dump uses, each once.
    void getUserPatches(UserPatchList* list) override;
    // Points every reference to from at to, renewing the checksums.
    void reindexPatch(Patch from, Patch to) override;

    // Stores a category value in the first message; nothing for a dump that
    // cannot hold one.
    void setCategoryData(int value);
    // Appends a bulk dump of the hex-text data ("00 40 40") at the address.
    void addBulkDump(unsigned int address, const char* data);

protected:
    // Where the dump names another patch: a message and the data position of
    // the bank MSB, LSB and program that follow.
    struct PatchReference
    {
        Sysex* message;
        int pos;
    };
    // The references this type keeps, in their order; none by default.
    virtual QList<PatchReference> patchReferences() { return {}; }
    // The part blocks of a performance or mix: count parts from base, then
    // the three PLG parts from plgBase; with useSwitch, only the parts whose
    // use switch (bit 0 of data 31) is on.
    QList<PatchReference> partReferences(unsigned int base, int count, unsigned int plgBase, bool useSwitch);

    Vesk* const m_device; // not owned

private:
    // The first message holds the category bytes.
    bool holdsCategory();
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

// Uses the voices of its four parts and three PLG parts that are switched on.
class PerformanceDump : public VeskDump
{
public:
    explicit PerformanceDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypePerformance; }
    int iconIndex() override { return 6; }

protected:
    QList<PatchReference> patchReferences() override;
};

// Uses the voices of its sixteen parts and three PLG parts; no category.
class MixDump : public VeskDump
{
public:
    explicit MixDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypeMix; }
    int iconIndex() override { return 7; }
    bool hasCategory() override { return false; }

protected:
    QList<PatchReference> patchReferences() override;
};

// Uses the patch its common block names (data 14-16); no category.
class MasterDump : public VeskDump
{
public:
    explicit MasterDump(Vesk* device) : VeskDump(device) {}
    int type() override { return TypeMaster; }
    int iconIndex() override { return 8; }
    bool hasCategory() override { return false; }

protected:
    QList<PatchReference> patchReferences() override;
};
