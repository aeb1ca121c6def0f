// Editing the all-data document: waveforms pasted, deleted, moved and
// reordered, voices deleted, reordered and pasted with their waveforms, and
// every voice's waveform references before and after.
#include "Prompts.h"
#include "TestEnvironment.h"
#include "X0V_Document.h"
#include "XsDocuments.h"
#include "XsTestFiles.h"

#include <QtTest>

using namespace XsDocs;

namespace {


void make(X0V_Document& doc, int type)
{
    doc.newDocument(type);
    doc.initSlots(type);
}

// The ids of the waveforms with data, in bank and slot order, with names.
QStringList used(const X0V_Document& doc)
{
    QStringList out;
    for (int i = 0; const XS_Waveform* w = doc.waves.getByIndex(i); ++i)
        out.append(QStringLiteral("%1:%2").arg(w->id()).arg(w->name()));
    return out;
}

QList<int> firstIds(const XS_Voice* v, int n = 3)
{
    return elementIds(v).mid(0, n);
}

} // namespace

class TestX0vEdit : public QObject
{
    Q_OBJECT

private slots:
    void pasteWaves_data();
    void pasteWaves();
    void deleteWaves();
    void moveWaves();
    void moveWavesWithoutRoom();
    void reorganizeWaves();
    void deleteAndReorganizeVoices();
    void pasteVoices();
    void pasteVoicesRefused_data();
    void pasteVoicesRefused();
    void pasteVoicesUsesTheBankItFound();
    void choseWaveBank();
};

void TestX0vEdit::pasteWaves_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("withSlots");
    QTest::addColumn<int>("bank");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("pasted");
    QTest::addColumn<QStringList>("result");
    QTest::newRow("XS, last slot") << 1 << true << 1 << 1023 << 1 << QStringList{"1024:A"};
    QTest::newRow("XF bank 2 from -1") << 6 << true << 2 << -1 << 3 << QStringList{"129:A", "130:B", "131:C"};
    QTest::newRow("no such bank") << 6 << true << 4 << 0 << 0 << QStringList{};
    // A loaded document holds only the slots its file filled: bank 1 with
    // one slot (id 1) ends there, whatever ids the model has.
    QTest::newRow("bank shorter than its ids") << 6 << false << 1 << 0 << 1 << QStringList{"1:A"};
}

void TestX0vEdit::pasteWaves()
{
    QFETCH(int, type);
    QFETCH(bool, withSlots);
    X0V_Document doc;
    if (withSlots)
        make(doc, type);
    else {
        doc.newDocument(type);
        doc.addWave(waveform(QStringLiteral("Old"), 1));
    }
    QList<XS_Waveform*> source{waveform("A", 900), waveform("B", 901), waveform("C", 902)};
    QFETCH(int, bank);
    QFETCH(int, start);
    QTEST(doc.pasteWaves(bank, start, source), "pasted");
    QTEST(used(doc), "result");
    // Copies: the source stays the caller's and unchanged.
    QCOMPARE(source.first()->id(), 900);
    qDeleteAll(source);
}

void TestX0vEdit::deleteWaves()
{
    X0V_Document doc;
    make(doc, 6);
    putWave(doc, waveform("Piano", 5, {20}));
    putWave(doc, waveform("Piano", 9, {20})); // the same name and size
    putWave(doc, waveform("Solo", 10));
    XS_Voice* v = putVoice(doc, 0x3F08, 0, voice(XF, "V", {5, 10, 9}));
    doc.deleteWaves(1, {4, 9, 9, 5000});
    // 5 has a copy that is not deleted; 10 has none and stays referenced.
    QCOMPARE(used(doc), QStringList({"9:Piano"}));
    QCOMPARE(firstIds(v), QList<int>({9, 10, 9}));

    // Both copies deleted at once: neither stands in for the other.
    putWave(doc, waveform("Piano", 5, {20}));
    doc.deleteWaves(1, {4, 8});
    QCOMPARE(used(doc), QStringList());
    QCOMPARE(firstIds(v), QList<int>({9, 10, 9}));
    doc.deleteWaves(7, {0}); // no such bank
}

void TestX0vEdit::moveWaves()
{
    X0V_Document doc;
    make(doc, 6);
    putWave(doc, waveform("Five", 5));
    putWave(doc, waveform("Six", 6));
    XS_Voice* v = putVoice(doc, 0x3F08, 0, voice(XF, "V", {5, 6, 7}));
    QVERIFY(doc.moveWaves({4}, 1, 2));
    QCOMPARE(used(doc), QStringList({"6:Six", "129:Five"}));
    QCOMPARE(firstIds(v), QList<int>({129, 6, 7}));
    // The emptied slot keeps its place and id.
    QCOMPARE(doc.waves.getBank(1)->waves.at(4)->id(), 5);
    QCOMPARE(doc.waves.getBank(2)->waves.size(), 2048);

    QVERIFY(!doc.moveWaves({5}, 1, 1));
    QVERIFY(!doc.moveWaves({5}, 1, 9));
    QVERIFY(!doc.moveWaves({5, 5}, 1, 2));
    QVERIFY(!doc.moveWaves({128}, 1, 2));
    QCOMPARE(used(doc), QStringList({"6:Six", "129:Five"}));
}

