#include "Sysex.h"
#include "TestEnvironment.h"
#include "TestSysex.h"

#include <QtTest>

#include <memory>

namespace {
// The bulk dump of the layout: 4 data bytes 01 02 03 04 at 0x100000.
const QString Dump4 = QStringLiteral("F0 43 00 7F 00 00 04 10 00 00 01 02 03 04 62 F7");
// A parameter change of two data bytes, no checksum.
const QString Change2 = QStringLiteral("F0 43 10 7F 00 10 00 0C 01 48 F7");
const QString SysexRequest = QStringLiteral("F0 43 30 7F 00 10 00 0C F7");

std::unique_ptr<TestSysex> make(const QString& hex)
{
    auto s = std::make_unique<TestSysex>();
    s->fromString(hex);
    return s;
}

// The covered bytes and the checksum add up to a multiple of 128.
bool sysexChecksumHolds(const Sysex& s)
{
    int sum = 0;
    for (int i = s.checksumStart(); i <= s.size() - 2; ++i)
        sum += s.at(i);
    return sum % 128 == 0;
}
} // namespace

class TestSysexMessages : public QObject
{
    Q_OBJECT

private slots:
    void analysis_data();
    void analysis();
    void reanalysedOnNewContent();
    void classification();
    void dataAtOutside_data();
    void dataAtOutside();
    void setDataAt();
    void writesStayInsideRegion_data();
    void writesStayInsideRegion();
    void copyHelpers();
    void dataText();
    void parameterData();
    void printAnalysis();
    void checksum_data();
    void checksum();
    void formatSysex_data();
    void formatSysex();
    void formatSysexTypedForms();
    void testInstrument();
};

void TestSysexMessages::analysis_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("type");
    QTest::addColumn<uint>("address");
    QTest::addColumn<int>("dataStart");
    QTest::addColumn<int>("dataSize");
    QTest::addColumn<int>("checksumStart");

    QTest::newRow("bulk dump") << Dump4 << int(TestSysex::BulkDump) << 0x100000u << 10 << 4 << 5;
    QTest::newRow("parameter change")
        << Change2 << int(TestSysex::ParameterChange) << 0x10000Cu << 8 << 2 << -1;
    QTest::newRow("parameter request")
        << SysexRequest << int(TestSysex::ParameterRequest) << 0x10000Cu << -1 << 0 << -1;
    QTest::newRow("bulk request") << "F0 43 20 7F 00 0E 00 00 F7" << int(TestSysex::BulkRequest) << 0x0E0000u
                                  << -1 << 0 << -1;
    QTest::newRow("other model") << "F0 43 30 7F 01 10 00 0C F7" << -1 << 0xFFFFFFFFu << -1 << 0 << -1;
    QTest::newRow("count disagrees") << "F0 43 00 7F 00 00 05 10 00 00 01 02 03 04 62 F7" << -1 << 0xFFFFFFFFu
                                     << -1 << 0 << -1;
    QTest::newRow("no F7") << "F0 43 30 7F 00 10 00 0C 00" << -1 << 0xFFFFFFFFu << -1 << 0 << -1;
    QTest::newRow("empty") << "" << -1 << 0xFFFFFFFFu << -1 << 0 << -1;
}

void TestSysexMessages::analysis()
{
    QFETCH(QString, hex);
    QFETCH(int, type);
    QFETCH(uint, address);
    QFETCH(int, dataStart);
    QFETCH(int, dataSize);
    QFETCH(int, checksumStart);

    TestSysex s;
    s.fromString(hex);
    QCOMPARE(s.type(), type);
    QCOMPARE(s.isValid(), type != -1);
    QCOMPARE(s.address(), address);
    QCOMPARE(s.dataStart(), dataStart);
    QCOMPARE(s.dataSize(), dataSize);
    QCOMPARE(s.checksumStart(), checksumStart);
}

