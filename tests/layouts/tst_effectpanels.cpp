// The effect document against the instrument's effect type tables: one
// section per type with a panel, keyed by the type's two bytes and titled as
// the tables name the type; every reverb, chorus and master effect type and
// every type the initial patches hold has its panel; parameters are the
// section's or template's own children, numbered 1-16, two bytes each and
// placed by their number alone. The parameter titles that name a type's
// entries in the control destination list (each parameter's title, after
// the heading before it in its own section or template) come out as the
// editors show them for the delay, the hall and the combined effect.
#include "DeviceTable.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskDump.h"
#include "VeskRig.h"
#include "XmlDocument.h"

#include <QMap>
#include <QSet>

#include <memory>

namespace {

const QStringList& typeTables()
{
    static const QStringList names = {QStringLiteral("REVERB_TYPES"), QStringLiteral("CHORUS_TYPES"),
                                      QStringLiteral("INSFX_TYPES"), QStringLiteral("MASTER_FX_TYPES")};
    return names;
}

QString sectionKey(int value)
{
    return QStringLiteral("%1").arg(Data7to8(value), 4, 16, QLatin1Char('0')).toUpper();
}

// The titles of a type's sixteen parameters as the destination list takes
// them: a heading applies to the parameters after it in the same element.
void parameterTitles(const XmlDocument& doc, const XmlElement* element, QStringList& titles)
{
    QString heading;
    for (const XmlElement* child : element->children()) {
        if (child->tagName() == QLatin1String("include")) {
            const XmlElement* t = doc.findElement(QStringLiteral("template"), QStringLiteral("name"),
                                                  child->attribute(QStringLiteral("template")));
            if (t)
                parameterTitles(doc, t, titles);
        } else if (child->tagName() == QLatin1String("header")) {
            heading = child->attribute(QStringLiteral("title"));
        } else {
            const int i = child->intAttribute(QStringLiteral("index")) - 1;
            if (i >= 0 && i < titles.size()) {
                const QString title = child->attribute(QStringLiteral("title"));
                titles[i] = heading.isEmpty() ? title : heading + QLatin1Char(':') + title;
            }
        }
    }
}

} // namespace

class TestEffectPanels : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> vesk;
    const XmlElement* root = nullptr;
    QMap<QString, const XmlElement*> sections; // by value

    QStringList titlesOf(const QString& key)
    {
        QStringList titles(16);
        parameterTitles(*vesk->xml(), sections.value(key), titles);
        return titles;
    }