void TestX0vEdit::moveWavesWithoutRoom()
{
    // Two waveforms into bank 2, whose last used slot is the one before its
    // last: only one slot is free after it.
    ScriptedPrompts prompts;
    X0V_Document doc;
    make(doc, 6);
    putWave(doc, waveform("A", 1));
    putWave(doc, waveform("B", 2));
    putWave(doc, waveform("Edge", 129 + 2046));
    XS_Voice* v = putVoice(doc, 0x3F08, 0, voice(XF, "V", {1, 2}));
    const QStringList before = used(doc);
    QVERIFY(!doc.moveWaves({0, 1}, 1, 2));
    QCOMPARE(prompts.count(ScriptedPrompts::Kind::Error), 1);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Error).text, QStringLiteral("Not available space in destination bank"));
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Error).title, QStringLiteral("Move Waveforms"));
    QCOMPARE(used(doc), before);
    QCOMPARE(firstIds(v, 2), QList<int>({1, 2}));
    // One fits.
    QVERIFY(doc.moveWaves({1}, 1, 2));
    QCOMPARE(firstIds(v, 2), QList<int>({1, 2176}));
}

void TestX0vEdit::reorganizeWaves()
{
    X0V_Document doc;
    make(doc, 6);
    putWave(doc, waveform("A", 1));
    putWave(doc, waveform("B", 2));
    putWave(doc, waveform("C", 3));
    XS_Voice* v = putVoice(doc, 0x3F08, 0, voice(XF, "V", {1, 2, 3}));
    int position = 3;
    QVERIFY(doc.reorganizeWaves(1, position, {0}));
    QCOMPARE(used(doc), QStringList({"1:B", "2:C", "3:A"}));
    QCOMPARE(firstIds(v), QList<int>({3, 1, 2}));
    // Not recording: renumbered and true even for no move.
    position = 0;
    QVERIFY(doc.reorganizeWaves(1, position, {0}));
    QCOMPARE(firstIds(v), QList<int>({3, 1, 2}));
    // Recording: no move is false.
    doc.waves.getBank(1)->waves.setKeepOrder(true);
    position = 0;
    QVERIFY(!doc.reorganizeWaves(1, position, {0}));
    QVERIFY(!doc.reorganizeWaves(1, position, {0, 0}));
    QVERIFY(!doc.reorganizeWaves(5, position, {0}));
}

void TestX0vEdit::deleteAndReorganizeVoices()
{
    X0V_Document doc;
    make(doc, 6);
    putVoice(doc, 0x3F08, 0, voice(XF, "A"));
    putVoice(doc, 0x3F08, 1, voice(XF, "B"));
    doc.deleteVoices(0x3F08, {1, 1, 400, -1});
    QCOMPARE(doc.voices.count(), 1);
    QCOMPARE(doc.voices.getBank(0x3F08)->voices.size(), 128);
    doc.deleteVoices(0x3F0C, {0});

    int position = 3;
    QVERIFY(doc.reorganizeVoices(0x3F08, position, {0}));
    XS_VoiceBank* bank = doc.voices.getBank(0x3F08);
    QCOMPARE(bank->voices.at(2)->name(), QStringLiteral("A"));
    for (int i = 0; i < 128; ++i)
        QCOMPARE(bank->voices.at(i)->id(), 0x3F0800 + i);
    position = 2;
    QVERIFY(doc.reorganizeVoices(0x3F08, position, {2})); // not recording: true
    bank->voices.setKeepOrder(true);
    QVERIFY(!doc.reorganizeVoices(0x3F08, position, {2}));
    QVERIFY(!doc.reorganizeVoices(0x3F0C, position, {2}));
}

