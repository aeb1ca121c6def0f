// The all-data document: its slots per type, what a store writes and a load
// reads back (byte for byte), the pairing of data items with their entries
// by item index, damaged files, validation, clean-up and the listing words.
#include "Prompts.h"
#include "TestEnvironment.h"
#include "X0V_Document.h"
#include "XsDocuments.h"
#include "XsTestFiles.h"

#include <QtTest>

using namespace XsDocs;

namespace {


QList<int> bankSizes(const X0V_Document& doc)
{
    QList<int> sizes;
    for (const XS_WaveBank* bank : doc.waves.banks())
        sizes.append(int(bank->waves.size()));
    return sizes;
}

// A "Vesk XF" document with slots, voices in two banks and a drum kit, and
// waveforms in all three wave banks, one of them stereo.
void fill(X0V_Document& doc)
{
    doc.newDocument(6);
    doc.initSlots(6);
    putWave(doc, waveform(QStringLiteral("Piano"), 5, {16, 40}));
    putWave(doc, waveform(QStringLiteral("Pad"), 129, {24}));
    XS_Waveform* last = putWave(doc, waveform(QStringLiteral("Bell"), 4224, {}));
    last->addKeybank(XsDocs::keybank(30, 7, true));
    putVoice(doc, 0x3F08, 0, voice(XF, QStringLiteral("Grand"), {5, 129}));
    putVoice(doc, 0x3F0B, 127, voice(XF, QStringLiteral("Chime"), {4224}));
    XS_Voice* kit = putVoice(doc, 0x3F28, 3, voice(XF, QStringLiteral("Kit")));
    kit->initDrumKit();
}

// Every waveform with data as "id:name:left bytes|right bytes" of its keybanks.
QStringList waveContents(const X0V_Document& doc)
{
    QStringList out;
    for (int i = 0; const XS_Waveform* w = doc.waves.getByIndex(i); ++i) {
        QString text = QString::number(w->id()) + QLatin1Char(':') + w->name();
        for (const XS_Keybank* k : w->keybanks())
            text += QLatin1Char(':') + QString::fromLatin1(k->left.bytes().toHex()) + QLatin1Char('|') +
                    QString::fromLatin1(k->right.bytes().toHex());
        out.append(text);
    }
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

class TestX0vDocument : public QObject
{
    Q_OBJECT

    static QByteArray partialFile(quint32 catalogueSize);

private slots:
    void slotsPerType_data();
    void slotsPerType();
    void roundTripIsByteEqual();
    void catalogueFields();
    void dataPairsWithItsEntryByIndex();
    void dataBeforeItsEntries();
    void damagedFilesAreRefused_data();
    void damagedFilesAreRefused();
    void partialChunkSetsStoreReadably();
    void validateDocumentDropsMissingWaveforms();
    void removeUnusedWaveforms();
    void sizeAndWords();
};

void TestX0vDocument::slotsPerType_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QList<int>>("voiceBanks");
    QTest::addColumn<QList<int>>("waveBanks");
    QTest::addColumn<int>("lastWaveId");
    QTest::newRow("Vesk XS") << 1 << QList<int>{0x3F08, 0x3F09, 0x3F0A, 0x3F28} << QList<int>{1024} << 1024;
    QTest::newRow("V90 XS") << 4 << QList<int>{0x3F28} << QList<int>{} << 0;
    QTest::newRow("Vesk XF") << 6 << QList<int>{0x3F08, 0x3F09, 0x3F0A, 0x3F0B, 0x3F28}
                             << QList<int>{128, 2048, 2048} << 4224;
}

void TestX0vDocument::slotsPerType()
{
    QFETCH(int, type);
    QFETCH(QList<int>, voiceBanks);
    X0V_Document doc;
    doc.newDocument(type);
    doc.initSlots(type);
    doc.initSlots(type); // old banks go first
    QList<int> words;
    for (const XS_VoiceBank* bank : doc.voices.banks()) {
        words.append(bank->id());
        QCOMPARE(bank->voices.size(), bank->id() == 0x3F28 ? 32 : 128);
        QCOMPARE(bank->voices.last()->id(), (bank->id() << 8) + int(bank->voices.size()) - 1);
    }
    QCOMPARE(words, voiceBanks);
    QTEST(bankSizes(doc), "waveBanks");
    if (!doc.waves.banks().isEmpty())
        QTEST(doc.waves.banks().last()->waves.last()->id(), "lastWaveId");
    QCOMPARE(doc.voices.count() + doc.waves.count(), 0);
    QCOMPARE(doc.estimatedSizeMB(), 0.0);
}

void TestX0vDocument::roundTripIsByteEqual()
{
    X0V_Document doc;
    fill(doc);
    const QByteArray bytes = stored(doc);
    QVERIFY(!bytes.isEmpty());

    // Into slots made for the type, and into a document without slots.
    X0V_Document withSlots;
    withSlots.newDocument(6);
    withSlots.initSlots(6);
    X0V_Document bare;
    for (X0V_Document* loaded : {&withSlots, &bare}) {
        QVERIFY2(load(*loaded, bytes), qPrintable(loaded->docError()));
        QCOMPARE(loaded->model(), XF);
        QCOMPARE(loaded->voices.count(), 3);
        QCOMPARE(waveContents(*loaded), waveContents(doc));
        const XS_Voice* grand = loaded->voices.lookupVoice(0x3F0800);
        QCOMPARE(grand->name(), QStringLiteral("Grand"));
        QCOMPARE(grand->data, doc.voices.lookupVoice(0x3F0800)->data);
        QCOMPARE(loaded->voices.lookupVoice(0x3F2803)->data, doc.voices.lookupVoice(0x3F2803)->data);
        // The records live in the slots now; the chunks hold no items.
        for (const XS_Chunk* chunk : loaded->chunks())
            QVERIFY(chunk->items.isEmpty());
        QCOMPARE(stored(*loaded), bytes);
    }
}

void TestX0vDocument::catalogueFields()
{
    X0V_Document doc;
    doc.newDocument(6);
    doc.initSlots(6);
    XS_Voice* a = putVoice(doc, 0x3F08, 0, voice(XF, QStringLiteral("Alpha")));
    XS_Voice* b = putVoice(doc, 0x3F08, 1, voice(XF, QStringLiteral("Beta")));
    a->data.allocate(100);
    a->data.writeText(4, QStringLiteral("Short One"), 20);
    const QList<int> categories{1, 2, 3, 4};
    for (int k = 0; k < 4; ++k)
        a->data.setAt(32 + k, categories.at(k));
    b->data.allocate(50); // too short for a name or categories
    XS_Waveform* w1 = putWave(doc, waveform(QStringLiteral("One"), 1, {10, 20}));
    XS_Waveform* w2 = putWave(doc, waveform(QStringLiteral("Two"), 2, {5}));

    doc.validateVoices();
    doc.validateWaves();
    QCOMPARE(QList<quint32>({a->data_offset, a->data_size, b->data_offset, b->data_size}),
             QList<quint32>({12, 100, 120, 50}));
    QCOMPARE(a->content_name, QStringLiteral("18:52:Short One"));
    QCOMPARE(b->content_name, QStringLiteral("0:0:"));
    int dwfm1 = 0, dwim1 = 0, dwfm2 = 0, dwim2 = 0;
    w1->table.calcSizes(dwfm1, dwim1);
    w2->table.calcSizes(dwfm2, dwim2);
    QCOMPARE(QList<quint32>({w1->wfm.data_offset, w2->wfm.data_offset, w1->wim.data_offset, w2->wim.data_offset}),
             QList<quint32>({12, quint32(12 + dwfm1 + 8), 12, quint32(12 + dwim1 + 8)}));
    QCOMPARE(w2->wfm.data_size, quint32(dwfm2));
    QCOMPARE(w2->wim.data_size, quint32(dwim2));
    for (const QString tag : {"EVCE", "DVCE"})
        QCOMPARE(doc.getChunk(tag)->itemCount, 2u);
    for (const QString tag : {"EWFM", "EWIM", "DWFM", "DWIM"})
        QCOMPARE(doc.getChunk(tag)->items.size(), 2);
}

void TestX0vDocument::dataPairsWithItsEntryByIndex()
{
    // Without slots the banks come in the order ids arrive: 200 and 300 make
    // bank 2 before 5 makes bank 1, so the file lists 200, 300, 5, and in a
    // document with slots the fifth waveform comes first.
    X0V_Document source;
    source.newDocument(6);
    for (int id : {200, 5, 300})
        source.addWave(waveform(QStringLiteral("W%1").arg(id), id, {8 + id % 7}));
    const QByteArray bytes = stored(source);

    X0V_Document doc;
    doc.newDocument(6);
    doc.initSlots(6);
    QVERIFY(load(doc, bytes));
    QCOMPARE(waveContents(doc), waveContents(source));
    QCOMPARE(doc.waves.getByIndex(0)->id(), 5);
}

void TestX0vDocument::dataBeforeItsEntries()
{
    // A file whose data chunks come before their entry chunks: the entries
    // load, the data have no owner yet and are dropped.
    X0V_Document source;
    source.createChunk(QStringLiteral("DVCE"));
    source.createChunk(QStringLiteral("DWFM"));
    fill(source);
    const QByteArray bytes = stored(source);

    X0V_Document doc;
    QVERIFY(load(doc, bytes));
    QCOMPARE(doc.voices.count(), 0);
    QCOMPARE(doc.voices.lookupVoice(0x3F0800)->content_number, 0x3F0800u);
    // The waveforms keep their entries and samples, without keybank records
    // there is nothing to read the samples into.
    QCOMPARE(doc.waves.count(), 3);
    QCOMPARE(doc.waves.lookupWave(5)->keybanks().size(), 0);
}

void TestX0vDocument::damagedFilesAreRefused_data()
{
    X0V_Document doc;
    fill(doc);
    const QByteArray bytes = stored(doc);
    // The chunks follow the header and the catalogue.
    const int chunks = 64 + 6 * 8;
    const qsizetype dwim = bytes.indexOf("DWIM", chunks);
    const qsizetype dvce = bytes.indexOf("DVCE", chunks);
    QVERIFY(dwim > 0 && dvce > 0);
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cut in the sample data") << bytes.left(dwim + 40) << "Illegal file";
    QTest::newRow("cut in a voice") << bytes.left(dvce + 30) << "Illegal file";
    QByteArray huge = bytes;
    huge.replace(dvce + 16, 4, XsTest::be32(0x7FFFFFF0)); // the first voice's length, after its mark
    QTest::newRow("voice longer than the file") << huge << "Illegal file";
    QByteArray other = bytes;
    other[0] = 'X';
    QTest::newRow("another format") << other << "Unknown format";
    QTest::newRow("catalogue size between entries") << partialFile(1) << "Illegal file";
}

// A file whose catalogue lists one chunk of the four of the waveforms: an
// entry chunk with one entry that names no waveform a document keeps.
QByteArray TestX0vDocument::partialFile(quint32 catalogueSize)
{
    QByteArray file = QByteArray::fromHex("5645534b2d5653464300000000000000312e302e30000000000000ffff00000000000001a2ffffffffffffffffffffffffffffffffffffffffffffffffffffff4557464d000000704557494d000000bb4457464d0000010644574949000001a645564345000001d244564345000002364557464d0000004300000001456e7472000000370000000000000064000000000000000c0000000000000000480000010000000009536565642057617665000000000000000000000000000000000000ffffffffffffffffffffffffffffffffffffffffffffff4557464d000000704557494d00000000000000000000000011303030312d57617665666f726d2e77666d000011303030312d00008c01010000000000000000000000000000");
    file.replace(32, 4, XsTest::be32(catalogueSize));
    return file;
}

// What such a document stores loads again and stores the same bytes: each
// chunk it holds has an item per waveform, not a mark without its item.
void TestX0vDocument::partialChunkSetsStoreReadably()
{
    X0V_Document doc;
    QVERIFY2(load(doc, partialFile(8)), qPrintable(doc.docError()));
    const QByteArray first = stored(doc);
    X0V_Document again;
    QVERIFY2(load(again, first), qPrintable(again.docError()));
    QCOMPARE(again.waves.count(), doc.waves.count());
    QCOMPARE(stored(again), first);
}

void TestX0vDocument::damagedFilesAreRefused()
{
    QFETCH(QByteArray, file);
    X0V_Document withSlots;
    withSlots.newDocument(6);
    withSlots.initSlots(6);
    X0V_Document bare;
    for (X0V_Document* doc : {&withSlots, &bare}) {
        QVERIFY(!load(*doc, file));
        QTEST(doc->docError(), "reason");
        QCOMPARE(doc->voices.count() + doc->waves.count(), 0);
    }
    QCOMPARE(bankSizes(withSlots), QList<int>({128, 2048, 2048}));
    QVERIFY(bare.waves.banks().isEmpty() && bare.voices.banks().isEmpty());
}

void TestX0vDocument::validateDocumentDropsMissingWaveforms()
{
    ScriptedPrompts prompts;
    X0V_Document doc;
    fill(doc);
    XS_Voice* v = putVoice(doc, 0x3F09, 4, voice(XF, QStringLiteral("Lost"), {77, 5}));
    doc.validateDocument();
    QCOMPARE(elementIds(v).mid(0, 2), QList<int>({0, 5}));
    QCOMPARE(elementIds(doc.voices.lookupVoice(0x3F0800)).mid(0, 2), QList<int>({5, 129}));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 1);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Warning).text, QStringLiteral("Removed invalid waveform indexes!"));
    doc.validateDocument();
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Warning), 1);
}

