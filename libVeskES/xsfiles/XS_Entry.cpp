// The catalogue record: see XS_Entry.h.
#include "XS_Entry.h"

#include "Archive.h"
#include "VarArgs.h"

bool XS_Entry::HasFilter(const QString& model)
{
    return model == QLatin1String("Vesk XF");
}

bool XS_Entry::toArchive(const QString& model, Archive& archive) const
{
    archive.willPutSize();
    archive.writeUINT(owner);
    archive.writeUINT(data_size);
    archive.writeUINT(time);
    archive.writeUINT(data_offset);
    archive.writeUINT(content_number);
    if (HasFilter(model))
        archive.writeBYTE(filter);
    archive.writeBYTE(favorite);
    archive << content_name << filename;
    for (const QString& name : rel_filenames)
        archive << name;
    archive.putSize();
    return archive.ok();
}

void XS_Entry::fromArchive(const QString& model, Archive& archive)
{
    const quint32 size = archive.readUINT();
    const qint64 end = archive.pos() + size;
    owner = archive.readUINT();
    data_size = archive.readUINT();
    time = archive.readUINT();
    data_offset = archive.readUINT();
    content_number = archive.readUINT();
    if (HasFilter(model))
        filter = quint8(archive.readBYTE());
    favorite = quint8(archive.readBYTE());
    archive >> content_name >> filename;
    // A failed read moves the archive to its end, so this always stops.
    while (!archive.reached(end)) {
        QString name;
        archive >> name;
        if (archive.failed())
            break;
        rel_filenames.append(name);
    }
}

QString XS_Entry::toString() const
{
    QString text;
    text += VarArgs::format(QStringLiteral("owner: %08X\n"), owner);
    text += VarArgs::format(QStringLiteral("data_size: %d\n"), data_size);
    text += VarArgs::format(QStringLiteral("time: %08X\n"), time);
    text += VarArgs::format(QStringLiteral("data_offset: %08X = %d\n"), data_offset, data_offset);
    text += VarArgs::format(QStringLiteral("content_number: %d (%06X)\n"), content_number, content_number);
    text += VarArgs::format(QStringLiteral("filter: %b\n"), int(filter));
    text += VarArgs::format(QStringLiteral("favorite: %b\n"), int(favorite));
    text += VarArgs::format(QStringLiteral("content_name: %s\n"), content_name);
    text += VarArgs::format(QStringLiteral("filename: %s\n"), filename);
    text += VarArgs::format(QStringLiteral("rel_filenames: %s\n"), rel_filenames.join(QLatin1Char(',')));
    return text;
}