void TestSysexMessages::reanalysedOnNewContent()
{
    TestSysex s;
    s.fromString(Dump4);
    QVERIFY(s.isValid());
    // Bytes the instrument does not know leave nothing of the old analysis.
    const unsigned char stray[] = {0xF0, 0x01, 0xF7};
    s.copy(stray, 3);
    QVERIFY(!s.isValid());
    QCOMPARE(s.address(), 0xFFFFFFFFu);
    QCOMPARE(s.dataSize(), 0);
    QCOMPARE(s.dataAt(0), 255);
    s.setDataAt(0, 5);
    s.updateChecksum();
    QCOMPARE(s.toString(-1), QStringLiteral("F0 01 F7"));

    TestSysex other;
    other.copy(make(Dump4).get(), 0, -1);
    QCOMPARE(other.type(), int(TestSysex::BulkDump));
}

void TestSysexMessages::classification()
{
    TestSysex s;
    QVERIFY(!s.isSysex());
    s.fromString(QStringLiteral("F0 7E 00 06 02 F7"));
    QVERIFY(s.isSysex());
    QVERIFY(s.isId());
    s.fromString(QStringLiteral("F0 7E 00 06 01 F7"));
    QVERIFY(s.isSysex());
    QVERIFY(!s.isId());
    s.fromString(QStringLiteral("F0 7E 00 06 02"));
    QVERIFY(!s.isSysex());
    QVERIFY(!s.isId());
    s.fromString(QStringLiteral("F0 7E 06 02 F7"));
    QVERIFY(!s.isId());
}

void TestSysexMessages::dataAtOutside_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("index");

    QTest::newRow("no region, 0") << SysexRequest << 0;
    QTest::newRow("no region, -1") << SysexRequest << -1;
    QTest::newRow("dump, -1") << Dump4 << -1;
    QTest::newRow("dump, size") << Dump4 << 4;
    QTest::newRow("dump, checksum index") << Dump4 << 5;
    QTest::newRow("dump, far") << Dump4 << 1000000;
    QTest::newRow("change, size") << Change2 << 2;
}

void TestSysexMessages::dataAtOutside()
{
    QFETCH(QString, hex);
    QFETCH(int, index);
    TestSysex s;
    s.fromString(hex);
    QCOMPARE(s.dataAt(index), 255);
}

void TestSysexMessages::setDataAt()
{
    TestSysex s;
    s.fromString(Dump4);
    QCOMPARE(s.dataAt(0), 1);
    QCOMPARE(s.dataAt(3), 4);
    s.setDataAt(1, 0x85);
    QCOMPARE(s.dataAt(1), 0x05);
    QCOMPARE(s.at(14), 0x5F); // (128 - (0+4+0x10+0+0+1+5+3+4)) % 128
    QVERIFY(sysexChecksumHolds(s));

    // A message without checksum only changes the byte.
    TestSysex change;
    change.fromString(Change2);
    change.setDataAt(1, 0xFF);
    QCOMPARE(change.toString(-1), QStringLiteral("F0 43 10 7F 00 10 00 0C 01 7F F7"));
}

void TestSysexMessages::writesStayInsideRegion_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("pos");

    for (const QString& hex : {Dump4, Change2, SysexRequest}) {
        TestSysex s;
        s.fromString(hex);
        for (int pos : {-1, -8, s.dataSize(), 100})
            QTest::addRow("%s at %d", qPrintable(hex.left(8)), pos) << hex << pos;
    }
}

void TestSysexMessages::writesStayInsideRegion()
{
    QFETCH(QString, hex);
    QFETCH(int, pos);

    TestSysex s;
    s.fromString(hex);

    // Every write that starts outside the region leaves header, checksum and
    // the bytes past the end alone.
    Buffer src;
    src.fromString(QStringLiteral("11 22 33 44 55 66 77 08"));
    TestSysex other;
    other.fromString(QStringLiteral("F0 43 00 7F 00 00 08 10 00 00 11 22 33 44 55 66 77 08 55 F7"));

    s.setDataAt(pos, 0x7E);
    s.copyDataFromBuffer(pos, &src, 0, 1);
    s.storeDataText(QStringLiteral("ABCDEFGH"), pos, 2, ' ');
    QCOMPARE(s.toString(-1), hex);

    if (pos >= 0)
        s.copyData(&other, pos, pos + 8);
    QCOMPARE(s.toString(-1), hex);
}

