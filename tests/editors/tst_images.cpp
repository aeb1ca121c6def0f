// The editors' committed images are the icon tool's drawing: each program's
// images, drawn again, match the ones its resources hold (a shade may round
// differently on another machine), and the window shows its icon.
#include "EditorWindows.h"
#include "RedrawnImages.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

class TestEditorImages : public QObject
{
    Q_OBJECT

private slots:
    void drawnAgainMatch()
    {
        for (const QString program : {"VeskVoice", "VeskDrum", "VeskPerf", "VeskMaster", "VeskMix"}) {
            QTemporaryDir dir;
            QProcess tool;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
            tool.setProcessEnvironment(env);
            tool.start(QCoreApplication::applicationDirPath() + QStringLiteral("/make_icons"),
                       {QStringLiteral("--program"), program, dir.path()});
            QVERIFY2(tool.waitForFinished(60000), qPrintable(tool.errorString()));
            QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
                     tool.readAllStandardError().constData());
            const QStringList names = QDir(dir.path()).entryList({QStringLiteral("*.png")});
            QVERIFY(names.contains(QStringLiteral("splash_es.png")) && names.contains(QStringLiteral("icon101.png")));
            for (const QString& name : names) {
                const QImage drawn = QImage(dir.filePath(name)).convertToFormat(QImage::Format_ARGB32);
                const QImage kept =
                    QImage(QStringLiteral(":/%1/images/%2").arg(program, name)).convertToFormat(QImage::Format_ARGB32);
                QCOMPARE(kept.size(), drawn.size());
                int worst = 0;
                for (int y = 0; y < kept.height(); ++y) {
                    for (int x = 0; x < kept.width(); ++x) {
                        const QRgb a = drawn.pixel(x, y);
                        const QRgb b = kept.pixel(x, y);
                        worst = std::max({worst, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                          std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
                    }
                }
                QVERIFY2(worst <= 2, qPrintable(QStringLiteral("%1 %2: redraw it with make_icons --program %1 "
                                                               "resources/%1/images")
                                                    .arg(program, name)));
            }
        }
    }

    // The velocity curve and LFO wave combos show frame i of their strip
    // beside item i: a 16-pixel frame per item of the control's table.
    void choiceStrips()
    {
        const struct
        {
            const char* name;
            int items;
        } strips[] = {{"velocurves", 5}, {"lfowaves", 13}};
        RegisterEditorResources(VeskVoice::programInfo());
        QStringList names;
        for (const auto& strip : strips) {
            names.append(QString::fromLatin1(strip.name));
            QCOMPARE(QImage(QStringLiteral(":/vesk/images/%1.png").arg(strip.name)).size(), QSize(16 * strip.items, 14));
        }
        const QString differs = comparePaintedImages(QStringLiteral("--instrument"), QStringLiteral(":/vesk/images/"), names);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    void windowIcon()
    {
        VirtualMidiBus* bus = testBus();
        QVERIFY(bus);
        EditorRig rig(*bus);
        auto window = rig.build<VeskVoice>();
        QVERIFY(!window->windowIcon().isNull());
        QCOMPARE(window->windowIcon().pixmap(48).toImage().convertToFormat(QImage::Format_ARGB32),
                 QImage(QStringLiteral("VeskVoice:icon101.png")).convertToFormat(QImage::Format_ARGB32));
    }
};

ORVANE_TEST_MAIN(TestEditorImages)
#include "tst_images.moc"
