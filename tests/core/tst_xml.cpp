#include "TestEnvironment.h"
#include "XmlDocument.h"

#include <QSaveFile>
#include <QTemporaryDir>

namespace {

// An effect file and a panel file, loaded into one document in this order.
const QByteArray EffectsXml = R"(<?xml version="1.0" encoding="UTF-8"?>
<section name="Effects Parameters">
  <template name="TemplateReverb">
    <edit title="Time" index="0x28" min="-64"/>
  </template>
  <section value="0100" title="Hall 1"><include template="TemplateReverb"/></section>
  <section value="0101" title="Hall 2"/>
</section>
)";

const QByteArray PanelXml = R"(<?xml version="1.0"?>
<!-- hand written & kept as it is -->
<section title="DrumEditor">
  <section name="Drum:Key:AEG" title="AEG" type="Key" offset="24">
    <label title="&Number" note="Caf&#xE9; &amp; bar"/>
    <label title="&amp;Number"/>
    <label title="a && b &lt; &#65;&#x42; &unknown; &"/>
    <name>Grand <![CDATA[& <Upright>]]></name>
  </section>
  <section name="Voice:Common" value="0100" title="Common"/>
</section>
)";

} // namespace

class TestXml : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
            return QString();
        return path;
    }

    void loadBoth(XmlDocument& doc)
    {
        QVERIFY(doc.loadFile(writeFile(QStringLiteral("effects.xml"), EffectsXml)));
        QVERIFY2(doc.loadData(PanelXml), qPrintable(doc.errorString()));
    }