void TestSysexMessages::copyHelpers()
{
    TestSysex s;
    s.fromString(Dump4);

    // To a buffer: as stored, only the positions inside both.
    Buffer dst;
    dst.fromString(QStringLiteral("AA AA AA AA AA"));
    s.copyDataToBuffer(2, &dst, 1, 5);
    QCOMPARE(dst.toString(-1), QStringLiteral("AA 03 04 AA AA"));
    s.copyDataToBuffer(0, &dst, 3, 0);
    s.copyDataToBuffer(0, nullptr, 0, 4);
    QCOMPARE(dst.toString(-1), QStringLiteral("AA 03 04 AA AA"));

    // From a buffer: masked, checksum follows, missing source bytes skipped.
    Buffer src;
    src.fromString(QStringLiteral("81 7F"));
    s.copyDataFromBuffer(1, &src, 0, 4);
    QCOMPARE(s.dataToString(), QStringLiteral("01 01 7F 04"));
    QVERIFY(sysexChecksumHolds(s));
    // A range that starts before the region writes only its inside part.
    s.copyDataFromBuffer(-1, &src, 0, 2);
    QCOMPARE(s.toString(-1), QStringLiteral("F0 43 00 7F 00 00 04 10 00 00 7F 01 7F 04 69 F7"));

    // From another message: the common length by default.
    TestSysex longer;
    longer.fromString(TestSysex::bulkDumpText(0x100000, QByteArray("\x0A\x0B\x0C\x0D\x0E\x0F", 6)));
    QCOMPARE(longer.dataSize(), 6);
    s.copyData(&longer, -1, -1);
    QCOMPARE(s.dataToString(), QStringLiteral("0A 0B 0C 0D"));
    QVERIFY(sysexChecksumHolds(s));
    longer.copyData(make(Dump4).get(), 1, -1);
    QCOMPARE(longer.dataToString(), QStringLiteral("0A 02 03 04 0E 0F"));
    QVERIFY(sysexChecksumHolds(longer));
    // An explicit end past this message's region stops at its end.
    s.copyData(&longer, 0, 6);
    QCOMPARE(s.toString(-1).size(), Dump4.size());
    QCOMPARE(s.dataToString(), QStringLiteral("0A 02 03 04"));
    QVERIFY(sysexChecksumHolds(s));
    // A shorter source gives no bytes past its own end.
    TestSysex shorter;
    shorter.fromString(TestSysex::bulkDumpText(0x100000, QByteArray("\x70", 1)));
    s.copyData(&shorter, 0, 4);
    QCOMPARE(s.dataToString(), QStringLiteral("70 02 03 04"));

    Buffer whole;
    s.dataToBuffer(&whole);
    QCOMPARE(whole.toString(-1), QStringLiteral("70 02 03 04"));
    s.dataToBuffer(nullptr);
    QCOMPARE(make(SysexRequest)->dataToString(), QString());
}

