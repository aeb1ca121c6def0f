// Device tables and bank sets from INI data: the input's sections read as
// tables and as bank sets of a device, and the input as a token list.
#include "DeviceTable.h"
#include "DeviceBank.h"
#include "FuzzSupport.h"
#include "IniFile.h"
#include "TestSysex.h"

#include <QHash>

#include <memory>

namespace {

void checkTable(const DeviceTable& table)
{
    FUZZ_CHECK(table.size() <= DeviceTable::MaxEntries);
    QHash<int, int> first;
    for (qsizetype i = 0; i < table.size(); ++i) {
        const TableData& entry = table.at(i);
        if (!first.contains(entry.value))
            first.insert(entry.value, int(i));
        (void)entry.fullPathName();
    }
    // The first entry of a value is the one its look-up finds; a few values
    // are checked (all of them would make a large table quadratic).
    for (qsizetype i = 0; i < table.size(); i += 1 + table.size() / 16)
        FUZZ_CHECK(table.indexOf(table.at(i).value) == first.value(table.at(i).value));
    (void)table.toString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    const QByteArray bytes = Fuzz::bytes(data, size);

    DeviceTable tokens;
    tokens.loadTokens(QString::fromLatin1(bytes));
    checkTable(tokens);

    // The input's sections join the device's own data, as an instrument's
    // INI resource does. A fresh device each time: loading a set fills the
    // device's bank registry.
    auto dev = std::make_unique<TestDevice>();
    IniFile input;
    input.loadData(bytes);
    // A table of a damaged section may run to the entry limit; eight of them
    // keep one input well inside the time limit.
    const QStringList titles = input.keys().mid(0, 8);
    for (const QString& title : titles)
        dev->ini()->add(title, input.section(title)->createCopy());
    for (const QString& title : titles) {
        checkTable(*dev->createTable(title));
        BankSet set(dev.get(), title);
        for (const auto& bank : std::as_const(set))
            FUZZ_CHECK(bank && bank->count() >= 1 && bank->count() <= 128);
    }
    return 0;
}
