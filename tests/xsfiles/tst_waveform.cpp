// Waveforms with their keybank tables, and the wave banks that hold them.
#include "TestEnvironment.h"
#include "XS_Waves.h"
#include "XsTestFiles.h"

#include <QTest>

using namespace XsTest;

namespace {

const QString WaveXS = QStringLiteral("Vesk XS");
const QString WaveXF = QStringLiteral("Vesk XF");

XS_Keybank* keybank(int note, const QByteArray& left = QByteArray(), const QByteArray& right = QByteArray())
{
    auto* kb = new XS_Keybank;
    kb->note_lo = kb->note_hi = kb->note_center = quint8(note);
    kb->left.setBytes(left);
    kb->right.setBytes(right);
    kb->channels = right.isEmpty() ? 1 : 2;
    return kb;
}

// The notes of the keybanks, which tell them apart in these tests.
QList<int> notes(const XS_Waveform& w)
{
    QList<int> list;
    for (const XS_Keybank* kb : w.keybanks())
        list.append(kb->note_center);
    return list;
}

XS_Waveform* waveWithData(int id, const QString& name = QStringLiteral("Wave"), int bytes = 4)
{
    auto* w = new XS_Waveform(name);
    w->setId(id);
    w->addKeybank(keybank(60, QByteArray(bytes, 'a')));
    return w;
}

XS_Waveform* emptySlot(int id)
{
    auto* w = new XS_Waveform;
    w->setId(id);
    return w;
}

} // namespace

class TestWaveform : public QObject
{
    Q_OBJECT

private slots:
    void emptyTableItems()
    {
        XS_DWFIM table;
        table.pitch_offset = 0x1234;
        QCOMPARE(written([&](Archive& a) { table.writeWFM(a); }).toHex(' '),
                 QByteArray::fromHex("00000004 0000 3412").toHex(' '));
        QCOMPARE(written([&](Archive& a) { table.writeWIM(a); }).toHex(' '),
                 QByteArray::fromHex("00000004 00000000").toHex(' '));
        int dwfm = 0;
        int dwim = 0;
        table.calcSizes(dwfm, dwim);
        QCOMPARE(dwfm, 4);
        QCOMPARE(dwim, 4);
    }

    // A mono and a stereo keybank: three sample blocks; the declared sizes
    // are the size fields; both items read back into a table that writes
    // the same bytes.
    void tableItemsRoundTrip()
    {
        XS_DWFIM table;
        table.pitch_offset = 3;
        table.keybanks.append(keybank(60, "ab"));
        table.keybanks.append(keybank(61, "cdef", "ghij"));
        QCOMPARE(table.sampleCount(), 3);
        const QByteArray wfm = written([&](Archive& a) { table.writeWFM(a); });
        const QByteArray wim = written([&](Archive& a) { table.writeWIM(a); });
        QCOMPARE(wfm.size(), 4 + 4 + 2 * 68);
        QCOMPARE(wim.toHex(' '), QByteArray::fromHex("0000001A 00000003 00000002 6162 00000004 63646566 "
                                                     "00000004 6768696A")
                                     .toHex(' '));
        int dwfm = 0;
        int dwim = 0;
        table.calcSizes(dwfm, dwim);
        QCOMPARE(quint32(dwfm), Reader(wfm).archive.readUINT());
        QCOMPARE(quint32(dwim), Reader(wim).archive.readUINT());

        Reader in(wfm + wim);
        XS_DWFIM back;
        back.keybanks.append(keybank(1)); // replaced by the read
        QVERIFY(back.readWFM(in.archive));
        QCOMPARE(back.readWIM(in.archive), 3);
        QVERIFY(in.archive.eof());
        QCOMPARE(back.pitch_offset, 3);
        QCOMPARE(written([&](Archive& a) { back.writeWFM(a); }), wfm);
        QCOMPARE(written([&](Archive& a) { back.writeWIM(a); }), wim);

        XS_DWFIM copy = back;
        QCOMPARE(copy.keybankCount(), 2);
        QVERIFY(copy.keybanks.first() != back.keybanks.first());
        QCOMPARE(written([&](Archive& a) { copy.writeWIM(a); }), wim);
    }

    // A table whose count promises more records than the item holds keeps
    // the whole ones and says it was cut.
    void cutTable()
    {
        QByteArray wfm = QByteArray::fromHex("00000000 0300 0000") + QByteArray(68 + 30, '\0');
        Reader in(wfm);
        XS_DWFIM table;
        QVERIFY(!table.readWFM(in.archive));
        QCOMPARE(table.keybankCount(), 1);
        Reader samples(QByteArray::fromHex("00000000 00000001 00000009 00"));
        QCOMPARE(table.readWIM(samples.archive), -1);
    }