private slots:
    void initTestCase()
    {
        resetVeskTest();
        vesk = std::make_unique<Vesk>();
        root = vesk->xml()->findElement(QStringLiteral("section"), QStringLiteral("name"),
                                        QStringLiteral("Effects Parameters"));
        QVERIFY(root);
        for (const XmlElement* child : root->children()) {
            if (child->tagName() != QLatin1String("section"))
                continue;
            const QString value = child->attribute(QStringLiteral("value"));
            QVERIFY2(!sections.contains(value), qPrintable(value));
            sections.insert(value, child);
        }
    }

    void cleanupTestCase() { vesk.reset(); }

    void sectionsAndTables()
    {
        QCOMPARE(sections.size(), 98);
        QSet<QString> reached;
        QStringList withoutPanel;
        for (const QString& table : typeTables()) {
            for (const TableData& entry : *vesk->createTable(table)) {
                const QString key = sectionKey(entry.value);
                const XmlElement* s = sections.value(key);
                if (entry.value == 0) {
                    QVERIFY(!s);
                } else if (!s) {
                    QCOMPARE(table, QStringLiteral("INSFX_TYPES"));
                    withoutPanel << key;
                } else {
                    QCOMPARE(s->attribute(QStringLiteral("title")), entry.text);
                    reached.insert(key);
                }
            }
        }
        // The insertion types outnumber the panels; every panel has its type.
        QCOMPARE(withoutPanel.size(), 116 - 98);
        QCOMPARE(reached.size(), 98);
        QCOMPARE(sections.value(QStringLiteral("0130"))->attribute(QStringLiteral("title")),
                 QStringLiteral("Plate"));
        QCOMPARE(sections.value(QStringLiteral("0140"))->attribute(QStringLiteral("title")),
                 QStringLiteral("White Room"));
    }

    // The effect types of every initial patch are entries of their tables
    // and have their panels.
    void initialTypes()
    {
        const struct
        {
            int dump;
            unsigned int address;
            const char* table;
        } blocks[] = {
            {0, 0x400100, "REVERB_TYPES"},    {0, 0x400200, "CHORUS_TYPES"}, {0, 0x400300, "INSFX_TYPES"},
            {1, 0x460100, "REVERB_TYPES"},    {1, 0x460200, "CHORUS_TYPES"}, {3, 0x300100, "REVERB_TYPES"},
            {3, 0x301100, "MASTER_FX_TYPES"}, {4, 0x360200, "CHORUS_TYPES"}, {4, 0x361100, "MASTER_FX_TYPES"},
        };
        for (const auto& b : blocks) {
            const Sysex* block = vesk->initDump(b.dump)->getSysex(b.address);
            QVERIFY(block);
            const int value = block->dataAt(0) * 128 + block->dataAt(1);
            QVERIFY2(vesk->createTable(QLatin1String(b.table))->indexOf(value) >= 0, b.table);
            QVERIFY(value == 0 || sections.contains(sectionKey(value)));
        }
    }

    // Parameters stand directly in their section or template (a window's
    // titles look no deeper), numbered 1-16, two bytes, without an address.
    void parameters()
    {
        for (const XmlElement* element : root->children()) {
            int params = 0;
            for (const XmlElement* child : element->children()) {
                QVERIFY(child->tagName() != QLatin1String("tab"));
                if (!child->hasAttribute(QStringLiteral("index")))
                    continue;
                ++params;
                const int index = child->intAttribute(QStringLiteral("index"));
                QVERIFY(index >= 1 && index <= 16);
                QCOMPARE(child->attribute(QStringLiteral("size")), QStringLiteral("2"));
                QVERIFY(!child->hasAttribute(QStringLiteral("address")));
                QVERIFY(!child->attribute(QStringLiteral("title")).isEmpty());
            }
            if (element->tagName() == QLatin1String("section")) {
                QStringList titles(16);
                parameterTitles(*vesk->xml(), element, titles);
                QVERIFY2(titles.join(QString()).size() > 0,
                         qPrintable(element->attribute(QStringLiteral("value"))));
            }
        }
    }

    void destinationTitles()
    {
        QCOMPARE(titlesOf(QStringLiteral("0200")),
                 QStringList({"Delay:Time L", "Delay:Time R", "Delay:Time C", "Delay:Feedback Time",
                              "Delay:Feedback Level", "Delay:Level C", "Delay:Feedback Hi Damp", "", "",
                              "Delay:Dry/Wet Balance", "", "", "Equalizer:Low Freq", "Equalizer:Low Gain",
                              "Equalizer:High Freq", "Equalizer:High Gain"}));

        const QStringList hall = titlesOf(QStringLiteral("0100"));
        QCOMPARE(hall.first(), QStringLiteral("Reverb Time"));
        for (int i = 0; i < 16; ++i)
            QCOMPARE(hall.at(i).isEmpty(), (i >= 5 && i <= 8) || i == 15);

        // The heading before an include does not reach into it.
        const QStringList combined = titlesOf(QStringLiteral("0A40"));
        QVERIFY(combined.contains(QStringLiteral("Drive")));
        QVERIFY(combined.contains(QStringLiteral("Output Level")));
        QVERIFY(combined.contains(QStringLiteral("Delay:Time")));
        QVERIFY(combined.contains(QStringLiteral("Compressor:Attack")));
        QVERIFY(!combined.contains(QStringLiteral("Distortion:Drive")));
    }
};

ORVANE_TEST_GUILESS_MAIN(TestEffectPanels)
#include "tst_effectpanels.moc"
