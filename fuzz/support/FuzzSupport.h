// What every fuzz target shares: a quiet Qt process with a settings and data
// folder of its own, the test instrument's device, and checks whose failure
// libFuzzer reports as a finding.
//
// A target calls FUZZ_SETUP() first in LLVMFuzzerTestOneInput. Everything here
// runs on libFuzzer's one thread.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

class TestDevice;

namespace Fuzz {

// Once per process: the application object, settings and data under a
// temporary folder, the virtual MIDI backend, prompts that answer without a
// window, and Qt's warnings silenced (a parser's warning is no finding).
// With widgets, the application is a widget one on the offscreen platform,
// for targets that build panels.
bool setUp(bool widgets = false);

// The test instrument's device, made on first use and kept for the process.
TestDevice* device();

// Ends the process with the message; libFuzzer keeps the input.
[[noreturn]] void fail(const char* what, const char* file, int line);

QByteArray bytes(const uint8_t* data, size_t size);

// A file of the process's temporary folder, rewritten with the bytes; its path.
QString writeTempFile(const QString& name, const QByteArray& bytes);

} // namespace Fuzz

#define FUZZ_SETUP()                                                                                         \
    static const bool fuzzReady = Fuzz::setUp();                                                             \
    (void)fuzzReady
#define FUZZ_SETUP_WIDGETS()                                                                                 \
    static const bool fuzzReady = Fuzz::setUp(true);                                                         \
    (void)fuzzReady
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            Fuzz::fail(#condition, __FILE__, __LINE__);                                                      \
    } while (false)
