// INI text: any bytes read, then written with the section and line printers
// and read back, which must give the same sections, keys and values. (Group
// lines have no printer: the suite reads them but never writes one.) The
// same bytes are also read verbatim.
#include "IniFile.h"
#include "FuzzSupport.h"

namespace {

QString write(const IniFile& ini)
{
    QString text;
    for (auto it = ini.cbegin(); it != ini.cend(); ++it) {
        const IniSection* section = it.value();
        FUZZ_CHECK(section && section->title() == it.key());
        text += section->printTitle();
        for (const QString& key : section->types())
            text += section->printLine(key);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    IniFile ini;
    ini.loadData(Fuzz::bytes(data, size));

    IniFile back;
    back.loadText(write(ini));
    FUZZ_CHECK(back.keys() == ini.keys());
    for (auto it = ini.cbegin(); it != ini.cend(); ++it) {
        const IniSection* a = it.value();
        const IniSection* b = back.section(it.key());
        FUZZ_CHECK(b);
        FUZZ_CHECK(b->types() == a->types());
        FUZZ_CHECK(a->count() == a->lines().size());
        for (const QString& key : a->types())
            FUZZ_CHECK(b->value(key) == a->value(key));
    }

    // Read verbatim (plug-in board files): whole sections, nothing decoded.
    IniFile verbatim;
    verbatim.loadData(Fuzz::bytes(data, size), IniFile::Verbatim);
    for (auto it = verbatim.cbegin(); it != verbatim.cend(); ++it) {
        FUZZ_CHECK(it.value() && it.value()->title() == it.key());
        FUZZ_CHECK(it.value()->count() == it.value()->lines().size());
    }
    return 0;
}
