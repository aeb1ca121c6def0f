// The main of every area's test executable: runs the test objects that one
// file of the area registered, with a private settings and data folder.
//   tst_<area>                 lists the area's test files
//   tst_<area> <file> [args]   runs that file's objects with QtTest's args
#include "TestEnvironment.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Registration
{
    QString name; // the file's name without "tst_" and ".cpp"
    const char* file;
    OrvaneTest::Factory factory;
    bool gui;
};

std::vector<Registration>& registry()
{
    static std::vector<Registration> list;
    return list;
}

} // namespace

bool OrvaneTest::registerTest(const char* sourceFile, Factory factory, bool gui)
{
    QString name = QFileInfo(QString::fromLocal8Bit(sourceFile)).completeBaseName();
    if (name.startsWith(QLatin1String("tst_")))
        name = name.mid(4);
    registry().push_back({name, sourceFile, factory, gui});
    return true;
}

int main(int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-') {
        for (const Registration& r : registry())
            std::printf("%s\n", qPrintable(r.name));
        return argc < 2 ? 0 : 1;
    }
    const QString wanted = QString::fromLocal8Bit(argv[1]);
    std::vector<const Registration*> chosen;
    bool gui = false;
    for (const Registration& r : registry()) {
        if (r.name == wanted) {
            chosen.push_back(&r);
            gui = gui || r.gui;
        }
    }
    if (chosen.empty()) {
        std::fprintf(stderr, "No test file \"%s\" in this executable\n", argv[1]);
        return 2;
    }

    // QtTest sees the program name followed by its own options.
    std::vector<char*> args;
    args.push_back(argv[0]);
    for (int i = 2; i < argc; ++i)
        args.push_back(argv[i]);
    int count = int(args.size());
    args.push_back(nullptr);

    TestEnvironment env;
    std::unique_ptr<QCoreApplication> app;
    if (gui)
        app = std::make_unique<QApplication>(count, args.data());
    else
        app = std::make_unique<QCoreApplication>(count, args.data());
    app->setAttribute(Qt::AA_Use96Dpi, true);

    int failed = 0;
    for (const Registration* r : chosen) {
        QTest::setMainSourcePath(r->file);
        std::unique_ptr<QObject> test(r->factory());
        failed += QTest::qExec(test.get(), count, args.data());
    }
    return failed;
}