void TestSysexMessages::dataText()
{
    TestSysex s;
    s.prepareBulkDump(0x100000, QByteArray(12, '\0'));
    QCOMPARE(s.dataSize(), 12);

    s.storeDataText(QStringLiteral("Abc"), 1, 10, ' ');
    QCOMPARE(s.readDataText(1, 10), QStringLiteral("Abc       "));
    QVERIFY(sysexChecksumHolds(s));
    s.storeDataText(QStringLiteral("Twelve chars"), 1, 10, '-');
    QCOMPARE(s.readDataText(1, 10), QStringLiteral("Twelve cha"));
    s.storeDataText(QStringLiteral("ab"), 0, 3, '\0');
    QCOMPARE(s.readDataText(0, 4), QString::fromLatin1("ab\0e", 4)); // zero bytes stay
    // Latin-1 above 127 keeps its low 7 bits; beyond Latin-1 stores 0.
    s.storeDataText(QString::fromUtf8("\xC3\xA9\xE2\x82\xAC"), 0, 2, ' ');
    QCOMPARE(s.dataAt(0), 0xE9 & 0x7F);
    QCOMPARE(s.dataAt(1), 0);
    QVERIFY(sysexChecksumHolds(s));

    const QString before = s.toString(-1);
    s.storeDataText(QStringLiteral("xyz"), 3, 10, ' '); // does not fit: nothing
    s.storeDataText(QStringLiteral("xyz"), 0, 0, ' ');
    s.storeDataText(QStringLiteral("xyz"), -1, 3, ' ');
    QCOMPARE(s.toString(-1), before);

    QCOMPARE(s.readDataText(3, 10), QString());
    QCOMPARE(s.readDataText(-1, 3), QString());
    QCOMPARE(s.readDataText(12, 0), QString());
    QCOMPARE(s.readDataText(2, 10).size(), 10);
}

void TestSysexMessages::parameterData()
{
    TestSysex change;
    change.fromString(Change2);
    MidiParam p(0x10000C, 2, false, false);
    QCOMPARE(change.getParameterData(p), 200);
    MidiParam nibbles(0x10000C, 2, true, false);
    QCOMPARE(change.getParameterData(nibbles), 0x58);
    QCOMPARE(change.getParameterData(MidiParam(0x10000D, 1, false, false)), -1);
    // A value longer than the region is not there.
    QCOMPARE(change.getParameterData(MidiParam(0x10000C, 3, false, false)), -1);

    TestSysex dump;
    dump.fromString(Dump4);
    QCOMPARE(dump.getParameterData(MidiParam(0x100002, 1, false, false)), 3);
    QCOMPARE(dump.getParameterData(MidiParam(0x100002, 2, false, false)), 3 * 128 + 4);
    QCOMPARE(dump.getParameterData(MidiParam(0x100003, 2, false, false)), -1);
    QCOMPARE(dump.getParameterData(MidiParam(0x100004, 1, false, false)), -1);
    QCOMPARE(dump.getParameterData(MidiParam(0x0FFFFF, 1, false, false)), -1);

    TestSysex request;
    request.fromString(SysexRequest);
    QCOMPARE(request.getParameterData(MidiParam(0x10000C, 1, false, false)), -1);
}

void TestSysexMessages::printAnalysis()
{
    QCOMPARE(make(Dump4)->printAnalysis(), QStringLiteral("00100000 : 01 02 03 04"));
    QCOMPARE(make(SysexRequest)->printAnalysis(), QStringLiteral("0010000C : "));
    QCOMPARE(TestSysex().printAnalysis(), QStringLiteral("FFFFFFFF : "));
}

void TestSysexMessages::checksum_data()
{
    QTest::addColumn<QString>("hex");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("checksum");

    QTest::newRow("one byte covered") << "F0 05 00 F7" << 1 << 123;
    QTest::newRow("end equals start") << "F0 05 00 F7" << 2 << 0;
    QTest::newRow("sum 0 gives 0") << "F0 00 00 00 F7" << 1 << 0;
    QTest::newRow("sum 128 gives 0") << "F0 7F 01 00 F7" << 1 << 0;
    QTest::newRow("unsigned bytes") << "F0 F0 7F 7F 00 F7" << 1 << 0x12;
    QTest::newRow("negative start") << "F0 05 00 F7" << -1 << 0;
    QTest::newRow("start past end") << "F0 05 00 F7" << 4 << 0;
    QTest::newRow("two bytes") << "F0 F7" << 0 << 0;
    QTest::newRow("one byte") << "F7" << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0;
    QTest::newRow("worked example") << "F0 43 00 7F 00 00 02 0E 00 00 01 02 00 F7" << 5 << 0x6D;
}

