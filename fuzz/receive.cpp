// The input port's receive assembly: packets cut from the input, as a backend
// delivers them, assembled into short and system-exclusive messages.
//
// Input: a series of packets, each a control byte (low 6 bits: length, top
// bit: the packet comes again 1 to 256 times, as given by the next byte, so
// that messages longer than the assembly limit are reached) and its bytes.
#include "FuzzSupport.h"
#include "MidiMessage.h"
#include "MidiPort.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

namespace {

// Checks every message the port hands on.
class CheckingOwner : public IMidiPortOwner
{
public:
    void OnShortMessage(MidiInPort*, unsigned int message) override
    {
        const unsigned int status = message & 0xFF;
        FUZZ_CHECK(status >= 0x80);
        FUZZ_CHECK(status != 0xF0 && status != 0xF7 && status != 0xFE);
        // Data bytes are 7-bit; nothing past the bytes of the message's kind.
        const int size = MidiMessage(message).size();
        for (int k = 1; k < 4; ++k) {
            const unsigned int byte = (message >> (8 * k)) & 0xFF;
            FUZZ_CHECK(k < size ? byte < 0x80 : byte == 0);
        }
        ++shorts;
    }
    void OnLongMessage(MidiInPort*, unsigned char* data, int length) override
    {
        FUZZ_CHECK(data && length >= 2 && length <= MidiInPort::SysexLimit);
        FUZZ_CHECK(data[0] == 0xF0 && data[length - 1] == 0xF7);
        for (int i = 1; i < length - 1; ++i)
            FUZZ_CHECK(data[i] < 0x80);
        ++longs;
    }
    long shorts = 0;
    long longs = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    FuzzedDataProvider input(data, size);
    CheckingOwner owner;
    MidiInPort port(&owner);
    long total = 0;
    while (input.remaining_bytes() > 0) {
        const uint8_t control = input.ConsumeIntegral<uint8_t>();
        const int repeats = (control & 0x80) ? 1 + input.ConsumeIntegral<uint8_t>() : 1;
        const std::vector<uint8_t> packet = input.ConsumeBytes<uint8_t>(control & 0x3F);
        for (int r = 0; r < repeats; ++r) {
            port.ReceiveProc(packet.data(), int(packet.size()));
            total += long(packet.size());
        }
    }
    // Every byte makes at most one message.
    FUZZ_CHECK(owner.shorts + owner.longs <= total);
    return 0;
}
