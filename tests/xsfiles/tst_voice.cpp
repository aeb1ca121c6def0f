// Voices and drum kits, their banks, and the default voice data.
#include "TestEnvironment.h"
#include "Vesk.h"
#include "XS_Voice.h"
#include "XS_Waves.h"
#include "XsTestFiles.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace XsTest;

namespace {


// A voice of the model's layout with elements whose memory and number are
// given, all used.
XS_Voice* voiceWith(const QString& model, const QList<QPair<int, int>>& elements, int id = 0x3F0800)
{
    auto* v = new XS_Voice(model);
    v->setId(id);
    const int size = XS_Voice::elementSize(model);
    v->data.allocate(XS_Voice::elementOffset(model, int(elements.size())) + 80);
    v->data.writeValue(XS_Voice::ElementCountOffset, quint32(elements.size()), 4);
    for (int e = 0; e < elements.size(); ++e) {
        v->data.writeValue(XS_Voice::elementOffset(model, e), quint32(size), 4);
        v->setElementUsed(e, true);
        v->setElementMem(e, elements.at(e).first);
        v->setElementWave(e, elements.at(e).second);
    }
    return v;
}

XS_Waveform* wave(int id, const QString& name)
{
    auto* w = new XS_Waveform(name);
    w->setId(id);
    w->addKeybank(new XS_Keybank);
    return w;
}

} // namespace

class TestVoice : public QObject
{
    Q_OBJECT

private slots:
    void banks_data()
    {
        QTest::addColumn<int>("bankWord");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("xs");
        QTest::addColumn<QString>("xf");
        QTest::addColumn<QString>("v90");
        QTest::newRow("USER1") << 0x3F08 << 1 << "USER1" << "USER1" << "";
        QTest::newRow("USER3") << 0x3F0A << 1 << "USER3" << "USER3" << "";
        QTest::newRow("USER4") << 0x3F0B << 1 << "" << "USER4" << "";
        QTest::newRow("below the user banks") << 0x3F07 << 1 << "" << "" << "";
        QTest::newRow("drums") << 0x3F28 << 2 << "DR:USER" << "DR:USER" << "DR:USER";
        QTest::newRow("drum range") << 0x3F20 << 2 << "" << "" << "";
        QTest::newRow("preset") << 0x3F40 << 0 << "" << "" << "";
    }

    void banks()
    {
        QFETCH(int, bankWord);
        QFETCH(int, type);
        QFETCH(QString, xs);
        QFETCH(QString, xf);
        QFETCH(QString, v90);
        XS_Voice voice(XS);
        voice.setPatch(Patch(static_cast<unsigned short>(bankWord), 5));
        QCOMPARE(int(voice.bank()), bankWord);
        QCOMPARE(voice.bankType(), type);
        QCOMPARE(voice.bankName(), xs);
        QCOMPARE(XS_Voice::BankName(XF, voice.bank()), xf);
        QCOMPARE(XS_Voice::BankName(QStringLiteral("V90 XS"), voice.bank()), v90);
    }

    void idAndFileName()
    {
        XS_Voice voice;
        voice.setId(int(Patch(static_cast<unsigned short>(0x3F08), 5).toUInt()));
        QCOMPARE(voice.filename, QStringLiteral("3F0805-Voice.vce"));
        QCOMPARE(voice.patch().program, 5);
        QCOMPARE(voice.id(), 0x3F0805);
    }

    // The committed default voice and drum kit are what the generator
    // writes from its table.
    void defaultDataRegenerates()
    {
        const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (python.isEmpty())
            QSKIP("python3 is needed to run the generator");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess gen;
        gen.start(python, {QStringLiteral(ORVANE_SOURCE_DIR "/tools/gen_x0v_init.py"), dir.path()});
        QVERIFY(gen.waitForFinished(60000));
        QVERIFY2(gen.exitStatus() == QProcess::NormalExit && gen.exitCode() == 0,
                 gen.readAllStandardError().constData());
        for (const QString& name : {QStringLiteral("x0v_voice.bin"), QStringLiteral("x0v_drumkit.bin")}) {
            QFile generated(dir.filePath(name));
            QFile built(QStringLiteral(":/vesk/data/") + name);
            QVERIFY(generated.open(QIODevice::ReadOnly) && built.open(QIODevice::ReadOnly));
            QVERIFY2(generated.readAll() == built.readAll(),
                     qPrintable(name + QStringLiteral(" differs from the generator's output")));
        }
    }