void TestX0vEdit::pasteVoices()
{
    X0V_Document doc;
    make(doc, 6);
    putWave(doc, waveform("Shared", 1, {30}));
    putWave(doc, waveform("Mine", 2));
    // From another document: 40 is the same as the document's 1; 41 and 42
    // are new and go after bank 1's last used slot (1), as 3 and 4.
    QList<XS_Waveform*> waves{waveform("Shared", 40, {30}), waveform("New", 41), waveform("Other", 42)};
    QList<XS_Voice*> voices;
    for (int k = 0; k < 3; ++k) {
        voices.append(voice(XF, QStringLiteral("P%1").arg(k), {40, 41, 42}));
        voices.last()->setPatch(Patch(static_cast<unsigned short>(0x3F0A), k));
    }
    QCOMPARE(doc.pasteVoices(0x3F08, 126, voices, waves), 2);
    QCOMPARE(used(doc), QStringList({"1:Shared", "2:Mine", "3:New", "4:Other"}));
    XS_VoiceBank* bank = doc.voices.getBank(0x3F08);
    QCOMPARE(bank->voices.at(126)->name(), QStringLiteral("P0"));
    QCOMPARE(bank->voices.at(127)->id(), 0x3F087F);
    QCOMPARE(firstIds(bank->voices.at(127)), QList<int>({1, 3, 4}));
    QCOMPARE(doc.voices.count(), 2);
    // The caller's records are untouched.
    QCOMPARE(firstIds(voices.first()), QList<int>({40, 41, 42}));
    qDeleteAll(voices);
    qDeleteAll(waves);
}

void TestX0vEdit::pasteVoicesRefused_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("bank");
    QTest::addColumn<int>("errors");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("text");
    QTest::newRow("model") << 6 << XS << 0x3F08 << 1 << 0 << "Model mismatch";
    QTest::newRow("type") << 6 << XF << 0x3F28 << 1 << 0 << "Type mismatch";
    QTest::newRow("no wave banks") << 3 << "V90 XS" << 0x3F28 << 0 << 1 << "Not available space to paste waveforms";
    QTest::newRow("no such voice bank") << 6 << XF << 0x3F0C << 0 << 0 << "";
}

void TestX0vEdit::pasteVoicesRefused()
{
    QFETCH(int, type);
    QFETCH(QString, model);
    QFETCH(int, bank);
    ScriptedPrompts prompts;
    X0V_Document doc;
    make(doc, type);
    auto* v = voice(model, "P", {40});
    v->setPatch(Patch(static_cast<unsigned short>(bank == 0x3F28 && type == 6 ? 0x3F08 : bank), 0));
    QList<XS_Waveform*> waves{waveform("New", 40)};
    QCOMPARE(doc.pasteVoices(bank, 0, {v}, waves), 0);
    QTEST(int(prompts.count(ScriptedPrompts::Kind::Error)), "errors");
    QTEST(int(prompts.count(ScriptedPrompts::Kind::Warning)), "warnings");
    const QList<ScriptedPrompts::Call> calls = prompts.calls();
    QFETCH(QString, text);
    QCOMPARE(calls.isEmpty() ? QString() : calls.first().text, text);
    // Nothing changed: no waveform pasted, no voice.
    QCOMPARE(doc.waves.count() + doc.voices.count(), 0);
    delete v;
    qDeleteAll(waves);
}

void TestX0vEdit::pasteVoicesUsesTheBankItFound()
{
    // Banks made in the order 1, 3, 2, bank 1 full: the waveform goes to
    // bank 3, the first in the list with room, and the voice follows it.
    X0V_Document doc;
    doc.newDocument(6);
    XS_WaveBank* one = doc.waves.createBank(1);
    for (int n = 1; n <= 128; ++n)
        one->waves.append(waveform(QStringLiteral("U%1").arg(n), n));
    doc.waves.createBank(3)->waves.append(new XS_Waveform(QString(), 3, 1, XF));
    doc.waves.createBank(2)->waves.append(new XS_Waveform(QString(), 2, 1, XF));
    doc.voices.createBank(0x3F08)->voices.append(new XS_Voice(XF));
    doc.fixVoiceIndexes(doc.voices.getBank(0x3F08));
    auto* v = voice(XF, "P", {700});
    v->setPatch(Patch(static_cast<unsigned short>(0x3F08), 0));
    QList<XS_Waveform*> waves{waveform("New", 700)};
    QCOMPARE(doc.pasteVoices(0x3F08, 0, {v}, waves), 1);
    QCOMPARE(doc.waves.getBank(3)->waves.first()->name(), QStringLiteral("New"));
    QCOMPARE(doc.waves.getBank(3)->waves.first()->id(), 2177);
    QCOMPARE(firstIds(doc.voices.getBank(0x3F08)->voices.first(), 1), QList<int>({2177}));
    delete v;
    qDeleteAll(waves);
}

void TestX0vEdit::choseWaveBank()
{
    ScriptedPrompts prompts;
    prompts.script(ScriptedPrompts::Kind::Item, QStringLiteral("FL1"));
    prompts.script(ScriptedPrompts::Kind::Item, QString());
    QCOMPARE(X0V_Document::choseWaveBank(QStringLiteral("Paste")), 2);
    QCOMPARE(X0V_Document::choseWaveBank(QStringLiteral("Paste")), 0);
    QCOMPARE(prompts.last(ScriptedPrompts::Kind::Item).title, QStringLiteral("Paste"));
}

ORVANE_TEST_MAIN(TestX0vEdit)
#include "tst_x0vedit.moc"
