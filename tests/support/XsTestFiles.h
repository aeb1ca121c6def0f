// Byte builders and archive helpers shared by the XS-family file tests.
#pragma once

#include "Archive.h"
#include "Buffer.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// The two model names of the family the tests write most.
inline const QString XS = QStringLiteral("Vesk XS");
inline const QString XF = QStringLiteral("Vesk XF");

namespace XsTest {

inline QByteArray be32(quint32 v)
{
    const char bytes[] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(bytes, 4);
}

// A zero-filled text field of n bytes.
inline QByteArray field(const QByteArray& text, int n)
{
    return text.left(n).leftJustified(n, '\0');
}

// Whatever write puts into a fresh memory archive.
inline QByteArray written(const std::function<void(Archive&)>& write)
{
    Buffer out;
    {
        Archive archive(out);
        write(archive);
    }
    return out.bytes();
}

// A read-only archive over bytes that it keeps alive.
struct Reader
{
    explicit Reader(const QByteArray& bytes)
    {
        buffer.setBytes(bytes);
        archive.openBuffer(static_cast<const Buffer&>(buffer));
    }
    Buffer buffer;
    Archive archive;
};

// One chunk of a hand-made container file: its tag and raw items (each a
// mark, a 32-bit length and the bytes).
struct Chunk
{
    QByteArray tag;
    QList<QByteArray> items;
    QByteArray mark = "Entr";
    int count = -1; // the stored item count; -1: the number of items

    QByteArray bytes() const
    {
        QByteArray body = be32(quint32(count < 0 ? items.size() : count));
        for (const QByteArray& item : items)
            body += mark + be32(quint32(item.size())) + item;
        return field(tag, 4) + be32(quint32(body.size())) + body;
    }
};

// A container file whose catalogue lists the chunks in catalogueOrder
// (indexes into bodies) while their bodies follow in the order given.
inline QByteArray containerFile(const QList<Chunk>& bodies, QList<int> catalogueOrder = {},
                                const QByteArray& version = "1.0.0")
{
    if (catalogueOrder.isEmpty()) {
        for (int i = 0; i < bodies.size(); ++i)
            catalogueOrder.append(i);
    }
    QByteArray header = field("VESK-VSFC", 16) + field(version, 16) + be32(quint32(8 * catalogueOrder.size())) +
                        QByteArray(28, char(0xFF));
    QList<quint32> offsets;
    quint32 at = quint32(header.size() + 8 * catalogueOrder.size());
    QByteArray chunks;
    for (const Chunk& chunk : bodies) {
        offsets.append(at);
        const QByteArray bytes = chunk.bytes();
        chunks += bytes;
        at += quint32(bytes.size());
    }
    for (int i : catalogueOrder)
        header += field(bodies.at(i).tag, 4) + be32(offsets.at(i));
    return header + chunks;
}

} // namespace XsTest
