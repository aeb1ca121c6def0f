// The instrument's modes, program change, incoming messages and system
// settings, as the instrument sees them on the bus and the clients see them.
#include "BulkDump.h"
#include "DeviceBank.h"
#include "MidiMessage.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskRig.h"
#include "VeskSysex.h"
#include "VirtualMidiBus.h"

#include <QElapsedTimer>

#include <functional>
#include <memory>

namespace {

// A message as the device would receive it.
std::unique_ptr<Sysex> incoming(Vesk& device, const QString& hex)
{
    std::unique_ptr<Sysex> message(device.createSysex());
    message->fromString(hex);
    return message;
}

// The instrument reports a mode, so the device knows it without sending.
void reportMode(Vesk& device, int mode)
{
    device.OnSysex(
        incoming(device, QStringLiteral("F0 43 10 7F 00 0A 00 01 %1 F7").arg(mode, 2, 16, QLatin1Char('0')))
            .get(),
        SourceDev);
}

QString modeChange(int mode)
{
    return QStringLiteral("F0 43 10 7F 00 0A 00 01 0%1 F7").arg(mode);
}

} // namespace

class TestVeskModes : public QObject
{
    Q_OBJECT

    VirtualMidiBus* bus = nullptr;

private slots:
    void initTestCase()
    {
        bus = testBus();
        QVERIFY2(bus, "the tests run on the virtual MIDI bus (ORVANE_MIDI_BACKEND=virtual)");
    }

    void init() { resetVeskTest(); }

    // A mode goes out only when the instrument is not in it already, and is
    // followed by the instrument's switching time; mixing voices always
    // switch to song mode.
    void modeChanges_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<VeskOp>("op");
        QTest::addColumn<int>("after");

