// Sampler zones and instrument lists: defaults, ownership, sorting and copies.
#include "Sample.h"
#include "TestEnvironment.h"

namespace {

QStringList namesOf(const Instruments& list)
{
    QStringList names;
    for (const Instrument* i : list)
        names.append(i->name);
    return names;
}

Instrument* instrumentWith(const QString& name, int samples)
{
    auto* inst = new Instrument(name);
    for (int k = 0; k < samples; ++k) {
        auto* s = new Sample;
        s->rootKey = 40 + k;
        s->left.allocate(4);
        inst->samples.append(s);
    }
    return inst;
}

} // namespace

class TestSamples : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void sortIsStableAndMapsOrder();
    void assignmentAppendsDeepCopies();
};

void TestSamples::defaults()
{
    Sample s;
    QCOMPARE(s.toString(), QStringLiteral("44.1kHz 16bit mono"));
    QCOMPARE(QList<int>({s.rootKey, s.keyHigh, s.keyLow, s.velocityHigh, s.velocityLow, s.volume, s.pan,
                         s.loopMode, s.startOffset, s.loopStart, s.loopEnd, s.coarseTune, s.fineTune}),
             QList<int>({60, 127, 0, 127, 0, 127, 64, 0, 0, 0, 0, 64, 64}));
    QVERIFY(!s.isValid());

    // reset() brings the zone back and empties the sound, keeping the format.
    s.bits = 24;
    s.channels = 2;
    s.left.allocate(6);
    s.right.allocate(6);
    s.keyLow = 12;
    s.loopMode = Sample::LoopAlternate;
    s.reset();
    QCOMPARE(s.bits, 24);
    QCOMPARE(s.channels, 2);
    QVERIFY(s.left.isEmpty() && s.right.isEmpty());
    QCOMPARE(s.keyLow, 0);
    QCOMPARE(s.loopMode, int(Sample::LoopOff));
}

void TestSamples::sortIsStableAndMapsOrder()
{
    Instruments list;
    list.setKeepOrder(true);
    Instrument* firstPiano = instrumentWith(QStringLiteral("Piano"), 0);
    Instrument* secondPiano = instrumentWith(QStringLiteral("piano"), 0);
    list.append(instrumentWith(QStringLiteral("Strings 10"), 0));
    list.append(firstPiano);
    list.append(instrumentWith(QStringLiteral("Strings 9"), 0));
    list.append(secondPiano);
    list.append(instrumentWith(QStringLiteral("Bass"), 0));
    list.sort();

    // Case does not order names, digit runs compare by value, and equal names
    // keep the order they had.
    QCOMPARE(namesOf(list), QStringList({"Bass", "Piano", "piano", "Strings 9", "Strings 10"}));
    QCOMPARE(list[1], firstPiano);
    QCOMPARE(list[2], secondPiano);
    // For each old position, where its instrument went.
    QCOMPARE(list.orderMap(), QList<int>({4, 1, 3, 2, 0}));
    QCOMPARE(list.savedItems().size(), 5);

    Instruments plain;
    plain.append(instrumentWith(QStringLiteral("b"), 0));
    plain.append(instrumentWith(QStringLiteral("a"), 0));
    plain.sort();
    QCOMPARE(namesOf(plain), QStringList({"a", "b"}));
    QVERIFY(plain.orderMap().isEmpty());
}

void TestSamples::assignmentAppendsDeepCopies()
{
    Instruments source;
    source.append(instrumentWith(QStringLiteral("Kit"), 2));
    source.append(instrumentWith(QStringLiteral("Lead"), 1));

    Instruments target;
    target.append(instrumentWith(QStringLiteral("Old"), 1));
    target = source;
    QCOMPARE(namesOf(target), QStringList({"Old", "Kit", "Lead"}));

    // The copies are new objects with the same zones and sound.
    Sample* copied = target[1]->samples[1];
    QVERIFY(copied != source[0]->samples[1]);
    QCOMPARE(copied->rootKey, 41);
    QCOMPARE(copied->left.size(), 4);
    copied->setPoint(0, 0, 99);
    QCOMPARE(source[0]->samples[1]->getPoint(0, 0), 0);
    // Both lists delete what they hold when they go (the sanitizer checks).
}

ORVANE_TEST_GUILESS_MAIN(TestSamples)
#include "tst_samples.moc"
