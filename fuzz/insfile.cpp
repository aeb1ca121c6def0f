// Instrument definition files read through the device, as at start and from
// the set-up dialog, then the voice bank set they define.
//
// Input: a length byte and that many characters of the model name (none: the
// file's only model, or the chooser, which is answered as cancelled), then
// the file.
#include "DeviceBank.h"
#include "FuzzSupport.h"
#include "Profile.h"
#include "TestSysex.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    if (size < 1)
        return 0;
    const size_t modelLength = qMin<size_t>(data[0] % 32, size - 1);
    const QString model =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(modelLength));
    const QString path = Fuzz::writeTempFile(QStringLiteral("fuzz.ins"),
                                             Fuzz::bytes(data + 1 + modelLength, size - 1 - modelLength));

    // A fresh device each time: a loaded file renames it and replaces its
    // voice banks. The file of the run before is forgotten first, or the new
    // device would load it on construction.
    const QString section = QStringLiteral("MidiDevice");
    if (!Profile::readProfileString(section, QStringLiteral("InsFile")).isEmpty())
        Profile::writeProfileString(section, QStringLiteral("InsFile"), QString());
    auto dev = std::make_unique<TestDevice>();
    const QString name = dev->name();
    const IniSection* voicesBefore = dev->ini()->section(QStringLiteral("VOICES"));
    if (!dev->loadInsFile(path, model)) {
        // Nothing changed.
        FUZZ_CHECK(dev->name() == name);
        FUZZ_CHECK(dev->ini()->section(QStringLiteral("VOICES")) == voicesBefore);
        return 0;
    }
    const IniSection* voices = dev->ini()->section(QStringLiteral("VOICES"));
    FUZZ_CHECK(voices);
    const int banks = voices->intValue(QStringLiteral("Ridev"));
    FUZZ_CHECK(banks >= 0 && voices->count() == banks + 2);
    BankSet set(dev.get(), QStringLiteral("VOICES"));
    FUZZ_CHECK(set.size() <= banks);
    for (const auto& bank : std::as_const(set)) {
        FUZZ_CHECK(bank && bank->count() >= 1 && bank->count() <= 128);
        (void)bank->patchName(bank->count() - 1);
    }
    return 0;
}
