// The VSFC container and its catalogue entries, on files built byte by byte.
#include "TestEnvironment.h"
#include "XS_Document.h"
#include "XS_Entry.h"
#include "XsTestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace XsTest;

namespace {

QByteArray stored(XS_Document& doc)
{
    return written([&doc](Archive& archive) { QVERIFY(doc.storeDocument(archive)); });
}

bool load(XS_Document& doc, const QByteArray& bytes)
{
    Reader in(bytes);
    return doc.loadDocument(in.archive);
}

QStringList tags(const XS_Document& doc)
{
    QStringList list;
    for (const XS_Chunk* chunk : doc.chunks())
        list.append(chunk->tag);
    return list;
}

QList<QByteArray> items(const XS_Document& doc, const QString& tag)
{
    QList<QByteArray> list;
    if (const XS_Chunk* chunk = doc.getChunk(tag)) {
        for (const XS_Item* item : chunk->items)
            list.append(item->data.bytes());
    }
    return list;
}

XS_Entry sampleEntry()
{
    XS_Entry e;
    e.owner = 0x01020304;
    e.data_size = 1000;
    e.time = 0xA0B0C0D0;
    e.data_offset = 12;
    e.content_number = 0x3F0805;
    e.filter = 1;
    e.favorite = 1;
    e.content_name = QStringLiteral("17:33:Grand");
    e.filename = QStringLiteral("3F0805-Voice.vce");
    e.rel_filenames = QStringList{QStringLiteral("0001-Waveform.wfm"), QStringLiteral("0002-Waveform.wfm")};
    return e;
}

} // namespace

