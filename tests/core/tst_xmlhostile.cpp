// XML texts built to make the reader slow or wrong: damaged panel and library
// files must load or fail quickly, and a bare "&" next to declarations must
// still read as text.
#include "TestEnvironment.h"
#include "XmlDocument.h"

class TestXmlHostile : public QObject
{
    Q_OBJECT

private slots:
    void ampersandsBesideDeclarations_data();
    void ampersandsBesideDeclarations();
    void manyDeclarationsWithoutSubset();
};

void TestXmlHostile::ampersandsBesideDeclarations_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("no declaration") << QByteArrayLiteral("<r t='a & b'/>") << QStringLiteral("a & b");
    QTest::newRow("declaration without subset")
        << QByteArrayLiteral("<!DOCTYPE r><r t='&amp; & &#65;'/>") << QStringLiteral("& & A");
    // A "[" after the declaration's end opens no subset.
    QTest::newRow("bracket after the declaration")
        << QByteArrayLiteral("<!DOCTYPE r><r t='[&]'/>") << QStringLiteral("[&]");
    QTest::newRow("internal subset") << QByteArrayLiteral("<!DOCTYPE r [<!ENTITY e 'E'>]><r t='&e; & b'/>")
                                     << QStringLiteral("E & b");
}

void TestXmlHostile::ampersandsBesideDeclarations()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, title);
    XmlDocument doc;
    QVERIFY2(doc.loadData(text), qPrintable(doc.errorString()));
    QCOMPARE(doc.findElement(QStringLiteral("r"))->attribute(QStringLiteral("t")), title);
}

void TestXmlHostile::manyDeclarationsWithoutSubset()
{
    // Each declaration once made the "&" pass search the rest of the text:
    // this took minutes in the sanitizer build and now takes milliseconds,
    // well inside the test's time limit. Given as bytes and as UTF-16, the
    // two forms the pass works on.
    QByteArray text = QByteArrayLiteral("<r t='&'/>");
    for (int i = 0; i < 40000; ++i)
        text += QByteArrayLiteral("<!DOCTYPE r>");
    XmlDocument bytes;
    QVERIFY2(bytes.loadData(text), qPrintable(bytes.errorString()));

    const QString utf16 = QString::fromLatin1(text);
    QByteArray encoded("\xFF\xFE", 2);
    encoded.append(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    XmlDocument wide;
    QVERIFY2(wide.loadData(encoded), qPrintable(wide.errorString()));
    for (const XmlDocument* doc : {&bytes, &wide})
        QCOMPARE(doc->findElement(QStringLiteral("r"))->attribute(QStringLiteral("t")), QStringLiteral("&"));
}

ORVANE_TEST_GUILESS_MAIN(TestXmlHostile)
#include "tst_xmlhostile.moc"