private slots:
    void searchesReachEveryFileInLoadOrder()
    {
        XmlDocument doc;
        loadBoth(doc);
        QCOMPARE(doc.root()->childCount(), 2);
        QCOMPARE(doc.root()->child(0)->attribute(QStringLiteral("name")),
                 QStringLiteral("Effects Parameters"));
        QCOMPARE(doc.root()->child(1)->attribute(QStringLiteral("title")), QStringLiteral("DrumEditor"));

        // Both files hold a section of value 0100: the file loaded first wins.
        XmlElement* hall =
            doc.findElement(QStringLiteral("section"), QStringLiteral("value"), QStringLiteral("0100"));
        QVERIFY(hall);
        QCOMPARE(hall->attribute(QStringLiteral("title")), QStringLiteral("Hall 1"));
        QCOMPARE(hall->parent(), doc.root()->child(0));

        XmlElement* aeg = doc.findElement(QStringLiteral("section"), QStringLiteral("name"),
                                          QStringLiteral("Drum:Key:AEG"));
        QVERIFY(aeg);
        QCOMPARE(aeg->childCount(), 4);
        QStringList tags;
        for (const XmlElement* child : aeg->children())
            tags << child->tagName();
        QCOMPARE(tags, QStringList({"label", "label", "label", "name"}));

        QCOMPARE(doc.findElement(QStringLiteral("section")), doc.root()->child(0));
        QCOMPARE(doc.findElement(QStringLiteral("label"), QStringLiteral("note")), aeg->child(0));
        QVERIFY(doc.findElement(QStringLiteral("template"), QStringLiteral("name"),
                                QStringLiteral("TemplateReverb")));
        QVERIFY(
            !doc.findElement(QStringLiteral("section"), QStringLiteral("name"), QStringLiteral("Missing")));
        QVERIFY(!doc.findElement(QStringLiteral("Section"), QStringLiteral("name"),
                                 QStringLiteral("Drum:Key:AEG")));
    }

    // A search by name gives the first match in document order, across files,
    // and follows every change of the document.
    void findByNameFollowsTheDocument()
    {
        XmlDocument doc;
        const QString section = QStringLiteral("section");
        const QString name = QStringLiteral("name");
        QVERIFY(doc.loadData(
            R"(<a><b><section name="S" title="inner"/></b><section name="S" title="outer"/></a>)"));
        QVERIFY(!doc.findElement(section, name, QStringLiteral("T")));
        QCOMPARE(doc.findElement(section, name, QStringLiteral("S"))->attribute(QStringLiteral("title")),
                 QStringLiteral("inner"));
        QVERIFY(!doc.loadData("<broken"));
        QVERIFY(doc.loadData(
            R"(<c><section name="T" title="second file"/><section name="S" title="late"/></c>)"));
        QCOMPARE(doc.findElement(section, name, QStringLiteral("T"))->attribute(QStringLiteral("title")),
                 QStringLiteral("second file"));
        QCOMPARE(doc.findElement(section, name, QStringLiteral("S"))->attribute(QStringLiteral("title")),
                 QStringLiteral("inner"));
        doc.clear();
        QVERIFY(!doc.findElement(section, name, QStringLiteral("S")));
        QVERIFY(doc.loadData(R"(<d><section name="S" title="new"/></d>)"));
        QCOMPARE(doc.findElement(section, name, QStringLiteral("S"))->attribute(QStringLiteral("title")),
                 QStringLiteral("new"));
    }

    void findSubElementSearchesBelowStart()
    {
        XmlDocument doc;
        loadBoth(doc);
        XmlElement* effects = doc.findElement(QStringLiteral("section"), QStringLiteral("name"),
                                              QStringLiteral("Effects Parameters"));
        XmlElement* panel = doc.root()->child(1);
        const QString section = QStringLiteral("section");
        const QString value = QStringLiteral("value");

        QCOMPARE(XmlDocument::findSubElement(effects, section, value, QStringLiteral("0101"))
                     ->attribute(QStringLiteral("title")),
                 QStringLiteral("Hall 2"));
        QCOMPARE(XmlDocument::findSubElement(panel, section, value, QStringLiteral("0100"))
                     ->attribute(QStringLiteral("title")),
                 QStringLiteral("Common"));
        QVERIFY(!XmlDocument::findSubElement(panel, section, value, QStringLiteral("0101")));
        // The start element itself is not a match.
        QVERIFY(!XmlDocument::findSubElement(effects, section, QStringLiteral("name"),
                                             QStringLiteral("Effects Parameters")));
        QVERIFY(!XmlDocument::findSubElement(nullptr, section, value, QStringLiteral("0100")));
        QCOMPARE(XmlDocument::findSubElement(doc.root(), section, QStringLiteral("name"),
                                             QStringLiteral("Voice:Common")),
                 panel->child(1));
    }

    void attributesAndText()
    {
        XmlDocument doc;
        loadBoth(doc);
        XmlElement* aeg = doc.findElement(QStringLiteral("section"), QStringLiteral("name"),
                                          QStringLiteral("Drum:Key:AEG"));
        QVERIFY(aeg);
        const QString title = QStringLiteral("title");
        QCOMPARE(aeg->child(0)->attribute(title), QStringLiteral("&Number"));
        QCOMPARE(aeg->child(0)->attribute(QStringLiteral("note")), QStringLiteral("Café & bar"));
        QCOMPARE(aeg->child(1)->attribute(title), QStringLiteral("&Number"));
        QCOMPARE(aeg->child(2)->attribute(title), QStringLiteral("a && b < AB &unknown; &"));
        QCOMPARE(aeg->child(3)->text(), QStringLiteral("Grand & <Upright>"));

        QVERIFY(aeg->hasAttribute(QStringLiteral("type")));
        QVERIFY(!aeg->hasAttribute(QStringLiteral("Type")));
        QCOMPARE(aeg->attribute(QStringLiteral("absent")), QString());
    }

    void intAttribute_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("hex") << QStringLiteral("0x28") << 40;
        QTest::newRow("negative") << QStringLiteral("-64") << -64;
        QTest::newRow("negative hex") << QStringLiteral("-0x10") << -16;
        QTest::newRow("leading zero") << QStringLiteral("0100") << 100;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("not a number") << QStringLiteral("x1") << 0;
        QTest::newRow("out of range") << QStringLiteral("4294967296") << 0;
    }

    void intAttribute()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        XmlDocument doc;
        QVERIFY(doc.loadData("<edit v=\"" + text.toUtf8() + "\"/>"));
        QCOMPARE(doc.root()->child(0)->intAttribute(QStringLiteral("v")), number);
        QCOMPARE(doc.root()->child(0)->intAttribute(QStringLiteral("absent")), 0);
    }

    void malformedInputLeavesTheDocumentAsItWas_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("unclosed") << QByteArray("<section name=\"Bad\"><edit></section>");
        QTest::newRow("two top elements") << QByteArray("<section name=\"Bad\"/><section/>");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not xml") << QByteArray("[VOICES]\nRidev=1\n");
    }

    void malformedInputLeavesTheDocumentAsItWas()
    {
        QFETCH(QByteArray, bytes);
        XmlDocument doc;
        QVERIFY(doc.loadData(EffectsXml));
        XmlElement* hall =
            doc.findElement(QStringLiteral("section"), QStringLiteral("title"), QStringLiteral("Hall 1"));

        QVERIFY(!doc.loadFile(writeFile(QStringLiteral("bad.xml"), bytes)));
        QVERIFY(!doc.errorString().isEmpty());
        QCOMPARE(doc.root()->childCount(), 1);
        QVERIFY(!doc.findElement(QStringLiteral("section"), QStringLiteral("name"), QStringLiteral("Bad")));
        QCOMPARE(
            doc.findElement(QStringLiteral("section"), QStringLiteral("title"), QStringLiteral("Hall 1")),
            hall);
        QVERIFY(!doc.loadFile(m_dir.filePath(QStringLiteral("missing.xml"))));
        QCOMPARE(doc.root()->childCount(), 1);
    }
};

ORVANE_TEST_GUILESS_MAIN(TestXml)
#include "tst_xml.moc"
