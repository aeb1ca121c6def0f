// The README leads a newcomer through commands that work: every path it names
// exists (a file of the source tree, or a program in the build tree that the
// script it names builds), every program it names is built, every option it
// gives a program is in that program's --help, and the simulator's ports it
// names are the simulator's. Checked on the README itself and, to show that
// the check finds what it must, on lines that name what is not there.
#include "TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>

namespace {

const QString ReadmeSource = QStringLiteral(ORVANE_SOURCE_DIR);

QString readmeText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The commands of a Markdown text in order: each line of an indented code
// block and each code span.
QStringList readmeCommands(const QString& markdown)
{
    QStringList result;
    static const QRegularExpression span(QStringLiteral("`([^`]+)`"));
    for (const QString& line : markdown.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("    "))) {
            result << line.trimmed();
            continue;
        }
        for (auto it = span.globalMatch(line); it.hasNext();)
            result << it.next().captured(1);
    }
    return result;
}

class ReadmeCheck
{
public:
    // Faults of the text, one line each; none when it is right.
    QStringList check(const QString& markdown)
    {
        QStringList faults;
        QString program; // the program named last: a bare option belongs to it
        for (const QString& command : readmeCommands(markdown)) {
            const QStringList words =
                command.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
            for (const QString& w : words) {
                const QString word = stripped(w);
                if (word.isEmpty() || word.startsWith(QLatin1Char('/')) || word.startsWith(QLatin1Char('[')))
                    continue;
                if (word.startsWith(QLatin1String("--"))) {
                    if (program.isEmpty())
                        faults << QStringLiteral("%1 names no program").arg(word);
                    else if (!help(program).contains(word.section(QLatin1Char('='), 0, 0)))
                        faults << QStringLiteral("%1 is not an option of %2").arg(word, program);
                } else if (word.startsWith(QLatin1String("build/"))) {
                    const QString fault = builtPath(word);
                    if (!fault.isEmpty())
                        faults << fault;
                    else if (word.contains(QLatin1String("/bin/")))
                        program = word.section(QLatin1Char('/'), -1);
                } else if (word.contains(QLatin1Char('/'))) {
                    if (!QFileInfo::exists(ReadmeSource + QLatin1Char('/') + word))
                        faults << QStringLiteral("%1 is not in the source tree").arg(word);
                } else if (isProgram(word)) {
                    program = word;
                } else if (word.startsWith(QLatin1String("Vesk"))) {
                    faults << QStringLiteral("%1 is not a program of the build tree").arg(word);
                } else {
                    static const QRegularExpression port(QStringLiteral("^([\\w-]+):(in|out)$"));
                    const auto match = port.match(word);
                    if (match.hasMatch() && match.captured(1) != QLatin1String("ORVANE") &&
                        !help(QStringLiteral("instrument-sim")).contains(match.captured(1)))
                        faults << QStringLiteral("%1 is not a port of instrument-sim").arg(word);
                }
            }
        }
        return faults;
    }

private:
    static QString stripped(QString word)
    {
        while (!word.isEmpty() && QStringLiteral(".,;:)(\"'").contains(word.back()))
            word.chop(1);
        while (!word.isEmpty() && QStringLiteral("(\"'").contains(word.front()))
            word.remove(0, 1);
        return word;
    }

    static QString readmeBinDir() { return QCoreApplication::applicationDirPath(); }

    static bool isProgram(const QString& name)
    {
        return QFileInfo(readmeBinDir() + QLatin1Char('/') + name).isExecutable();
    }

