// The layout lint: the test layouts and the shipped effect panels pass it,
// and each kind of fault it looks for is reported where it stands.
#include "LayoutRig.h"
#include "PanelLint.h"
#include "TestEnvironment.h"

namespace {

QString lintLayoutPath(const char* name)
{
    return QStringLiteral(ORVANE_SOURCE_DIR "/tests/panels/layouts/") + QLatin1String(name);
}

} // namespace

class TestPanelLint : public QObject
{
    Q_OBJECT

private slots:
    void testLayoutsPass()
    {
        LayoutRig rig;
        QVERIFY(rig.device.xml()->loadFile(lintLayoutPath("effects.xml")));
        QVERIFY(rig.device.xml()->loadFile(lintLayoutPath("editor.xml")));
        QVERIFY(rig.device.ini()->loadFile(lintLayoutPath("tables.ini")));
        PanelLint lint(&rig.device);
        lint.allowDisabled({QStringLiteral("edit1")});
        QCOMPARE(lint.check(), QStringList());
    }

    // The instrument's effect panels, against the instrument's tables. The
    // editors' layouts join here as they are written.
    void shippedLayoutsPass()
    {
        LayoutRig rig;
        QVERIFY(rig.device.xml()->loadResource(QStringLiteral(":/vesk/data/effects_ES.xml")));
        QVERIFY(rig.device.ini()->loadResource(QStringLiteral(":/vesk/data/data_ES.ini")));
        PanelLint lint(&rig.device);
        QCOMPARE(lint.check(), QStringList());
    }

    void findings_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("findings");
        const QString at = QStringLiteral("section[L]/");
        QTest::newRow("unknown element")
            << R"(<eidt title="A"/>)" << QStringList{at + R"(eidt[A]: unknown element "eidt")"};
        QTest::newRow("unknown attribute") << R"(<edit title="A" adress="300000"/>)"
                                           << QStringList{at + R"(edit[A]: unknown attribute "adress")"};
        QTest::newRow("own attribute of another element")
            << R"(<check title="A" chars="10"/>)"
            << QStringList{at + R"(check[A]: unknown attribute "chars")"};
        QTest::newRow("not a number") << R"(<edit title="A" width="9O"/>)"
                                      << QStringList{at + R"(edit[A]: "width" is not a number: "9O")"};
        QTest::newRow("not hexadecimal")
            << R"(<edit title="A" address="31yy0E"/>)"
            << QStringList{at + R"(edit[A]: "address" is not a hexadecimal expression: "31yy0E")"};
        QTest::newRow("unknown key") << R"(<check title="A" key="Shift"/>)"
                                     << QStringList{at + R"(check[A]: no key is named "Shift")"};
        QTest::newRow("missing table")
            << R"(<combo title="A" items="NO_SUCH"/>)"
            << QStringList{at + R"(combo[A]: no table "NO_SUCH" in the device data)"};
        QTest::newRow("missing bank set")
            << R"(<patch title="A" banks="NO_BANKS"/>)"
            << QStringList{at + R"(patch[A]: no bank set "NO_BANKS" in the device data)"};
        QTest::newRow("include without template")
            << R"(<include/>)" << QStringList{at + "include: include without a template"};
        QTest::newRow("missing template")
            << R"(<include template="Gone"/>)" << QStringList{at + R"(include: no template "Gone")"};
        QTest::newRow("bits without bit")
            << R"(<check title="A" bits="4"/>)" << QStringList{at + R"(check[A]: "bits" without "bit")"};
        QTest::newRow("max past the table")
            << R"(<combo title="A" items="a|b|c" max="5"/>)"
            << QStringList{at + R"(combo[A]: max 5 past the last entry (2) of "a|b|c")"};
        QTest::newRow("negative min")
            << R"(<edit title="A" min="-1" max="10"/>)"
            << QStringList{at + "edit[A]: min -1 below 0: the value controls take -1 for no value"};
        QTest::newRow("negative min as a 32-bit pattern")
            << R"(<range title="A" min="0xFFFFFFC0" max="0x40"/>)"
            << QStringList{at + "range[A]: min -64 below 0: the value controls take -1 for no value"};
        QTest::newRow("default outside") << R"(<edit title="A" min="1" max="10" default="0"/>)"
                                         << QStringList{at + "edit[A]: default 0 outside 1..10"};
        QTest::newRow("string without chars")
            << R"(<string title="A"/>)" << QStringList{at + R"(string[A]: a string without "chars")"};
        QTest::newRow("opens a missing section")
            << R"(<button title="A" section="Nowhere"/>)"
            << QStringList{at + R"(button[A]: opens a section the layouts lack: "Nowhere")"};
        QTest::newRow("two sections of one name")
            << R"(<section name="L" title="Again"/>)"
            << QStringList{R"(section[L]/section[L]: a second section named "L")"};
        QTest::newRow("disabled element not allowed")
            << R"(<combo1 title="A"/>)" << QStringList{at + R"(combo1[A]: unknown element "combo1")"};
    }
    void findings()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, findings);
        LayoutRig rig;
        QVERIFY(rig.load(QStringLiteral("<section name=\"L\">%1</section>").arg(body).toUtf8()));
        QCOMPARE(PanelLint(&rig.device).check(), findings);
    }

    void templates()
    {
        LayoutRig rig;
        QVERIFY(rig.load(QByteArrayLiteral(R"(<section name="Effects">
            <template name="A"><include template="B"/></template>
            <template name="B"><edit1 title="Off"/><include template="A"/></template>
            <template name="C"><include template="C"/></template>
            <template name="A"/>
            <section value="0100"><include template="A"/></section>
        </section>)")));
        PanelLint lint(&rig.device);
        lint.allowDisabled({QStringLiteral("edit1")});
        QCOMPARE(lint.check(), (QStringList{"template[A]: a second template of this name",
                                            "template[A]: includes itself: A > B > A",
                                            "template[C]: includes itself: C > C"}));
    }
};

ORVANE_TEST_MAIN(TestPanelLint)
#include "tst_panellint.moc"
