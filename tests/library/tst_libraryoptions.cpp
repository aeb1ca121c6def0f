// The librarian's settings record and its dependency options in the profile.
#include "Profile.h"
#include "TestEnvironment.h"
#include "VeskLib_Properties.h"

#include <QSettings>

class TestLibraryOptions : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        auto settings = Profile::settings();
        settings->clear();
        settings->sync();
    }

    void defaultsOfAnEmptyProfile()
    {
        VeskLib_Properties props;
        props.EditorsBar = false;
        props.OnStart = 0;
        props.dependencyOptions = DependencyOptions{0, false, Qt::green, Qt::green, Qt::green};
        props.load();
        QCOMPARE(props.EditorsBar, true);
        QCOMPARE(props.OnStart, 1);
        QCOMPARE(props.dependencyOptions.PasteChildren, 1);
        QCOMPARE(props.dependencyOptions.Colorize, true);
        QCOMPARE(props.dependencyOptions.Color1, QColor(255, 0, 0));
        QCOMPARE(props.dependencyOptions.Color2, QColor(0, 0, 255));
        QCOMPARE(props.dependencyOptions.Color3, QColor(255, 0, 255));
    }

    void storedAndReadBack()
    {
        {
            auto settings = Profile::settings();
            settings->setValue(QStringLiteral("EditorsBar"), 5);
            settings->setValue(QStringLiteral("Dependencies/Colorize"), 0);
            settings->sync();
        }
        VeskLib_Properties props;
        props.load();
        QCOMPARE(props.EditorsBar, true);
        QCOMPARE(props.dependencyOptions.Colorize, false);

        props.OnStart = 7; // kept as it is; the program opens nothing for it
        props.dependencyOptions.PasteChildren = 2;
        props.dependencyOptions.Color2 = QColor(1, 2, 3);
        props.store();
        QCOMPARE(Profile::readProfileInt(QString(), QStringLiteral("EditorsBar")), 1);
        QCOMPARE(Profile::readProfileInt(QStringLiteral("Dependencies"), QStringLiteral("Colorize"), 1), 0);
        VeskLib_Properties back;
        back.load();
        QCOMPARE(back.OnStart, 7);
        QCOMPARE(back.dependencyOptions.PasteChildren, 2);
        QCOMPARE(back.dependencyOptions.Color2, QColor(1, 2, 3));
        QCOMPARE(back.dependencyOptions.Color1, QColor(255, 0, 0));
    }
};

ORVANE_TEST_MAIN(TestLibraryOptions)
#include "tst_libraryoptions.moc"
