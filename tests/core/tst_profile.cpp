#include "Profile.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {
const QString Librarian = QStringLiteral("Vesk ES Ridev Vurivodez");
}

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Profile::setIdentity(Librarian, QString(), QStringLiteral("2.8.0"));
        QCOMPARE(Profile::title(), Librarian);
        QCOMPARE(Profile::organisation(), QStringLiteral("Tamsel"));
        QCOMPARE(Profile::version(), QStringLiteral("2.8.0"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("plainKey"); // the key as a plain QSettings sees it
        QTest::newRow("top level") << QString() << QStringLiteral("MidiIn");
        QTest::newRow("section") << QStringLiteral("MidiDevice") << QStringLiteral("MidiDevice/MidiIn");
    }

    void roundTrip()
    {
        QFETCH(QString, section);
        QFETCH(QString, plainKey);
        const QString key = QStringLiteral("MidiIn");
        const QString count = QStringLiteral("Delay");

        QCOMPARE(Profile::readProfileString(section, key, QStringLiteral("none")), QStringLiteral("none"));
        QCOMPARE(Profile::readProfileInt(section, count, -7), -7);

        QVERIFY(Profile::writeProfileString(section, key, QStringLiteral("Port 1 = Ü")));
        QVERIFY(Profile::writeProfileInt(section, count, 350));
        QCOMPARE(Profile::readProfileString(section, key, QStringLiteral("none")),
                 QStringLiteral("Port 1 = Ü"));
        QCOMPARE(Profile::readProfileInt(section, count, -7), 350);
        QCOMPARE(Profile::readProfileString(section, count), QStringLiteral("350"));

        // Another program of the suite reads the store by name alone.
        QSettings plain(QStringLiteral("Tamsel"), Librarian);
        QCOMPARE(plain.value(plainKey).toString(), QStringLiteral("Port 1 = Ü"));
        QCOMPARE(Profile::settings()->value(plainKey).toString(), QStringLiteral("Port 1 = Ü"));
    }

    void topLevelKeysReachTheFile()
    {
        QVERIFY(Profile::writeProfileString(QString(), QStringLiteral("MidiOut"), QStringLiteral("Out A")));
        const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                             QStringLiteral("/Tamsel/") + Librarian + QStringLiteral(".conf");
        QFile file(path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("MidiOut=Out A"));
        QVERIFY(!text.contains("/MidiOut"));
    }

    // Writing what the store holds leaves the file alone; a change, or a
    // value another program wrote meanwhile, is written.
    void unchangedValuesAreNotRewritten()
    {
        const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                             QStringLiteral("/Tamsel/") + Librarian + QStringLiteral(".conf");
        const auto inode = [&path]() {
            struct stat st
            {
            };
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
        };
        QVERIFY(Profile::writeProfileInt(QStringLiteral("Window"), QStringLiteral("Width"), 640));
        QVERIFY(Profile::writeProfileString(QStringLiteral("Window"), QStringLiteral("Title"),
                                            QStringLiteral("Mix")));
        const ino_t written = inode();
        QVERIFY(written != 0);
        QVERIFY(Profile::writeProfileInt(QStringLiteral("Window"), QStringLiteral("Width"), 640));
        QVERIFY(Profile::writeProfileString(QStringLiteral("Window"), QStringLiteral("Width"),
                                            QStringLiteral("640")));
        QVERIFY(Profile::writeProfileString(QStringLiteral("Window"), QStringLiteral("Title"),
                                            QStringLiteral("Mix")));
        QCOMPARE(inode(), written);

        QVERIFY(Profile::writeProfileInt(QStringLiteral("Window"), QStringLiteral("Width"), 641));
        QVERIFY(inode() != written);
        QCOMPARE(Profile::readProfileInt(QStringLiteral("Window"), QStringLiteral("Width")), 641);

        {
            QSettings other(QStringLiteral("Tamsel"), Librarian);
            other.setValue(QStringLiteral("Window/Width"), 800);
        }
        QVERIFY(Profile::writeProfileInt(QStringLiteral("Window"), QStringLiteral("Width"), 641));
        QSettings plain(QStringLiteral("Tamsel"), Librarian);
        QCOMPARE(plain.value(QStringLiteral("Window/Width")).toInt(), 641);
    }

    void intReadings_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("bool true") << QVariant(true) << 1;
        QTest::newRow("bool false") << QVariant(false) << 0;
        QTest::newRow("numeric text") << QVariant(QStringLiteral(" 42 ")) << 42;
        QTest::newRow("negative") << QVariant(-64) << -64;
        QTest::newRow("not a number") << QVariant(QStringLiteral("Port 1")) << 9;
    }

    void intReadings()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, expected);
        QSettings(QStringLiteral("Tamsel"), Librarian).setValue(QStringLiteral("Dependencies/flag"), stored);
        QCOMPARE(Profile::readProfileInt(QStringLiteral("Dependencies"), QStringLiteral("flag"), 9),
                 expected);
    }

    void identitySelectsTheStore()
    {
        const QString editor = QStringLiteral("Vesk ES Voice Editor");
        QVERIFY(Profile::writeProfileInt(QString(), QStringLiteral("OnStart"), 1));
        Profile::setIdentity(editor, QStringLiteral("Tamsel"), QStringLiteral("2.8.0"));
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("OnStart"), 0), 0);
        QCOMPARE(Profile::settings()->applicationName(), editor);
        Profile::setIdentity(Librarian);
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("OnStart"), 0), 1);
        QVERIFY(!Profile::writeProfileInt(QString(), QString(), 1));
    }

    void workersWriteAndReadAtOnce()
    {
        const int threads = 4;
        const int keys = 40;
        std::vector<std::thread> workers;
        for (int t = 0; t < threads; ++t) {
            workers.emplace_back([t] {
                const QString section = QStringLiteral("Worker%1").arg(t);
                for (int k = 0; k < keys; ++k) {
                    Profile::writeProfileInt(section, QString::number(k), t * 1000 + k);
                    Profile::readProfileString(QString(), QStringLiteral("MidiIn"));
                }
            });
        }
        for (std::thread& w : workers)
            w.join();
        for (int t = 0; t < threads; ++t) {
            for (int k = 0; k < keys; ++k)
                QCOMPARE(Profile::readProfileInt(QStringLiteral("Worker%1").arg(t), QString::number(k), -1),
                         t * 1000 + k);
        }
    }
};

ORVANE_TEST_GUILESS_MAIN(TestProfile)
#include "tst_profile.moc"
