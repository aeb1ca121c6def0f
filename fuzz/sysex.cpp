// System-exclusive messages: the analysis of any bytes and every operation on
// the data region, and the template formatter.
//
// Input: a mode byte. Even: a message (a length and its bytes), then
// operations on its data region, each a kind and its arguments, some reading
// a second message from the input; every write is checked to stay in the
// region, to store seven bits and to keep the checksum. Odd: a template and up
// to four arguments for the formatter.
#include "FuzzSupport.h"
#include "MidiParam.h"
#include "TestSysex.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace {

std::vector<uint8_t> takeMessage(FuzzedDataProvider& input)
{
    return input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 300));
}

void analyse(TestSysex& msg, const std::vector<uint8_t>& bytes)
{
    msg.copy(bytes.data(), int(bytes.size()));
    FUZZ_CHECK(msg.size() == int(bytes.size()));
    if (!msg.isValid())
        return;
    // The region the analysis claims lies inside the message.
    if (msg.dataStart() >= 0) {
        FUZZ_CHECK(msg.dataStart() + msg.dataSize() <= msg.size() - 1);
        FUZZ_CHECK(msg.dataSize() >= 0);
    }
}

// What a write may change: bytes inside the data region, and the checksum.
void checkWrite(const TestSysex& msg, const QByteArray& before, bool checksumCurrent)
{
    FUZZ_CHECK(msg.size() == before.size());
    const int checksumAt = msg.checksumStart() != -1 ? msg.size() - 2 : -1;
    for (int i = 0; i < msg.size(); ++i) {
        const bool inRegion = msg.dataStart() >= 0 && i >= msg.dataStart() &&
                              i < msg.dataStart() + msg.dataSize() && i != checksumAt && i < msg.size() - 1;
        if (i == checksumAt)
            continue;
        if (!inRegion)
            FUZZ_CHECK(msg.at(i) == static_cast<unsigned char>(before.at(i)));
        else if (msg.at(i) != static_cast<unsigned char>(before.at(i)))
            FUZZ_CHECK(msg.at(i) < 0x80);
    }
    if (checksumAt != -1 && checksumCurrent)
        FUZZ_CHECK(Sysex::CalculateChecksum(&msg, msg.checksumStart()) == msg.at(checksumAt));
}

void messageOperations(FuzzedDataProvider& input)
{
    TestSysex msg;
    analyse(msg, takeMessage(input));
    (void)msg.isId();
    (void)msg.printAnalysis();
    (void)msg.dataToString();

    int steps = 0;
    while (input.remaining_bytes() > 0 && ++steps < 64) {
        const QByteArray before = msg.bytes();
        const int pos = input.ConsumeIntegralInRange<int>(-4, 300);
        const int count = input.ConsumeIntegralInRange<int>(-4, 300);
        switch (input.ConsumeIntegralInRange<int>(0, 7)) {
        case 0:
            msg.setDataAt(pos, input.ConsumeIntegral<int>());
            checkWrite(msg, before, msg.dataAt(pos) != 255);
            break;
        case 1: {
            TestSysex other;
            analyse(other, takeMessage(input));
            msg.copyData(&other, pos, count);
            checkWrite(msg, before, true);
            break;
        }
        case 2: {
            Buffer src;
            const std::vector<uint8_t> raw = input.ConsumeBytes<uint8_t>(size_t(qMax(count, 0)));
            src.append(raw.data(), int(raw.size()));
            msg.copyDataFromBuffer(pos, &src, input.ConsumeIntegralInRange<int>(-4, 300), count);
            checkWrite(msg, before, true);
            break;
        }
        case 3: {
            const std::string text = input.ConsumeRandomLengthString(40);
            msg.storeDataText(QString::fromLatin1(text.data(), qsizetype(text.size())), pos, count, ' ');
            checkWrite(msg, before, count >= 1 && pos >= 0 && pos + count <= msg.dataSize());
            break;
        }
        case 4: {
            const QString text = msg.readDataText(pos, count);
            FUZZ_CHECK(text.isEmpty() || text.size() == count);
            Buffer out(8);
            msg.copyDataToBuffer(pos, &out, input.ConsumeIntegralInRange<int>(-4, 8), count);
            FUZZ_CHECK(out.size() == 8);
            break;
        }
        case 5: {
            MidiParam param(input.ConsumeIntegral<unsigned int>(), input.ConsumeIntegralInRange<int>(-2, 40),
                            input.ConsumeBool(), false);
            const int value = msg.getParameterData(param);
            (void)value;
            msg.prepareParameterChange(param, input.ConsumeIntegral<int>());
            break;
        }
        case 6:
            msg.setAddress(input.ConsumeIntegral<unsigned int>());
            break;
        default: {
            Buffer data;
            msg.dataToBuffer(&data);
            FUZZ_CHECK(data.size() <= msg.dataSize());
            break;
        }
        }
    }
}

void formatter(FuzzedDataProvider& input)
{
    const std::string templ = input.ConsumeRandomLengthString(200);
    QList<QVariant> args;
    const int count = input.ConsumeIntegralInRange<int>(0, 4);
    for (int i = 0; i < count; ++i) {
        if (input.ConsumeBool())
            args.append(input.ConsumeIntegral<unsigned int>());
        else
            args.append(QString::fromStdString(input.ConsumeRandomLengthString(60)));
    }
    const QString text =
        Sysex::FormatSysexV(QString::fromLatin1(templ.data(), qsizetype(templ.size())), args);
    FUZZ_CHECK(text == text.simplified());
    // What parses as bytes is a message the instrument class may analyse.
    TestSysex msg;
    if (msg.fromString(text))
        (void)msg.printAnalysis();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    FuzzedDataProvider input(data, size);
    if (input.ConsumeIntegral<uint8_t>() & 1)
        formatter(input);
    else
        messageOperations(input);
    return 0;
}