void TestSysexMessages::checksum()
{
    QFETCH(QString, hex);
    QFETCH(int, start);
    QFETCH(int, checksum);

    Buffer b;
    b.fromString(hex);
    QCOMPARE(Sysex::CalculateChecksum(&b, start), checksum);
    Sysex::UpdateChecksum(&b, start);
    if (b.size() >= 2)
        QCOMPARE(b.at(b.size() - 2), checksum);
    else
        QCOMPARE(b.toString(-1), hex); // nothing to write into
    QCOMPARE(Sysex::CalculateChecksum(nullptr, start), 0);
    Sysex::SetChecksum(nullptr, 1);
}

void TestSysexMessages::formatSysex_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("result");

    const QString dumpTemplate = QString::fromLatin1(TestSysex::BulkDumpTemplate);
    QTest::newRow("worked example") << dumpTemplate << QVariantList{"7F 00", 0x0E0000u, "01 02"}
                                    << "F0 43 00 7F 00 00 02 0E 00 00 01 02 6D F7";
    QTest::newRow("bulk dump without data")
        << dumpTemplate << QVariantList{"7F 00", 0x0E0000u, ""} << "F0 43 00 7F 00 00 00 0E 00 00 72 F7";
    QTest::newRow("count in two 7-bit groups")
        << "F0 #2 %D F7" << QVariantList{QString(QStringLiteral("00 ")).repeated(130)}
        << "F0 01 02" + QString(QStringLiteral(" 00")).repeated(130) + " F7";
    QTest::newRow("parameter change")
        << QString::fromLatin1(TestSysex::ParameterChangeTemplate)
        << QVariantList{"7F 00", 0x37000Du, "01 48 "} << "F0 43 10 7F 00 37 00 0D 01 48 F7";
    QTest::newRow("parameter request") << QString::fromLatin1(TestSysex::ParameterRequestTemplate)
                                       << QVariantList{"7F 00", 0x10000Cu} << "F0 43 30 7F 00 10 00 0C F7";
    QTest::newRow("no # ignores data size") << "F0 %D F7" << QVariantList{"01 02 03"} << "F0 01 02 03 F7";
    QTest::newRow("%D before #") << "F0 %D #1 F7" << QVariantList{"01 02"} << "F0 01 02 00 F7";
    QTest::newRow("later %D replaces the count")
        << "F0 #1 %D %D F7" << QVariantList{"01 02 03", "04"} << "F0 01 01 02 03 04 F7";
    QTest::newRow("other % code swallows an argument")
        << "F0 %X %M F7" << QVariantList{"AA", "7F"} << "F0 7F F7";
    QTest::newRow("% at the end swallows an argument") << "F0 %" << QVariantList{"AA"} << "F0";
    QTest::newRow("%A cuts to its width") << "F0 %A1 F7" << QVariantList{0x1234u} << "F0 34 F7";
    QTest::newRow("%A0 prints nothing") << "F0 %A0 %M F7" << QVariantList{5u, "01"} << "F0 01 F7";
    QTest::newRow("%A non-digit consumes and prints nothing")
        << "F0 %AZ %M F7" << QVariantList{0x1234u, "01"} << "F0 01 F7";
    QTest::newRow("%A at the end") << "F0 %A" << QVariantList{0x1234u} << "F0";
    QTest::newRow("# non-digit prints nothing") << "F0 #A %D F7" << QVariantList{"01"} << "F0 01 F7";
    QTest::newRow("# at the end") << "F0 01 #" << QVariantList{} << "F0 01";
    QTest::newRow("* non-digit writes 00") << "F0 01 *x F7" << QVariantList{} << "F0 01 00 F7";
    QTest::newRow("* at the end") << "F0 01 *" << QVariantList{} << "F0 01 00";
    QTest::newRow("* start past the end") << "F0 01 *9 F7" << QVariantList{} << "F0 01 00 F7";
    QTest::newRow("missing arguments") << "F0 %M %A2 %D F7" << QVariantList{} << "F0 00 00 F7";
    QTest::newRow("white space simplified")
        << "  F0\t43 \n %M   F7 " << QVariantList{"7F  00"} << "F0 43 7F 00 F7";
    QTest::newRow("empty template") << "" << QVariantList{"7F"} << "";
}