class TestContainer : public QObject
{
    Q_OBJECT

private slots:
    void newDocumentChunksAndVersion_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("model");
        const QStringList waves{"EWFM", "EWIM", "DWFM", "DWIM"};
        const QStringList all = waves + QStringList{"EVCE", "DVCE"};
        QTest::newRow("0") << 0 << all << "1.0.0" << "Vesk XS";
        QTest::newRow("2") << 2 << waves << "1.0.0" << "Vesk XS";
        QTest::newRow("4") << 4 << waves << "3.0.0" << "V90 XS";
        QTest::newRow("7") << 7 << all << "1.0.2" << "Vesk XF";
        QTest::newRow("8") << 8 << waves << "1.0.2" << "Vesk XF";
        QTest::newRow("9") << 9 << waves << "" << "";
    }

    void newDocumentChunksAndVersion()
    {
        QFETCH(int, type);
        QFETCH(QStringList, tags);
        QFETCH(QString, version);
        QFETCH(QString, model);
        XS_Document doc;
        doc.newDocument(type);
        QCOMPARE(::tags(doc), tags);
        QCOMPARE(doc.version(), version);
        QCOMPARE(doc.model(), model);
        QCOMPARE(doc.type(), type);
    }

    void versionVocabulary()
    {
        QCOMPARE(XS_Document::ModelOfVersion(QStringLiteral("1.0.1")), QStringLiteral("Vesk XS"));
        QCOMPARE(XS_Document::ModelOfVersion(QStringLiteral("2.0.0")), QStringLiteral("Vesk Rack XS"));
        QCOMPARE(XS_Document::VersionOfModel(QStringLiteral("Vesk Rack XS")), QStringLiteral("2.0.0"));
        QCOMPARE(XS_Document::ModelOfVersion(QStringLiteral("1.0")), QString());
        QCOMPARE(XS_Document::VersionOfModel(QStringLiteral("vesk xs")), QString());
    }

    // The header and catalogue of an empty six-chunk file, byte for byte.
    void emptyDocumentBytes()
    {
        XS_Document doc;
        doc.newDocument(0);
        const QByteArray bytes = stored(doc);
        QByteArray expected = field("VESK-VSFC", 16) + field("1.0.0", 16) + be32(48) + QByteArray(28, char(0xFF));
        const char* order[] = {"EWFM", "EWIM", "DWFM", "DWIM", "EVCE", "DVCE"};
        for (int i = 0; i < 6; ++i)
            expected += QByteArray(order[i]) + be32(quint32(112 + 12 * i));
        for (const char* tag : order)
            expected += QByteArray(tag) + be32(4) + be32(0);
        QCOMPARE(bytes.toHex(' '), expected.toHex(' '));
        QCOMPARE(doc.getChunk(QStringLiteral("DVCE"))->filePos, 172u);

        XS_Document again;
        QVERIFY(load(again, bytes));
        QCOMPARE(tags(again), tags(doc));
        QCOMPARE(again.catalogueSize(), 48u);
    }

    // Raw items in entry and data chunks come back byte for byte, marks by
    // chunk kind; an unknown version is kept and written back unchanged.
    void rawItemsRoundTrip()
    {
        const QByteArray file = containerFile(
            {Chunk{"EVCE", {"abc", ""}}, Chunk{"DVCE", {QByteArray(300, 'x')}, "Data"}, Chunk{"XTRA", {}}},
            {}, "1.0.1");
        XS_Document doc;
        QVERIFY(load(doc, file));
        QCOMPARE(doc.model(), QStringLiteral("Vesk XS"));
        QCOMPARE(items(doc, QStringLiteral("EVCE")), (QList<QByteArray>{"abc", ""}));
        QCOMPARE(doc.getChunk(QStringLiteral("DVCE"))->itemCount, 1u);
        QCOMPARE(stored(doc).toHex(' '), file.toHex(' '));

        // Through a file, whose catalogue is patched after the chunks.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("all.x0a"));
        QVERIFY(doc.storeFile(path));
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll().toHex(' '), file.toHex(' '));
        XS_Document fromFile;
        QVERIFY(fromFile.loadFile(path));
        QCOMPARE(items(fromFile, QStringLiteral("DVCE")), QList<QByteArray>{QByteArray(300, 'x')});
    }

    void emptyContainerRoundTrip()
    {
        XS_Document doc;
        doc.setType(6);
        const QByteArray bytes = stored(doc);
        QCOMPARE(bytes.size(), 64);
        XS_Document again;
        QVERIFY(load(again, bytes));
        QVERIFY(again.chunks().isEmpty());
        QCOMPARE(again.version(), QStringLiteral("1.0.2"));
    }

    // Each chunk is read from the offset its catalogue entry gives: a file
    // whose bodies are in another order than its catalogue loads the same,
    // also into a document that had its chunks in yet another order.
    void chunksAreReadAtTheirCatalogueOffsets()
    {
        const QList<Chunk> bodies{Chunk{"DWIM", {"samples"}, "Data"}, Chunk{"EVCE", {"voice 1", "voice 2"}},
                                  Chunk{"EWFM", {}}, Chunk{"DVCE", {"data 1"}, "Data"}};
        const QByteArray file = containerFile(bodies, {1, 3, 2, 0});
        XS_Document doc;
        doc.newDocument(0);
        QVERIFY(load(doc, file));
        QCOMPARE(tags(doc), (QStringList{"EVCE", "DVCE", "EWFM", "DWIM"}));
        QCOMPARE(items(doc, QStringLiteral("EVCE")), (QList<QByteArray>{"voice 1", "voice 2"}));
        QCOMPARE(items(doc, QStringLiteral("DVCE")), QList<QByteArray>{"data 1"});
        QCOMPARE(items(doc, QStringLiteral("DWIM")), QList<QByteArray>{"samples"});
        QVERIFY(items(doc, QStringLiteral("EWFM")).isEmpty());
    }

    void duplicateTagGivesOneChunk()
    {
        QByteArray file = containerFile({Chunk{"EVCE", {"one"}}, Chunk{"EVCX", {"two"}}});
        file.replace(64 + 8, 4, "EVCE"); // the second entry names the first tag
        file.replace(file.indexOf("EVCX"), 4, "EVCE");
        XS_Document doc;
        QVERIFY(load(doc, file));
        QCOMPARE(tags(doc), QStringList{"EVCE"});
        QCOMPARE(items(doc, QStringLiteral("EVCE")), QList<QByteArray>{"two"});
    }

    // The marks are not tied to the chunk kind on reading, and a file that
    // ends right after a whole item ends its last chunk there.
    void lenientReading()
    {
        XS_Document doc;
        QVERIFY(load(doc, containerFile({Chunk{"EWFM", {"e"}, "Data"}})));
        QCOMPARE(items(doc, QStringLiteral("EWFM")), QList<QByteArray>{"e"});

        QVERIFY(load(doc, containerFile({Chunk{"EWFM", {"a"}}, Chunk{"DWFM", {"b", "c"}, "Data", 5}})));
        QCOMPARE(doc.getChunk(QStringLiteral("DWFM"))->itemCount, 5u);
        QCOMPARE(items(doc, QStringLiteral("DWFM")), (QList<QByteArray>{"b", "c"}));
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        const QByteArray good = containerFile({Chunk{"EVCE", {"abc"}}, Chunk{"DVCE", {"defg"}, "Data"}});
        const int secondOffset = 64 + 8 + 4;
        auto patched = [&good](int at, const QByteArray& bytes) { return QByteArray(good).replace(at, bytes.size(), bytes); };
        const int firstMark = 64 + 16 + 12;

        QTest::newRow("magic") << patched(0, "VESK-VSFD") << "Unknown format";
        QTest::newRow("mark") << patched(firstMark, "Enty") << "Illegal file";
        QTest::newRow("offset past the end") << patched(secondOffset, be32(quint32(good.size()))) << "Illegal file";
        QTest::newRow("offset in the catalogue") << patched(secondOffset, be32(64)) << "Illegal file";
        QTest::newRow("offset at the other chunk") << patched(secondOffset, be32(80)) << "Illegal file";
        QTest::newRow("catalogue past the end") << patched(32, be32(0x7FFFFFF8)) << "Illegal file";
        QTest::newRow("item length past the end") << patched(firstMark + 4, be32(0xFFFFFF00)) << "Illegal file";
        QTest::newRow("cut in an item") << good.left(good.size() - 2) << "Illegal file";
        QTest::newRow("cut in the header") << good.left(40) << "Illegal file";
        QTest::newRow("cut in a catalogue entry")
            << good.left(32) + be32(12) + good.mid(36, 28) + "EVCE" + be32(80) + "DVCE" << "Illegal file";
    }

    // A refused file leaves no chunk (a wrong magic leaves the document as
    // it was) and says why.
    void refusedFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        XS_Document doc;
        doc.newDocument(0);
        QVERIFY(!load(doc, file));
        QCOMPARE(doc.docError(), error);
        QCOMPARE(doc.chunks().size(), error == QLatin1String("Unknown format") ? 6 : 0);
    }

    void entryBytes_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("fixed");
        QTest::newRow("XF") << "Vesk XF" << 22;
        QTest::newRow("XS") << "Vesk XS" << 21;
        QTest::newRow("V90") << "V90 XS" << 21;
    }

    // Field by field, the size field counting everything after it; read
    // back under the same model it gives the same entry.
    void entryBytes()
    {
        QFETCH(QString, model);
        QFETCH(int, fixed);
        const XS_Entry e = sampleEntry();
        const QByteArray bytes = written([&](Archive& a) { QVERIFY(e.toArchive(model, a)); });

        QByteArray texts;
        for (const QString& text : QStringList{e.content_name, e.filename} + e.rel_filenames)
            texts += be32(quint32(text.toUtf8().size())) + text.toUtf8();
        QByteArray expected = be32(quint32(fixed + texts.size())) + be32(0x01020304) + be32(1000) +
                              be32(0xA0B0C0D0) + be32(12) + be32(0x3F0805);
        expected += fixed == 22 ? QByteArray("\x01\x01", 2) : QByteArray("\x01", 1);
        QCOMPARE(bytes.toHex(' '), (expected + texts).toHex(' '));

        Reader in(bytes);
        XS_Entry back;
        back.fromArchive(model, in.archive);
        QVERIFY(in.archive.ok() && in.archive.eof());
        QCOMPARE(written([&](Archive& a) { back.toArchive(model, a); }), bytes);
        QCOMPARE(back.filter, quint8(fixed == 22 ? 1 : 0));
        QCOMPARE(back.rel_filenames, e.rel_filenames);
    }

    void entryReadingAppendsRelatedNames()
    {
        XS_Entry e = sampleEntry();
        e.rel_filenames = QStringList{QStringLiteral("0003-Waveform.wfm")};
        const QByteArray one = written([&](Archive& a) { e.toArchive(QStringLiteral("Vesk XS"), a); });
        XS_Entry none;
        const QByteArray bare = written([&](Archive& a) { none.toArchive(QStringLiteral("Vesk XS"), a); });

        XS_Entry back = sampleEntry();
        Reader in(one + bare);
        back.fromArchive(QStringLiteral("Vesk XS"), in.archive);
        QCOMPARE(back.rel_filenames.size(), 3);
        back.fromArchive(QStringLiteral("Vesk XS"), in.archive);
        QCOMPARE(back.rel_filenames.size(), 3); // ends right after its file name
        QVERIFY(in.archive.eof() && in.archive.ok());
    }

    void entryText()
    {
        QCOMPARE(XS_Entry().toString(), QStringLiteral("owner: 00000000\ndata_size: 0\ntime: 00000000\n"
                                                       "data_offset: 00000000 = 0\ncontent_number: 0 (000000)\n"
                                                       "filter: 0\nfavorite: 0\ncontent_name: \nfilename: \n"
                                                       "rel_filenames: \n"));
        XS_Entry e = sampleEntry();
        QVERIFY(e.toString().contains(QStringLiteral("content_number: 4130821 (3F0805)\n")));
        QVERIFY(e.toString().endsWith(QStringLiteral("rel_filenames: 0001-Waveform.wfm,0002-Waveform.wfm\n")));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestContainer)
#include "tst_container.moc"
