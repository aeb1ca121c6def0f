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

// Every area of the suite is one executable (tests/<area>) holding all of its
// test files; each file registers its test object here instead of defining a
// main, and the area's runner (tests/support/TestRunner.cpp) runs the file
// named on its command line: "tst_device sysex -v2" runs tst_sysex.cpp of
// tests/device with QtTest's own options after the name.
namespace OrvaneTest {
using Factory = QObject* (*)();
// Registers a test object of the file `sourceFile`; `gui` asks for a
// QApplication instead of a QCoreApplication. Returns true.
bool registerTest(const char* sourceFile, Factory factory, bool gui);
} // namespace OrvaneTest

#define ORVANE_TEST_REGISTER_IMPL(TestObject, Gui, Id)                                                       \
    static const bool orvaneRegistered_##Id =                                                                \
        OrvaneTest::registerTest(__FILE__, []() -> QObject* { return new TestObject; }, Gui);
#define ORVANE_TEST_REGISTER(TestObject, Gui, Id) ORVANE_TEST_REGISTER_IMPL(TestObject, Gui, Id)

// A test file's last line: its test object, run under a QApplication
// (widgets) or a QCoreApplication. A file may register several objects. The
// registrations are numbered by a counter, not by line: the unity build puts
// several of an area's files into one translation unit.
#define ORVANE_TEST_MAIN(TestObject) ORVANE_TEST_REGISTER(TestObject, true, __COUNTER__)
#define ORVANE_TEST_GUILESS_MAIN(TestObject) ORVANE_TEST_REGISTER(TestObject, false, __COUNTER__)