    // build/TREE, build/TREE/bin/PROGRAM: a script of tools/ builds TREE
    // (build=build/TREE) and the program in it (every target, or the program
    // named after --target), and the program is built here.
    QString builtPath(const QString& path) const
    {
        const QStringList parts = path.split(QLatin1Char('/'));
        const QString tree = parts.value(1);
        const bool withProgram = parts.size() == 4 && parts.at(2) == QLatin1String("bin");
        if (parts.size() != 2 && !withProgram)
            return QStringLiteral("%1 is no build tree or program in one").arg(path);
        const QString program = withProgram ? parts.at(3) : QString();
        if (withProgram && !isProgram(program))
            return QStringLiteral("%1: %2 is not a program of the build tree").arg(path, program);
        const QDir tools(ReadmeSource + QStringLiteral("/tools"));
        for (const QString& name : tools.entryList(QDir::Files)) {
            const QString script = readmeText(tools.filePath(name));
            if (!script.contains(QStringLiteral("build=build/%1\n").arg(tree)))
                continue;
            if (!withProgram)
                return QString();
            static const QRegularExpression build(QStringLiteral("cmake --build \"\\$build\"([^\\n]*)"));
            for (auto it = build.globalMatch(script); it.hasNext();) {
                const QString rest = it.next().captured(1);
                const int target = int(rest.indexOf(QLatin1String("--target")));
                if (target < 0 || rest.mid(target).split(QLatin1Char(' ')).contains(program))
                    return QString();
            }
        }
        return QStringLiteral("%1: no script of tools/ builds it").arg(path);
    }

    QString help(const QString& program)
    {
        if (!m_help.contains(program)) {
            QProcess process;
            process.setProcessChannelMode(QProcess::MergedChannels);
            process.start(readmeBinDir() + QLatin1Char('/') + program, {QStringLiteral("--help")});
            process.waitForFinished(60000);
            m_help.insert(program, QString::fromLocal8Bit(process.readAll()));
        }
        return m_help.value(program);
    }

    QHash<QString, QString> m_help; // --help of each program asked
};

} // namespace

class TestReadme : public QObject
{
    Q_OBJECT

private slots:
    void readmeNamesWhatIsThere()
    {
        const QString readme = readmeText(ReadmeSource + QStringLiteral("/README.md"));
        QVERIFY(!readme.isEmpty());
        // What a newcomer needs: a MIDI system to start, the librarian, and
        // the simulator where the librarian's command builds it.
        const QStringList given = readmeCommands(readme);
        for (const char* named : {"jackd -d dummy", "tools/run-librarian", "build/release/bin/instrument-sim"}) {
            const bool found = std::any_of(given.cbegin(), given.cend(),
                                           [named](const QString& c) { return c.startsWith(QLatin1String(named)); });
            QVERIFY2(found, named);
        }
        ReadmeCheck check;
        const QStringList faults = check.check(readme);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void checkFindsWhatIsNotThere_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("fault");
        QTest::newRow("right") << "Start `build/release/bin/instrument-sim --api jack --in x`."
                               << "";
        QTest::newRow("asan tree's program") << "    build/asan/bin/VeskLib"
                                             << "";
        QTest::newRow("source file") << "see `fuzz/README.md`"
                                     << "";
        QTest::newRow("no such file") << "run `tools/run-simulator`"
                                      << "not in the source tree";
        QTest::newRow("tree no script builds") << "`build/debug/bin/VeskLib`"
                                               << "no script of tools/";
        QTest::newRow("program the script does not build") << "`build/fuzz/bin/VeskLib`"
                                                           << "no script of tools/";
        QTest::newRow("no such program") << "`build/asan/bin/instrument-simulator`"
                                         << "not a program";
        QTest::newRow("no such option") << "`build/release/bin/instrument-sim --port 3`"
                                        << "--port is not an option of instrument-sim";
        QTest::newRow("option of the program named before") << "`instrument-sim` (its `--client` option)"
                                                            << "--client is not an option";
        QTest::newRow("no such editor") << "`VeskSynth`"
                                        << "not a program";
        QTest::newRow("no such port") << "connect to `vesk-synth:in`"
                                      << "not a port of instrument-sim";
    }

    void checkFindsWhatIsNotThere()
    {
        QFETCH(QString, text);
        QFETCH(QString, fault);
        ReadmeCheck check;
        const QStringList faults = check.check(text);
        if (fault.isEmpty()) {
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
        } else {
            QCOMPARE(faults.size(), 1);
            QVERIFY2(faults.first().contains(fault), qPrintable(faults.first()));
        }
    }
};

ORVANE_TEST_GUILESS_MAIN(TestReadme)
#include "tst_readme.moc"