    void defaultData_data()
    {
        QTest::addColumn<bool>("kit");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("elements");
        QTest::newRow("voice") << false << 1640 << "Full Concert Grand  " << 8;
        QTest::newRow("drum kit") << true << 11000 << "Power Standard Kit 1" << 73;
    }

    // Blocks of the stated lengths in a row; every element used with a
    // preset wave, so the voice names no waveform.
    void defaultData()
    {
        QFETCH(bool, kit);
        QFETCH(int, size);
        QFETCH(QString, name);
        QFETCH(int, elements);
        XS_Voice voice(XS);
        voice.rel_filenames = QStringList{QStringLiteral("0001-Waveform.wfm")};
        kit ? voice.initDrumKit() : voice.initVoice();
        QCOMPARE(voice.data.size(), size);
        QCOMPARE(voice.name(), name);
        QCOMPARE(voice.elementCount(XS), elements);
        int at = 0;
        for (int length : {124, 168, 48, 48}) {
            QCOMPARE(int(voice.data.readValue(at, 4)), length);
            at += 4 + length;
        }
        at += 4;
        for (int e = 0; e < elements; ++e) {
            QCOMPARE(int(voice.data.readValue(at, 4)), 140);
            QVERIFY(voice.isElementUsed(e));
            QCOMPARE(voice.elementMem(e), 0);
            at += 144;
        }
        for (int length : {8, 12, 48}) {
            QCOMPARE(int(voice.data.readValue(at, 4)), length);
            at += 4 + length;
        }
        QCOMPARE(at, size);
        QVERIFY(voice.waveforms(XS).isEmpty());
        voice.updateWaveformInfo(XS);
        QVERIFY(voice.rel_filenames.isEmpty());
    }