void TestX0vDocument::removeUnusedWaveforms()
{
    X0V_Document doc;
    fill(doc);
    putWave(doc, waveform(QStringLiteral("Spare"), 7));
    QCOMPARE(doc.removeUnusedWaveforms(), 1);
    QVERIFY(!doc.waves.lookupWave(7)->hasData());
    QCOMPARE(doc.waves.count(), 3);
    QCOMPARE(doc.removeUnusedWaveforms(), 0);
}

void TestX0vDocument::sizeAndWords()
{
    X0V_Document doc;
    doc.newDocument(6);
    doc.initSlots(6);
    putWave(doc, waveform(QStringLiteral("Big"), 3, {256 * 1024, 256 * 1024}));
    QCOMPARE(doc.estimatedSizeMB(), 1.0);

    QCOMPARE(X0V_Document::strWaveforms(1, true), QStringLiteral("1 Waveform"));
    QCOMPARE(X0V_Document::strVoices(0, true), QStringLiteral("0 Voices"));
    QCOMPARE(X0V_Document::strKeybanks(2, false), QStringLiteral("Keybanks"));
    QCOMPARE(X0V_Document::strKeybanks(1, false), QStringLiteral("Keybank"));
}

ORVANE_TEST_MAIN(TestX0vDocument)
#include "tst_x0vdocument.moc"