    void idArithmetic_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("bank");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("bankName");
        QTest::newRow("XS first") << WaveXS << 1 << 1 << 1 << "USR";
        QTest::newRow("XS last") << WaveXS << 1024 << 1 << 1024 << "USR";
        QTest::newRow("XS past") << WaveXS << 1025 << 0 << 0 << "0";
        QTest::newRow("XF USR") << WaveXF << 128 << 1 << 128 << "USR";
        QTest::newRow("XF FL1") << WaveXF << 129 << 2 << 1 << "FL1";
        QTest::newRow("XF FL2") << WaveXF << 2177 << 3 << 1 << "FL2";
        QTest::newRow("XF last") << WaveXF << 4224 << 3 << 2048 << "FL2";
        QTest::newRow("XF past") << WaveXF << 4225 << 0 << 0 << "0";
        QTest::newRow("V90") << "V90 XS" << 5 << 0 << 0 << "0";
        QTest::newRow("id 0") << WaveXS << 0 << 0 << 0 << "0";
    }

    void idArithmetic()
    {
        QFETCH(QString, model);
        QFETCH(int, id);
        QFETCH(int, bank);
        QFETCH(int, number);
        QFETCH(QString, bankName);
        QCOMPARE(XS_Waveform::BankOf(id, model), bank);
        QCOMPARE(XS_Waveform::NumberOf(id, model), number);
        QCOMPARE(XS_Waveform::BankNameOf(id, model), bankName);
        if (bank != 0)
            QCOMPARE(XS_Waveform::MakeId(bank, number, model), id);
    }

    void idsOutsideTheBanks()
    {
        QCOMPARE(XS_Waveform::MakeId(1, 129, WaveXF), 0);
        QCOMPARE(XS_Waveform::MakeId(2, 5, WaveXS), 0);
        QCOMPARE(XS_Waveform::MakeId(3, 2049, WaveXF), 0);
        QCOMPARE(XS_Waveform::BankName(7, WaveXF), QStringLiteral("7"));
        const XS_Waveform w(QStringLiteral("Pad"), 2, 5, WaveXF);
        QCOMPARE(w.id(), 133);
        QCOMPARE(w.bankName(WaveXF), QStringLiteral("FL1"));
    }

    void namesAndSlot()
    {
        XS_Waveform w(QStringLiteral("3:Strings"));
        QCOMPARE(w.name(), QStringLiteral("Strings"));
        for (const char* kept : {"Pad:1", "1234:Piano", ":Piano", "1a:Piano"}) {
            w.setName(QLatin1String(kept));
            QCOMPARE(w.name(), QLatin1String(kept));
        }
        w.setId(7);
        QCOMPARE(w.wfm.filename, QStringLiteral("0007-Waveform.wfm"));
        QCOMPARE(w.wim.filename, QStringLiteral("0007-Waveform.wim"));
        QCOMPARE(w.wim.content_number, 7u);
        QVERIFY(!w.hasData());

        w.create();
        QVERIFY(w.hasData());
        QCOMPARE(w.name(), QStringLiteral("New Waveform"));
        w.table.pitch_offset = 2;
        w.addKeybank(keybank(60, "ab"));
        w.deleteData();
        QVERIFY(!w.hasData());
        QVERIFY(w.name().isEmpty());
        QCOMPARE(w.id(), 7);
        QCOMPARE(w.wfm.filename, QStringLiteral("0007-Waveform.wfm"));
        QCOMPARE(w.table.pitch_offset, 2);
    }

    void slices()
    {
        XS_Waveform w;
        w.addKeybank(keybank(126));
        QVERIFY(!w.hasSlices());
        w.addKeybank(keybank(20));
        w.addKeybank(keybank(30));
        w.createSlices(-1);
        QCOMPARE(notes(w), (QList<int>{126, 127, 0}));
        QVERIFY(!w.hasSlices()); // no wrap from 127 to 0

        w.createSlices(60);
        QVERIFY(w.hasSlices());
        w.keybanks().at(2)->note_lo = w.keybanks().at(2)->note_hi = 60; // 60, 61, 60: turns pass
        QVERIFY(w.hasSlices());
        w.keybanks().at(1)->note_hi = 62;
        QVERIFY(!w.hasSlices());
    }

    void pasteKeybanks()
    {
        XS_Waveform w;
        w.addKeybank(keybank(1));
        w.setName(QString());
        const QList<XS_Keybank*> source{keybank(10, "x"), keybank(11)};
        QVERIFY(!w.pasteKeybanks(2, source));
        QVERIFY(!w.pasteKeybanks(-1, source));
        QCOMPARE(notes(w), QList<int>{1});
        QVERIFY(w.pasteKeybanks(0, source));
        QCOMPARE(notes(w), (QList<int>{10, 11, 1}));
        QVERIFY(w.keybanks().first() != source.first());
        QCOMPARE(w.keybanks().first()->left.bytes(), QByteArray("x"));
        QCOMPARE(w.name(), QStringLiteral("New Waveform"));
        QVERIFY(w.pasteKeybanks(3, {}));
        qDeleteAll(source);
    }

    // Only keybanks the table holds are deleted, each once, whatever the
    // selection holds.
    void deleteKeybanks_data()
    {
        QTest::addColumn<ints>("indexes");
        QTest::addColumn<QList<int>>("left");
        QTest::newRow("two") << ints{3, 1} << QList<int>{0, 2, 4};
        QTest::newRow("repeated") << ints{1, 1, 3, 1} << QList<int>{0, 2, 4};
        QTest::newRow("outside") << ints{-1, 5, 9, 0} << QList<int>{1, 2, 3, 4};
        QTest::newRow("none") << ints{} << QList<int>{0, 1, 2, 3, 4};
    }

    void deleteKeybanks()
    {
        QFETCH(ints, indexes);
        QFETCH(QList<int>, left);
        XS_Waveform w;
        for (int note = 0; note < 5; ++note)
            w.addKeybank(keybank(note));
        w.deleteKeybanks(indexes);
        QCOMPARE(notes(w), left);
    }

    void reorganizeKeybanks_data()
    {
        QTest::addColumn<int>("pos");
        QTest::addColumn<ints>("indexes");
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<int>("newPos");
        QTest::addColumn<ints>("orderMap");
        QTest::addColumn<bool>("moved");
        QTest::newRow("forward") << 4 << ints{1, 2} << QList<int>{0, 3, 1, 2, 4, 5} << 2 << ints{0, 2, 3, 1, 4, 5}
                                 << true;
        QTest::newRow("as given") << 4 << ints{2, 1} << QList<int>{0, 3, 2, 1, 4, 5} << 2
                                  << ints{0, 3, 2, 1, 4, 5} << true;
        QTest::newRow("in place") << 1 << ints{1} << QList<int>{0, 1, 2, 3, 4, 5} << 1 << ints{0, 1, 2, 3, 4, 5}
                                  << false;
    }

    // The move, and with recording on, the map from old to new positions and
    // whether anything moved.
    void reorganizeKeybanks()
    {
        QFETCH(int, pos);
        QFETCH(ints, indexes);
        QFETCH(QList<int>, order);
        QFETCH(int, newPos);
        QFETCH(ints, orderMap);
        QFETCH(bool, moved);
        for (bool record : {false, true}) {
            XS_Waveform w;
            for (int note = 0; note < 6; ++note)
                w.addKeybank(keybank(note));
            w.keybanks().setKeepOrder(record);
            int at = pos;
            QCOMPARE(w.reorganizeKeybanks(at, indexes), !record || moved);
            QCOMPARE(notes(w), order);
            QCOMPARE(at, newPos);
            if (record)
                QCOMPARE(w.keybanks().orderMap(), orderMap);
        }
    }

    void archiveFormRoundTrip()
    {
        XS_Waveform w(QStringLiteral("Choir"), 3, 9, WaveXF);
        w.wfm.filter = 1;
        w.wim.data_size = 99;
        w.table.pitch_offset = 1;
        w.addKeybank(keybank(40, "abcd", "efgh"));
        w.addKeybank(keybank(41, "ij"));
        const QByteArray bytes = written([&w](Archive& a) { w.toArchive(a); });
        Reader in(bytes);
        XS_Waveform back;
        QVERIFY(back.fromArchive(in.archive));
        QVERIFY(in.archive.eof());
        QCOMPARE(back.id(), 2185);
        QCOMPARE(back.wfm.filter, quint8(1));
        QCOMPARE(notes(back), (QList<int>{40, 41}));
        QCOMPARE(back.ridevSize(), 10);
        QCOMPARE(written([&back](Archive& a) { back.toArchive(a); }), bytes);
        QVERIFY(back.info().startsWith(QStringLiteral("EWFM\nowner: ")));
        QVERIFY(back.info().endsWith(QStringLiteral("DWFM - DWIM\npitch_offset: 1\nkeybank_count: 2\n"
                                                    "sample_count: 3\nDWFM size: 140\nDWIM size: 26\n\n")));
    }

    void bankCounts()
    {
        XS_WaveBank bank(1);
        QCOMPARE(bank.count(), 0);
        QCOMPARE(bank.lastIndex(), -1);
        for (int id = 1; id <= 5; ++id)
            bank.waves.append(id == 1 || id == 4 ? waveWithData(id) : emptySlot(id));
        QCOMPARE(bank.count(), 2);
        QCOMPARE(bank.lastIndex(), 3);
    }

    // Banks stay in creation order; the i-th waveform with data walks them
    // in that order.
    void banksInCreationOrder()
    {
        XS_Waves waves;
        for (int id : {5, 2200, 200, 6})
            QVERIFY(waves.addWave(WaveXF, id == 6 ? emptySlot(id) : waveWithData(id)));
        QCOMPARE(waves.banks().size(), 3);
        QCOMPARE(waves.banks().at(1)->id(), 3);
        QCOMPARE(waves.count(), 3);
        QCOMPARE(waves.getByIndex(0)->id(), 5);
        QCOMPARE(waves.getByIndex(1)->id(), 2200);
        QCOMPARE(waves.getByIndex(2)->id(), 200);
        QVERIFY(!waves.getByIndex(3));
        QCOMPARE(waves.lookupWave(6)->id(), 6);
        QVERIFY(!waves.lookupWave(7));
        QCOMPARE(waves.getBank(2)->waves.size(), 1);

        waves.deleteData();
        QCOMPARE(waves.count(), 0);
        QCOMPARE(waves.lookupWave(2200)->id(), 2200);
    }

    // A file's waveform items belong to the entry read from the same item
    // index, whatever bank its id puts it in: ids 200, 5, 300 of "Vesk XF"
    // walk as 200, 300, 5 by bank, but item 1 is still waveform 5.
    void fileItemsFindTheirWaveformByIndex()
    {
        XS_Waves waves;
        const int ids[] = {200, 5, 300};
        for (int i = 0; i < 3; ++i) {
            XS_Waveform* w = waveWithData(ids[i]);
            w->wfm.dataIndex = i + 1;
            QVERIFY(waves.addWave(WaveXF, w));
        }
        QCOMPARE(waves.getByIndex(1)->id(), 300);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(waves.getByDataIndex(i)->id(), ids[i]);
        QVERIFY(!waves.getByDataIndex(3));
        QVERIFY(!waves.getByDataIndex(-1));
    }

    void addWaveOverAnExistingId()
    {
        XS_Waves waves;
        QVERIFY(waves.addWave(WaveXS, emptySlot(9)));
        XS_Waveform incoming(QStringLiteral("Bell"));
        incoming.setId(9);
        incoming.wfm.dataIndex = 4;
        incoming.addKeybank(keybank(72, "xyz"));
        QVERIFY(waves.addWave(WaveXS, &incoming));
        QCOMPARE(waves.banks().first()->waves.size(), 1);
        const XS_Waveform* held = waves.lookupWave(9);
        QVERIFY(held != &incoming);
        QCOMPARE(held->name(), QStringLiteral("Bell"));
        QCOMPARE(held->wfm.dataIndex, 4);
        QCOMPARE(held->ridevSize(), 3);
        QVERIFY(held->keybanks().first() != incoming.keybanks().first());

        XS_Waveform noId;
        QVERIFY(!waves.addWave(WaveXS, &noId));
    }

    void findSimilar()
    {
        XS_Waves waves;
        waves.addWave(WaveXS, waveWithData(1, QStringLiteral("Harp"), 8));
        waves.addWave(WaveXS, waveWithData(2, QStringLiteral("Harp"), 4));
        waves.addWave(WaveXS, waveWithData(3, QStringLiteral("12:Harp"), 4));
        waves.addWave(WaveXS, waveWithData(4, QStringLiteral("Harp"), 4));
        XS_Waveform* probe = waveWithData(0, QStringLiteral("Harp"), 4);
        QCOMPARE(waves.findSimilar(probe), 2);
        const ints first{2};
        QCOMPARE(waves.findSimilar(probe, &first), 3);
        const ints all{2, 3, 4};
        QCOMPARE(waves.findSimilar(probe, &all), 0);
        delete probe;
    }
};

ORVANE_TEST_GUILESS_MAIN(TestWaveform)
#include "tst_waveform.moc"