    void nameAndCategories()
    {
        XS_Voice voice(XS);
        QCOMPARE(voice.getCategory1(), -1);
        voice.setName(QStringLiteral("nothing to write to"));
        voice.setCategory1(5);
        QVERIFY(!voice.hasData());

        voice.initVoice();
        voice.setName(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXY"));
        QCOMPARE(voice.name(), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        voice.setCategory1(1000);
        QCOMPARE(voice.data.at(32), 7);
        QCOMPARE(voice.data.at(33), 104);
        QCOMPARE(voice.getCategory1(), 1000);
        voice.setCategory2((3 << 7) + 2);
        QCOMPARE(voice.getCategory2(), (3 << 7) + 2);
        QCOMPARE(voice.getCategory1(), 1000);
    }

    void categoryNamesFromTheInstrument()
    {
        Vesk device;
        XS_Voice voice(XS);
        QCOMPARE(voice.printCategory(&device), QString());
        voice.initVoice();
        QCOMPARE(voice.printCategory(&device), QStringLiteral("Ap:A.PIANO"));
        voice.setCategory(QStringLiteral("Ba:E.BASS"), &device);
        QCOMPARE(voice.getCategory1(), (5 << 7) + 2);
        voice.setCategory(QStringLiteral("no such category"), &device);
        QCOMPARE(voice.getCategory1(), (5 << 7) + 2);
        voice.setCategory1(1 << 7 | 99);
        QCOMPARE(voice.printCategory(&device), QStringLiteral("Ap"));
    }

    void elementWaveforms_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("memory");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("id");
        QTest::newRow("XS user") << XS << 1 << 5 << 5;
        QTest::newRow("XS memory 2") << XS << 2 << 5 << 0;
        QTest::newRow("XF user") << XF << 1 << 128 << 128;
        QTest::newRow("XF FL1") << XF << 2 << 5 << 133;
        QTest::newRow("XF FL2") << XF << 3 << 5 << 2181;
        QTest::newRow("XF preset") << XF << 0 << 5 << 0;
        QTest::newRow("V90") << QStringLiteral("V90 XS") << 1 << 5 << 0;
    }

    void elementWaveforms()
    {
        QFETCH(QString, model);
        QFETCH(int, memory);
        QFETCH(int, number);
        QFETCH(int, id);
        std::unique_ptr<XS_Voice> voice(voiceWith(model, {{memory, number}}));
        QCOMPARE(voice->elementWaveform(model, 0), id);
        // The wave number is little-endian at the element's size.
        const int at = XS_Voice::elementOffset(model, 0) + XS_Voice::elementSize(model);
        QCOMPARE(voice->data.at(at), number & 0xFF);
        if (id != 0) {
            voice->setElementWaveform(model, 0, 0);
            QVERIFY(!voice->isElementUsed(0));
            QCOMPARE(voice->elementWaveform(model, 0), 0);
            voice->setElementUsed(0, true);
            QCOMPARE(voice->elementWaveform(model, 0), id);
            voice->setElementWaveform(model, 0, id == 5 ? 1024 : 4224);
            QCOMPARE(voice->elementWaveform(model, 0), id == 5 ? 1024 : 4224);
        }
    }

    // Voice data come from files: a count past the data, a short buffer or
    // an element index past the elements never reads or writes outside the
    // elements the data hold.
    void accessorsStayInsideTheData()
    {
        std::unique_ptr<XS_Voice> voice(voiceWith(XS, {{1, 1}, {1, 2}}));
        const QByteArray tail = voice->data.bytes().mid(XS_Voice::elementOffset(XS, 2));
        voice->setElementWaveform(XS, 2, 7);
        voice->setElementWaveform(XS, 5000000, 7);
        voice->setElementWaveform(XS, -1, 7);
        voice->setElementUsed(2, true);
        voice->setElementWave(2, 9);
        QCOMPARE(voice->data.bytes().mid(XS_Voice::elementOffset(XS, 2)), tail);
        QCOMPARE(voice->elementWaveform(XS, 2), 0);

        voice->data.writeValue(XS_Voice::ElementCountOffset, 0x7FFFFFFF, 4);
        QCOMPARE(voice->elementCount(XS), 2);
        QCOMPARE(voice->waveforms(XS), (ints{1, 2}));
        // Data that end with the second element hold one of the wider
        // elements of "Vesk XF".
        voice->data.setBytes(voice->data.bytes().left(XS_Voice::elementOffset(XS, 2)));
        QCOMPARE(voice->elementCount(XS), 2);
        QCOMPARE(voice->elementCount(XF), 1);

        XS_Voice shortVoice(XS);
        shortVoice.data.setBytes(QByteArray(30, 'A'));
        QCOMPARE(shortVoice.name(), QString(20, QLatin1Char('A')));
        QCOMPARE(shortVoice.getCategory1(), -1);
        QCOMPARE(shortVoice.elementCount(XS), 0);
        shortVoice.setCategory1(1000);
        shortVoice.setElementWaveform(XS, 0, 5);
        QCOMPARE(shortVoice.data.bytes(), QByteArray(30, 'A'));
        shortVoice.data.setBytes(QByteArray(10, 'A'));
        shortVoice.setName(QStringLiteral("longer than the data"));
        QCOMPARE(shortVoice.data.bytes(), QByteArray(10, 'A'));
    }

    void waveformReferences()
    {
        XS_Waves waves;
        waves.addWave(XF, wave(5, QStringLiteral("12:Piano")));
        waves.addWave(XF, wave(2181, QStringLiteral("Pad")));
        auto* emptySlot = new XS_Waveform;
        emptySlot->setId(129);
        waves.addWave(XF, emptySlot);
        std::unique_ptr<XS_Voice> voice(voiceWith(XF, {{3, 5}, {1, 5}, {2, 1}, {1, 5}, {1, 60}, {0, 9}}));

        QCOMPARE(voice->waveforms(XF), (ints{5, 60, 129, 2181}));
        QCOMPARE(voice->waveformInfo(XF, waves), QStringLiteral("FL1:1|--------|FL2:5|Pad|USR:5|Piano|USR:60|--------"));
        voice->updateWaveformInfo(XF);
        QCOMPARE(voice->rel_filenames.size(), 4);
        QCOMPARE(voice->rel_filenames.first(), QStringLiteral("0005-Waveform.wfm"));

        QVERIFY(voice->removeInvalidWaveforms(XF, waves));
        QCOMPARE(voice->waveforms(XF), (ints{5, 2181}));
        QCOMPARE(voice->rel_filenames, (QStringList{"0005-Waveform.wfm", "2181-Waveform.wfm"}));
        QVERIFY(!voice->removeInvalidWaveforms(XF, waves));

        voice->remapWaveforms(XF, ints{2181, 5, 7}, ints{6, 2200});
        QCOMPARE(voice->waveforms(XF), (ints{6, 2200}));
        QCOMPARE(voice->elementWaveform(XF, 0), 6);
        QCOMPARE(voice->elementMem(0), 1);
        QCOMPARE(voice->rel_filenames, (QStringList{"0006-Waveform.wfm", "2200-Waveform.wfm"}));

        XS_Voice noData(XF);
        noData.rel_filenames = QStringList{QStringLiteral("kept")};
        noData.remapWaveforms(XF, ints{1}, ints{2});
        QCOMPARE(noData.rel_filenames, QStringList{QStringLiteral("kept")});
    }

    void voiceBanks()
    {
        XS_Voices voices;
        for (int p = 0; p < 3; ++p) {
            auto* v = new XS_Voice(XS);
            v->setPatch(Patch(static_cast<unsigned short>(0x3F09), p));
            if (p != 1)
                v->initVoice();
            QVERIFY(voices.addVoice(v));
        }
        auto* drum = new XS_Voice(XS);
        drum->setPatch(Patch(static_cast<unsigned short>(0x3F28), 0));
        drum->initDrumKit();
        QVERIFY(voices.addVoice(drum));
        QCOMPARE(voices.banks().size(), 2);
        QCOMPARE(voices.count(), 3);
        QCOMPARE(voices.banks().first()->count(), 2);
        QCOMPARE(voices.getByIndex(1)->patch().program, 2);
        QCOMPARE(voices.getByIndex(2), drum);
        QVERIFY(!voices.getByIndex(3));
        QVERIFY(!voices.lookupVoice(0x3F0901)->hasData());

        // An id already held is copied over, wherever it is.
        XS_Voice incoming(XS);
        incoming.setPatch(Patch(static_cast<unsigned short>(0x3F09), 1));
        incoming.initDrumKit();
        incoming.dataIndex = 3;
        QVERIFY(!voices.addVoice(&incoming));
        QCOMPARE(voices.banks().first()->voices.size(), 3);
        XS_Voice* held = voices.lookupVoice(0x3F0901);
        QCOMPARE(held->data.size(), 11000);
        QCOMPARE(held->dataIndex, 3);

        XS_Voice copy;
        QVERIFY(copy.readPatch(&voices, Patch(static_cast<unsigned short>(0x3F28), 0)));
        QCOMPARE(copy.model, XS);
        QCOMPARE(copy.name(), QStringLiteral("Power Standard Kit 1"));
        QVERIFY(!copy.readPatch(&voices, Patch(static_cast<unsigned short>(0x3F28), 9)));
        QVERIFY(!copy.readPatch(nullptr, copy.patch()));
        QVERIFY(copy.toPatchDump(XS, nullptr));

        XS_Voice noId;
        QVERIFY(!voices.addVoice(&noId));
        voices.deleteData();
        QCOMPARE(voices.count(), 0);
        QVERIFY(voices.lookupVoice(0x3F2800));
    }

    void archiveForm()
    {
        std::unique_ptr<XS_Voice> voice(voiceWith(XF, {{1, 3}}));
        voice->favorite = 1;
        voice->filter = 1;
        voice->updateWaveformInfo(XF);
        const QByteArray bytes = written([&voice](Archive& a) { QVERIFY(voice->toArchive(a)); });
        Reader in(bytes);
        XS_Voice back;
        QVERIFY(back.fromArchive(in.archive));
        QVERIFY(in.archive.eof());
        QCOMPARE(back.model, XF);
        QCOMPARE(back.filter, quint8(1));
        QCOMPARE(back.rel_filenames, voice->rel_filenames);
        QCOMPARE(written([&back](Archive& a) { back.toArchive(a); }), bytes);
        QVERIFY(back.info().endsWith(QStringLiteral("\ndvce size = %1").arg(voice->data.size())));

        // A voice of another model reads the model text only.
        Reader again(bytes);
        XS_Voice other(XS);
        QVERIFY(other.fromArchive(again.archive));
        QVERIFY(!other.hasData());
        QCOMPARE(other.model, XS);
        QCOMPARE(again.archive.pos(), qint64(4 + XF.size()));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestVoice)
#include "tst_voice.moc"