        QTest::newRow("multis from no mode") << -1 << VeskOp([](Vesk& d) { d.setModeByType(4); }) << 3;
        QTest::newRow("masters") << 0 << VeskOp([](Vesk& d) { d.setModeByType(5); }) << 4;
        QTest::newRow("performances") << 0 << VeskOp([](Vesk& d) { d.setModeByType(3); }) << 1;
        QTest::newRow("drum kits from song") << 3 << VeskOp([](Vesk& d) { d.setModeByType(1); }) << 0;
        QTest::newRow("PLG voices in voice mode") << 0 << VeskOp([](Vesk& d) { d.setModeByType(2); }) << -1;
        QTest::newRow("no bank type") << 1 << VeskOp([](Vesk& d) { d.setModeByType(-1); }) << -1;
        QTest::newRow("bank of no kind") << 1 << VeskOp([](Vesk& d) { d.setModeByBank(0x3F0A); }) << -1;
        QTest::newRow("user drum kits by bank") << 4 << VeskOp([](Vesk& d) { d.setModeByBank(0x3F28); }) << 0;
        QTest::newRow("mixing voices in song mode")
            << 3 << VeskOp([](Vesk& d) { d.setModeByBank(Vesk::MixVoiceBank); }) << 3;
        QTest::newRow("pattern, set directly") << 3 << VeskOp([](Vesk& d) { d.setMode(2); }) << 2;
    }

    void modeChanges()
    {
        QFETCH(int, before);
        QFETCH(VeskOp, op);
        QFETCH(int, after);
        VeskRig rig(*bus);
        if (before != -1)
            reportMode(rig.device, before);
        QCOMPARE(rig.device.mode(), before);

        QElapsedTimer clock;
        clock.start();
        op(rig.device);
        const qint64 elapsed = clock.elapsed();

        if (after == -1) {
            QVERIFY(rig.received().isEmpty());
            QCOMPARE(rig.device.mode(), before);
            QVERIFY(elapsed < 300);
        } else {
            QCOMPARE(rig.received(), QStringList{modeChange(after)});
            QCOMPARE(rig.device.mode(), after);
            QVERIFY2(elapsed >= 340, qPrintable(QString::number(elapsed)));
            // The clients see the change as the program's own.
            QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceGUI),
                     QStringList{modeChange(after)});
        }
    }

    void askMode()
    {
        VeskRig rig(*bus);
        // An instrument that does not answer in time gives -1.
        QCOMPARE(rig.device.syncGetMode(100), -1);
        rig.instrument.setParameter(Vesk::ModeAddress, 2);
        QCOMPARE(rig.device.syncGetMode(1000), 2);
        // Asking does not set the mode.
        QCOMPARE(rig.device.mode(), -1);
        QCOMPARE(rig.received(), QStringList(2, QStringLiteral("F0 43 30 7F 00 0A 00 01 F7")));
    }

    // Masters are chosen by a parameter change that always carries device
    // number 0 and is not echoed; multis by Song Select; everything else by
    // bank select and program change.
    void programChange_data()
    {
        QTest::addColumn<VeskOp>("op");
        QTest::addColumn<QStringList>("packets");

        QTest::newRow("master 5, device number 3")
            << VeskOp([](Vesk& d) { d.patchChange(Patch(Vesk::MasterBank, 5), 4); })
            << QStringList{"F0 43 10 7F 00 0A 00 00 05 F7"};
        QTest::newRow("multi 2") << VeskOp([](Vesk& d) { d.patchChange(Patch(Vesk::MultiBank, 2), 4); })
                                 << QStringList{"F3 02"};
        QTest::newRow("user voice on channel 3")
            << VeskOp([](Vesk& d) { d.patchChange(Patch(0x3F08, 4), 2); })
            << QStringList{"B2 00 3F", "B2 20 08", "C2 04"};
        QTest::newRow("drum kit on the device's channel")
            << VeskOp([](Vesk& d) { d.patchChange(Patch(0x7F00, 1)); })
            << QStringList{"B0 00 7F", "B0 20 00", "C0 01"};
        QTest::newRow("no channel") << VeskOp([](Vesk& d) { d.patchChange(Patch(0x3F08, 4), -1); })
                                    << QStringList{};
        QTest::newRow("invalid patch") << VeskOp([](Vesk& d) { d.patchChange(Patch(), 0); }) << QStringList{};
        QTest::newRow("first user voice") << VeskOp([](Vesk& d) { d.patchChangeByType(0); })
                                          << QStringList{"B0 00 3F", "B0 20 08", "C0 00"};
        QTest::newRow("first user drum kit") << VeskOp([](Vesk& d) { d.patchChangeByType(1); })
                                             << QStringList{"B0 00 3F", "B0 20 28", "C0 00"};
        QTest::newRow("first of another type")
            << VeskOp([](Vesk& d) { d.patchChangeByType(3); }) << QStringList{};
    }

    void programChange()
    {
        QFETCH(VeskOp, op);
        QFETCH(QStringList, packets);
        VeskRig rig(*bus);
        rig.device.setDeviceId(3);
        op(rig.device);
        QCOMPARE(rig.received(), packets);
        // None of these is echoed to the clients.
        QVERIFY(rig.client.events().isEmpty());
    }

    // Mode and master reports are taken from every input; from the auxiliary
    // input only parameter changes reach the clients.
    void incomingSysex_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("passed");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("patches");

        QTest::newRow("master 7 selected")
            << "F0 43 10 7F 00 0A 00 00 07 F7" << 0 << true << -1 << QStringList{"127/127:008"};
        QTest::newRow("mode reported") << "F0 43 10 7F 00 0A 00 01 01 F7" << 0 << true << 1 << QStringList{};
        QTest::newRow("mode from the auxiliary input")
            << "F0 43 10 7F 00 0A 00 01 04 F7" << 1 << true << 4 << QStringList{};
        QTest::newRow("own mode change echoed")
            << "F0 43 10 7F 00 0A 00 01 02 F7" << 2 << true << 2 << QStringList{};
        QTest::newRow("empty dump at the mode")
            << "F0 43 00 7F 00 00 00 0A 00 01 75 F7" << 0 << true << -1 << QStringList{};
        QTest::newRow("dump from the auxiliary input")
            << "F0 43 00 7F 00 00 01 40 70 00 05 4A F7" << 1 << false << -1 << QStringList{};
        QTest::newRow("request from the auxiliary input")
            << "F0 43 30 7F 00 0A 00 01 F7" << 1 << false << -1 << QStringList{};
        QTest::newRow("parameter change from the auxiliary input")
            << "F0 43 10 7F 00 40 70 00 41 F7" << 1 << true << -1 << QStringList{};
        QTest::newRow("dump from the instrument")
            << "F0 43 00 7F 00 00 01 40 70 00 05 4A F7" << 0 << true << -1 << QStringList{};
    }

    void incomingSysex()
    {
        QFETCH(QString, hex);
        QFETCH(int, source);
        QFETCH(bool, passed);
        QFETCH(int, mode);
        QFETCH(QStringList, patches);
        VeskRig rig(*bus);
        rig.device.OnSysex(incoming(rig.device, hex).get(), static_cast<MidiSource>(source));
        QCOMPARE(rig.device.mode(), mode);
        QCOMPARE(rig.client.texts(RecordingClient::Event::PatchChange, source), patches);
        QCOMPARE(rig.client.texts(RecordingClient::Event::Sysex), passed ? QStringList{hex} : QStringList{});
    }

    // A Song Select names the multi the instrument switched to, unless it came
    // from the auxiliary input; the message itself always goes on.
    void songSelect()
    {
        VeskRig rig(*bus);
        const MidiMessage song(0xF3, 3, 0);
        rig.device.OnMidiMessage(song, SourceDev);
        rig.device.OnMidiMessage(song, SourceAux);
        QCOMPARE(rig.client.texts(RecordingClient::Event::PatchChange), QStringList{"127/126:004"});
        QCOMPARE(rig.client.texts(RecordingClient::Event::Short), QStringList({"F3 03", "F3 03"}));

        // From the cable: a master selection reaches the clients as a patch
        // change on the GUI thread.
        rig.client.clear();
        rig.instrument.sendHex(QStringLiteral("F0 43 10 7F 00 0A 00 00 02 F7"));
        QTRY_COMPARE(rig.client.texts(RecordingClient::Event::PatchChange, SourceDev),
                     QStringList{"127/127:003"});
    }

    void receiveChannel_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("channel");

        QTest::newRow("channel 6") << 5 << 5;
        QTest::newRow("channel 16") << 15 << 15;
        QTest::newRow("above 15") << 16 << 0;
        QTest::newRow("no answer in time") << -1 << 0;
    }

    // The answer becomes the channel of program changes; a value above 15 or
    // no answer within 500 ms gives channel 0.
    void receiveChannel()
    {
        QFETCH(int, answer);
        QFETCH(int, channel);
        VeskRig rig(*bus);
        rig.instrument.setParameter(Vesk::ReceiveChannelAddress, 9);
        rig.device.updateRcvChannel();
        QCOMPARE(rig.device.channel(), 9);
        rig.clearReceived();

        if (answer == -1)
            rig.instrument.setParameterDelay(700);
        else
            rig.instrument.setParameter(Vesk::ReceiveChannelAddress, answer);
        rig.device.updateRcvChannel();
        QCOMPARE(rig.device.channel(), channel);
        QCOMPARE(rig.received(), QStringList{"F0 43 30 7F 00 00 00 0A F7"});
    }

    void systemSettings_data()
    {
        QTest::addColumn<VeskOp>("op");
        QTest::addColumn<QStringList>("packets");

        QTest::newRow("local on") << VeskOp([](Vesk& d) { d.setLocalOn(true); })
                                  << QStringList{"F0 43 10 7F 00 00 00 09 01 F7"};
        QTest::newRow("local off") << VeskOp([](Vesk& d) { d.setLocalOn(false); })
                                   << QStringList{"F0 43 10 7F 00 00 00 09 00 F7"};
        QTest::newRow("part 1") << VeskOp([](Vesk& d) { d.setPartVolume(0, 100); })
                                << QStringList{"F0 43 10 7F 00 37 00 0D 64 F7"};
        QTest::newRow("part 16") << VeskOp([](Vesk& d) { d.setPartVolume(15, 5); })
                                 << QStringList{"F0 43 10 7F 00 37 0F 0D 05 F7"};
        QTest::newRow("PLG part 1") << VeskOp([](Vesk& d) { d.setPartVolume(16, 100); })
                                    << QStringList{"F0 43 10 7F 00 37 60 0D 64 F7"};
        QTest::newRow("PLG part 2") << VeskOp([](Vesk& d) { d.setPartVolume(17, 100); })
                                    << QStringList{"F0 43 10 7F 00 37 61 0D 64 F7"};
        QTest::newRow("PLG part 3") << VeskOp([](Vesk& d) { d.setPartVolume(18, 0); })
                                    << QStringList{"F0 43 10 7F 00 37 62 0D 00 F7"};
        QTest::newRow("beyond the mixer")
            << VeskOp([](Vesk& d) { d.setPartVolume(19, 100); }) << QStringList{};
        QTest::newRow("negative part") << VeskOp([](Vesk& d) { d.setPartVolume(-1, 100); }) << QStringList{};
        QTest::newRow("no volume") << VeskOp([](Vesk& d) { d.setPartVolume(3, -1); }) << QStringList{};
        // The framework's mute reaches the PLG parts too.
        QTest::newRow("mute PLG part 2")
            << VeskOp([](Vesk& d) { d.mutePart(17, true); }) << QStringList{"F0 43 10 7F 00 37 61 0D 00 F7"};
        QStringList solo{"F0 43 10 7F 00 37 00 0D 5A F7"};
        for (int part = 1; part < 19; ++part)
            solo << QStringLiteral("F0 43 10 7F 00 37 %1 0D 00 F7")
                        .arg(part < 16 ? part : part - 16 + 0x60, 2, 16, QLatin1Char('0'))
                        .toUpper();
        QTest::newRow("solo part 1") << VeskOp([](Vesk& d) {
            for (int part = 0; part < 19; ++part)
                d.mixPart(part)->volume = 90;
            d.mixPart(0)->solo = true;
            d.applySoloMute();
        }) << solo;
    }

    void systemSettings()
    {
        QFETCH(VeskOp, op);
        QFETCH(QStringList, packets);
        VeskRig rig(*bus);
        op(rig.device);
        QCOMPARE(rig.received(), packets);
    }

    void resetMixVoices()
    {
        Vesk device;
        const BankSet voices(&device, QStringLiteral("MIX_VOICES"));
        DeviceBank* mix = device.getBank(Vesk::MixVoiceBank);
        QVERIFY(mix);
        QCOMPARE(mix->count(), 16);
        QVERIFY(device.updateUserPatchName(Patch(Vesk::MixVoiceBank, 3), QStringLiteral("My Pad")));
        device.resetMixVoices();
        for (int program = 0; program < 16; ++program)
            QCOMPARE(mix->patchName(program), QStringLiteral("--"));
    }

    // While a block is awaited, a parameter change the instrument sends of its
    // own (a knob turned meanwhile) goes to the clients, not into the block.
    void knobDuringBulk()
    {
        VeskRig rig(*bus);
        // The block comes on its own, a moment after the request.
        TestInstrument::BulkReply silent;
        silent.answer = false;
        rig.instrument.setBulkReply(silent);
        QStringList block;
        for (const char* hex :
             {"F0 43 00 7F 00 00 00 0E 0F 00 63 F7", "F0 43 00 7F 00 00 01 40 70 00 05 4A F7",
              "F0 43 10 7F 00 40 70 00 41 F7", "F0 43 00 7F 00 00 00 0F 0F 00 62 F7"})
            block << QString::fromLatin1(hex);
        QByteArray stream;
        for (const QString& hex : block)
            stream += QByteArray::fromHex(hex.toLatin1());
        rig.instrument.send(stream, 100);

        BulkDump dump;
        QVERIFY(rig.device.syncBulkRequest(0x0F00, dump, 3000));
        QStringList got;
        for (const Sysex* message : dump)
            got << message->toString(-1);
        QCOMPARE(got, QStringList({block.at(0), block.at(1), block.at(3)}));
        QTRY_COMPARE(rig.client.texts(RecordingClient::Event::Sysex, SourceDev), QStringList{block.at(2)});
    }
};

ORVANE_TEST_MAIN(TestVeskModes)
#include "tst_veskmodes.moc"
