// "Patch Properties" on one patch and on several: the fields it shows, the
// "<keep>" marks, the category list and the name's length.
#include "LibraryFixture.h"
#include "MidiEdit.h"
#include "PatchDump.h"
#include "PropertiesDlg.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskRig.h"

#include <QLineEdit>

#include <memory>

class TestPropertiesDlg : public QObject
{
    Q_OBJECT

    std::unique_ptr<Vesk> m_device;
    QList<PatchDump*> m_made;

    PatchDump* make(int type, const QString& name, const QString& category = QString(),
                    const QString& comment = QString())
    {
        m_made.append(MakePatch(m_device->createPatchDump(type), name, category, comment));
        return m_made.last();
    }

private slots:
    void initTestCase()
    {
        resetVeskTest();
        m_device = std::make_unique<Vesk>();
    }
    void cleanup()
    {
        qDeleteAll(m_made);
        m_made.clear();
    }
    void cleanupTestCase() { m_device.reset(); }

    void onePatch();
    void severalPatches();
    void patchWithoutCategory();
};

void TestPropertiesDlg::onePatch()
{
    Vector<PatchDump*> dumps;
    dumps << make(0, QStringLiteral("Piano 1"), QStringLiteral("Kb:CLAVI"), QStringLiteral("warm"));
    PropertiesDlg dialog(m_device.get(), &dumps);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Patch Properties"));
    QCOMPARE(dialog.name(), QStringLiteral("Piano 1"));
    QCOMPARE(dialog.category(), QStringLiteral("Kb:CLAVI"));
    QCOMPARE(dialog.comment(), QStringLiteral("warm"));
    QVERIFY(dialog.categoryEdit()->isEnabled());
    QCOMPARE(dialog.nameEdit()->selectedText(), QStringLiteral("Piano 1"));

    // The name holds what the patch holds: ten characters.
    dialog.nameEdit()->clear();
    QTest::keyClicks(dialog.nameEdit(), QStringLiteral("ABCDEFGHIJKLMN"));
    QCOMPARE(dialog.name(), QStringLiteral("ABCDEFGHIJ"));
    dialog.categoryEdit()->selectTableData(QStringLiteral("Ap:E.GRAND"));
    QCOMPARE(dialog.category(), QStringLiteral("Ap:E.GRAND"));
    dialog.accept();
    QCOMPARE(dialog.result(), 1);
    QCOMPARE(dumps.first()->name(false), QStringLiteral("Piano 1")); // the caller applies
}

void TestPropertiesDlg::severalPatches()
{
    Vector<PatchDump*> dumps;
    dumps << make(0, QStringLiteral("One"), QStringLiteral("Ap:A.PIANO"), QStringLiteral("a"))
          << make(0, QStringLiteral("Two"), QStringLiteral("Kb:CLAVI"), QStringLiteral("b"));
    PropertiesDlg dialog(m_device.get(), &dumps);
    QCOMPARE(dialog.name(), PropertiesDlg::Keep);
    QCOMPARE(dialog.category(), PropertiesDlg::Keep);
    QCOMPARE(dialog.comment(), PropertiesDlg::Keep);
    QCOMPARE(PropertiesDlg::Keep, QStringLiteral("<keep>"));
    dialog.commentEdit()->setText(QString());
    dialog.reject();
    QCOMPARE(dialog.result(), 0);
    QCOMPARE(dialog.comment(), QString());
    QCOMPARE(dialog.name(), PropertiesDlg::Keep);
}

void TestPropertiesDlg::patchWithoutCategory()
{
    // A master first: no category list, also for the performance after it.
    Vector<PatchDump*> dumps;
    dumps << make(5, QStringLiteral("Show")) << make(3, QStringLiteral("Split"), QStringLiteral("Co:SPLIT"));
    PropertiesDlg several(m_device.get(), &dumps);
    QVERIFY(!several.categoryEdit()->isEnabled());
    QCOMPARE(several.category(), PropertiesDlg::Keep);

    dumps.removeLast();
    PropertiesDlg one(m_device.get(), &dumps);
    QVERIFY(!one.categoryEdit()->isEnabled());
    QCOMPARE(one.category(), QString());
    QCOMPARE(one.name(), QStringLiteral("Show"));
}

ORVANE_TEST_MAIN(TestPropertiesDlg)
#include "tst_propertiesdlg.moc"
