// The instrument's own messages: the analysis of any bytes, parameter reads
// from them with any parameter, names and the monitor text through the
// instrument's device, and parameter changes built and read back.
//
// Input: a message (a length and its bytes), then parameters to try, each an
// address, a size, a nibble flag and a value.
#include "VeskSysex.h"
#include "FuzzSupport.h"
#include "MidiParam.h"
#include "Vesk.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace {

Vesk* instrument()
{
    static Vesk* vesk = new Vesk;
    return vesk;
}

void checkRegion(VeskSysex& msg)
{
    if (!msg.isValid())
        return;
    FUZZ_CHECK(msg.dataStart() < 0 || msg.dataStart() + msg.dataSize() <= msg.size() - 1);
    (void)msg.printAnalysis();
    (void)msg.readName(instrument());
    (void)instrument()->displaySysex(&msg);
    (void)msg.isHeader();
    (void)msg.isFooter();
    (void)msg.hasCategory();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    FuzzedDataProvider input(data, size);
    const std::vector<uint8_t> bytes =
        input.ConsumeBytes<uint8_t>(input.ConsumeIntegralInRange<size_t>(0, 400));
    VeskSysex msg;
    msg.copy(bytes.data(), int(bytes.size()));
    checkRegion(msg);

    int tries = 0;
    while (input.remaining_bytes() > 0 && ++tries < 32) {
        MidiParam param(input.ConsumeIntegral<unsigned int>(), input.ConsumeIntegralInRange<int>(-1, 8),
                        input.ConsumeBool(), false);
        const int pos = msg.getParameterPos(param);
        // A value is read whole from the data region or not at all.
        FUZZ_CHECK(pos < 0 || pos + qMax(param.size, 1) <= msg.dataSize());
        // Up to four bytes a value fits 28 bits; longer ones keep their low
        // 32 bits and may come out negative.
        const int value = msg.getParameterData(param);
        FUZZ_CHECK(value >= -1 || param.size > 4);
        unsigned int base = 0;
        unsigned int offset = 0;
        msg.getBulkBaseAndOffset(param.address(), base, offset);
        // Addresses are three bytes wide.
        FUZZ_CHECK(base + offset == (param.address() & 0xFFFFFF));

        // A parameter change of a value that fits reads back the same.
        const int sent = input.ConsumeIntegral<int>();
        VeskSysex change;
        change.prepareParameterChange(param, sent);
        checkRegion(change);
        // (The effect types the instrument reports as two bytes whatever the
        // parameter says are read back by their own rule.)
        const unsigned int a = param.address();
        const bool twoByteType = a == 0x002100 || a == 0x301100 || a == 0x361100;
        const bool fits = param.size >= 1 && param.size <= 4 && sent >= 0 &&
                          unsigned(sent) <= param.calculateMaximum() && a <= 0xFFFFFF && !twoByteType;
        if (fits) {
            FUZZ_CHECK(change.isValid() && change.isParameterChange());
            FUZZ_CHECK(change.getParameterPos(param) == 0);
            FUZZ_CHECK(change.getParameterData(param) == sent);
        }
        VeskSysex request;
        request.prepareParameterRequest(param);
        checkRegion(request);
    }
    return 0;
}
