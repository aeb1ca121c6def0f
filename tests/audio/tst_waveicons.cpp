// The wave editor's tool pictures: in the resources, and as the icon tool
// draws them.
#include "RedrawnImages.h"
#include "TestEnvironment.h"

#include <QImage>
#include <QTest>

class TestWaveIcons : public QObject
{
    Q_OBJECT

private slots:
    void picturesAreTheToolsDrawing()
    {
        const QStringList names{"wave_fit", "wave_trim", "wave_norm", "wave_xfade", "wave_pp"};
        for (const QString& name : names)
            QCOMPARE(QImage(QStringLiteral(":/orvane/images/%1.png").arg(name)).size(), QSize(32, 32));
        const QString differs = comparePaintedImages(QStringLiteral("--waves"), QStringLiteral(":/orvane/images/"), names);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }
};

ORVANE_TEST_MAIN(TestWaveIcons)
#include "tst_waveicons.moc"
