// One instance per program and user: the first caller claims the program's
// socket name, later texts reach its instance window in order (relative
// file paths made absolute, texts sent before the window exists kept for
// it), and a connection that breaks off mid-text hands nothing over.
// The whole program round trip is in the editors' program tests.
#include "Instance.h"
#include "MainWindow.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "Waiting.h"

#include <QDir>
#include <QLocalSocket>
#include <QTemporaryDir>

namespace {

class OpeningWindow : public MainWindow
{
public:
    void openFile(const QString& path) override { opened.append(path); }
    QStringList opened;
};

} // namespace

class TestInstance : public QObject
{
    Q_OBJECT

private slots:
    void handOver()
    {
        Profile::setIdentity(QStringLiteral("Instance Test"));
        QVERIFY(Instance::socketName().startsWith(qEnvironmentVariable("XDG_RUNTIME_DIR")));
        QVERIFY(!IsApplicationRunning());
        QVERIFY(Instance::isListening());
        // The instance itself is no second start.
        QVERIFY(!IsApplicationRunning());

        // Before the window exists.
        QVERIFY(Instance::passText(QStringLiteral("/early.syx")));
        // Waits for the instance to take the text in; it keeps it.
        QTRY_COMPARE_WITH_TIMEOUT(Instance::waitingTexts(), 1, Waiting::EventMs);

        // Half a text, then the connection goes: nothing comes of it.
        {
            QLocalSocket broken;
            broken.connectToServer(Instance::socketName());
            QVERIFY(broken.waitForConnected(1000));
            broken.write(QByteArray::fromHex("00000010") + "/cut");
            broken.waitForBytesWritten(1000);
        }

        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        QFile file(QStringLiteral("here.voi"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        OpeningWindow window;
        QVERIFY(Instance::passText(QStringLiteral("here.voi")));
        QVERIFY(Instance::passText(QString())); // raises the window, opens nothing
        QVERIFY(Instance::passText(QStringLiteral("missing.voi")));
        QTRY_COMPARE(window.opened.size(), 3);
        QCOMPARE(window.opened, QStringList({QStringLiteral("/early.syx"), dir.filePath(QStringLiteral("here.voi")),
                                             QStringLiteral("missing.voi")}));
    }
};

ORVANE_TEST_MAIN(TestInstance)
#include "tst_instance.moc"
