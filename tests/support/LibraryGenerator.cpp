#include "LibraryGenerator.h"

#include "DeviceTable.h"
#include "Sysex.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskDump.h"

#include <QRandomGenerator>

#include <memory>

namespace {

const char* const Words[] = {"Piano", "Strings", "Pad", "Bass", "Lead", "Brass", "Organ", "Choir",
                             "Bell", "Synth", "Guitar", "Flute", "Sweep", "Pluck", "Keys", "Drums",
                             "Kit", "Hit", "Vox", "Mallet", "Harp", "Sax", "Horn", "Seq"};

} // namespace

GeneratedLibrary FillVoiceLibrary(VeskVLib_Library& library, int count, quint32 seed)
{
    GeneratedLibrary made;
    auto* device = static_cast<Vesk*>(library.device());
    QRandomGenerator random(seed);
    const DeviceTable* categories = device->createTable(QStringLiteral("CATEGORIES_FULL"));
    PatchGroup* groups[2] = {library.getTypePatchGroup(VeskDump::TypeVoice),
                             library.getTypePatchGroup(VeskDump::TypeDrum)};
    std::unique_ptr<PatchDump> templates[2];
    for (int type : {VeskDump::TypeVoice, VeskDump::TypeDrum}) {
        templates[type].reset(device->createPatchDump(type));
        templates[type]->init();
    }
    for (int i = 0; i < count; ++i) {
        const int type = random.bounded(9) == 0 ? VeskDump::TypeDrum : VeskDump::TypeVoice;
        PatchGroup* group = groups[type];
        auto* dump = static_cast<VeskDump*>(device->createPatchDump(type));
        if (group->itemCount() > 0 && random.bounded(20) == 0) {
            dump->copyPatchDump(group->patchDumpAt(random.bounded(group->itemCount())), device);
            ++made.copies;
        } else {
            dump->copyPatchDump(templates[type].get(), device);
            dump->setName(QStringLiteral("%1 %2")
                              .arg(QString::fromLatin1(Words[random.bounded(int(std::size(Words)))]))
                              .arg(random.bounded(1, 1000)));
            if (categories && !categories->isEmpty())
                dump->setCategoryData(categories->at(random.bounded(int(categories->size()))).value);
            for (int k = 0; k < 6; ++k) {
                Sysex* message = dump->at(random.bounded(int(dump->size())));
                if (message->dataSize() > 16)
                    message->setDataAt(16 + random.bounded(message->dataSize() - 16), random.bounded(128));
            }
        }
        group->addPatchDump(dump);
        ++(type == VeskDump::TypeDrum ? made.drumKits : made.voices);
    }
    return made;
}

void TangleRidevLibrary(VeskAll_Library& library)
{
    QRandomGenerator random(7);
    const unsigned short userBanks[] = {0x3F08, 0x3F09};
    for (unsigned short bank : userBanks) {
        for (int program = 0; program < 128; ++program) {
            PatchDump* voice = library.getPatchDump(Patch(bank, program));
            voice->init();
            voice->setName(QStringLiteral("Voice %1").arg(program + 1));
        }
    }
    const auto point = [](Sysex* message, int pos, const Patch& patch) {
        message->setDataAt(pos, patch.bank.msb);
        message->setDataAt(pos + 1, patch.bank.lsb);
        message->setDataAt(pos + 2, patch.program);
    };
    BankPatchGroup* performances = library.getBankPatchGroup(0x3F40);
    for (int program = 0; program < performances->itemCount(); ++program) {
        PatchDump* performance = performances->patchDumpAt(program);
        performance->init();
        performance->setName(QStringLiteral("Perf %1").arg(program + 1));
        for (unsigned int base : {0x310000u, 0x316000u}) {
            for (unsigned int part = 0; part < (base == 0x310000u ? 4u : 3u); ++part) {
                Sysex* message = performance->getSysex(base + part * 0x100);
                if (!message)
                    continue;
                point(message, 0, Patch(userBanks[random.bounded(2)], random.bounded(128)));
                message->setDataAt(31, 1);
            }
        }
    }
    BankPatchGroup* masters = library.getBankPatchGroup(0x7F7F);
    for (int program = 0; program < masters->itemCount(); ++program) {
        PatchDump* master = masters->patchDumpAt(program);
        master->init();
        master->setName(QStringLiteral("Master %1").arg(program + 1));
        point(master->first(), 14, program == 0 ? Patch(0x7F7F, 0) : Patch(0x3F40, random.bounded(128)));
    }
}