void TestSysexMessages::formatSysex()
{
    QFETCH(QString, templ);
    QFETCH(QVariantList, args);
    QFETCH(QString, result);

    const QString text = Sysex::FormatSysexV(templ, args);
    QCOMPARE(text, result);
    QVERIFY(!text.contains(QLatin1String("[#]")));
    QVERIFY(!text.contains(QLatin1String("[*]")));
    QCOMPARE(Sysex::FormatSysex(templ, args), result);
}

void TestSysexMessages::formatSysexTypedForms()
{
    const QString templ = QString::fromLatin1(TestSysex::BulkDumpTemplate);
    const QString expected = QStringLiteral("F0 43 00 7F 00 00 02 0E 00 00 01 02 6D F7");
    QCOMPARE(Sysex::FormatSysex(templ, "7F 00", 0x0E0000u, "01 02"), expected);
    QCOMPARE(Sysex::FormatSysex(templ, QStringLiteral("7F 00"), 0x0E0000, QStringLiteral("01 02")), expected);
    QCOMPARE(Sysex::FormatSysex(QStringLiteral("F0 F7")), QStringLiteral("F0 F7"));

    // The result is a message of the instrument with a correct checksum.
    TestSysex s;
    s.fromString(expected);
    QVERIFY(s.isHeader());
    QVERIFY(sysexChecksumHolds(s));
}

void TestSysexMessages::testInstrument()
{
    TestDevice device;
    QCOMPARE(device.name(), QStringLiteral("Test Instrument"));
    std::unique_ptr<Sysex> created(device.createSysex());
    QVERIFY(created);
    QVERIFY(!created->isValid());
    MidiDevice generic(QStringLiteral("Generic"), 10);
    QVERIFY(!generic.createSysex());
    QCOMPARE(generic.getIndexedAddress(0x500, 3), 0xFFFFFFFFu);

    TestSysex s;
    s.prepareParameterChange(MidiParam(0x37000D, 2, false, false), 200);
    QCOMPARE(s.toString(-1), QStringLiteral("F0 43 10 7F 00 37 00 0D 01 48 F7"));
    QVERIFY(s.hasData());
    s.prepareParameterRequest(MidiParam(0x37000D, 2, false, false));
    QCOMPARE(s.toString(-1), QStringLiteral("F0 43 30 7F 00 37 00 0D F7"));
    QVERIFY(!s.hasData());
    s.prepareBulkRequest(TestSysex::HeaderAddress);
    QCOMPARE(s.type(), int(TestSysex::BulkRequest));
    QVERIFY(!s.isHeader());

    // Voice blocks carry the name; header and footer frame a dump.
    s.prepareBulkDump(0x100200, TestSysex::voiceData(QStringLiteral("Strings"), 16));
    QVERIFY(s.hasName());
    QVERIFY(s.hasCategory());
    QCOMPARE(s.readName(&device), QStringLiteral("Strings   "));
    QVERIFY(!s.isLastOfBulk());
    s.setAddress(0x100300);
    QCOMPARE(s.address(), 0x100300u);
    QCOMPARE(s.at(8), 0x03);
    QVERIFY(sysexChecksumHolds(s));
    unsigned int base = 0;
    unsigned int offset = 0;
    s.getBulkBaseAndOffset(0x10030C, base, offset);
    QCOMPARE(base, 0x100300u);
    QCOMPARE(offset, 0x0Cu);

    s.prepareBulkDump(TestSysex::FooterAddress, QByteArray());
    QVERIFY(s.isFooter());
    QVERIFY(s.isLastOfBulk());
    QVERIFY(!s.hasName());
    QCOMPARE(s.readName(&device), QString());
}

ORVANE_TEST_GUILESS_MAIN(TestSysexMessages)
#include "tst_sysex.moc"
