// Gives a test process its own settings and data folders, so tests never read
// or write the user's real profile and may run in parallel.
#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtTest>

class TestEnvironment
{
public:
    // Points XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_RUNTIME_DIR and HOME at a fresh
    // temporary folder. Call before the application object exists.
    TestEnvironment();
    QString root() const { return m_dir.path(); }
    QString dataHome() const;
    QString configHome() const;

private:
    QTemporaryDir m_dir;
};

// QTEST_MAIN / QTEST_GUILESS_MAIN with a private environment.
#define ORVANE_TEST_MAIN_IMPL(TestObject, AppClass)                                                          \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        TestEnvironment env;                                                                                 \
        AppClass app(argc, argv);                                                                            \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }

#define ORVANE_TEST_MAIN(TestObject) ORVANE_TEST_MAIN_IMPL(TestObject, QApplication)
#define ORVANE_TEST_GUILESS_MAIN(TestObject) ORVANE_TEST_MAIN_IMPL(TestObject, QCoreApplication)
