// The bulk dump of one patch as the library and the editors handle it.
#pragma once

#include "BulkDump.h"
#include "Containers.h"
#include "Patch.h"

#include <QPoint>
#include <QString>

class QWidget;
class UserPatchList;

// From an address of one model's layout to the address that holds the same
// data in another model's layout.
class AddressMap : public Map<unsigned int, unsigned int>
{
};

// A BulkDump of one patch (a voice, a drum kit, a performance...: the
// instrument defines the kinds) plus a free comment. The name and the category
// are no fields: they travel inside the message data, the name in the first
// message's data bytes 0 to maxNameSize() - 1, blank-padded.
//
// The instrument derives one class per kind and supplies the kind number, its
// initial content, the name length and the category handling; the defaults
// here suit a kind without categories.
//
// Stored form inside library documents: the bulk dump's stored form, then the
// comment. There is no version number and no name or category field.
class PatchDump : public BulkDump
{
public:
    PatchDump() = default;
    ~PatchDump() override = default;

    using BulkDump::fromArchive;

    // Every refill through the bulk operations empties the comment.
    void onClear() override;
    // The bulk part, then the comment.
    void toArchive(Archive& ar) override;
    // The bulk copy; this dump's own comment stays.
    void copyDump(BulkDump* src, MidiDevice* dev) override;

    // Replaces the content with the instrument's initial dump of this kind for
    // the device's model; the comment stays.
    virtual void init() = 0;
    // Appends the initial dump of this kind for the named model.
    virtual void buildInit(const QString& model) = 0;
    // The kind number, in the instrument's numbering.
    virtual int type() = 0;
    virtual int iconIndex();
    // The name from the first message, trailing blanks removed; "(empty)" when
    // the dump holds no name. With withCategory and a category: "category:name".
    virtual QString name(bool withCategory);
    // Writes the name into the first message, cut or blank-padded to
    // maxNameSize() characters; a character outside Latin-1 becomes 0.
    virtual void setName(const QString& text);
    virtual int maxNameSize() = 0;
    // The device table that lists the categories.
    virtual QString categorySection();
    virtual bool hasCategory();
    virtual int getCategoryData();
    virtual QString printCategory(bool full);
    virtual bool setCategory(const QString& category);
    // Lets the user pick a category from a menu at the point; the generic dump
    // has none to offer.
    virtual bool selectCategory(QWidget* parent, QPoint at);
    // Reads the stored form. model is the device name the dump was stored
    // under: a dump of another model than the device's own (the name it was
    // built with, MidiDevice::originalName) is translated into the layout of
    // the device's model. False when the stream is short or damaged (the dump is
    // then empty) or when a translation found nothing to copy (the dump then
    // holds the initial content and the stored comment).
    virtual bool fromArchive(Archive& ar, MidiDevice* dev, const QString& model);
    // Rebuilds the dump from the initial content and copies into every message
    // the data of the old message with the same address; map, when given,
    // leads from a new address to the old one. True when at least one message
    // was copied; an empty dump stays empty and gives true.
    virtual bool translateDump(MidiDevice* dev, AddressMap* map);
    // Dumps that refer to user patches of the device add them to the list.
    virtual void getUserPatches(UserPatchList* list);
    // Dumps that refer to patches replace references to from by to.
    virtual void reindexPatch(Patch from, Patch to);

    QString comment() const { return m_comment; }
    void setComment(const QString& comment) { m_comment = comment; }

    // copyDump, then src's comment too: an exact copy.
    void copyPatchDump(PatchDump* src, MidiDevice* dev);
    // Spreads data over the data regions of the existing messages in order
    // (masked to 7 bits, checksums updated) and empties the comment; the
    // inverse of toDataBuffer. False, with the dump unchanged, when data is
    // null or holds fewer than getRidevDataSize() bytes.
    bool fromDataBuffer(const Buffer* data);

private:
    QString m_comment;
};
