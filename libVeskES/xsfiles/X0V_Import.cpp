// Sampled sound into user waveforms: a WAV or AIFF file as a keybank or a
// waveform, the instruments of a multi-sample file as waveforms of one
// keybank per sample. See X0V_Document.h.
//
// Only 8- and 16-bit samples become keybanks (the instrument plays no other
// depth); samples of other depths are passed over as unreadable ones are.
#include "X0V_Document.h"

#include "ProgressDlg.h"
#include "Prompts.h"
#include "Sample.h"
#include "SampleFile.h"
#include "VarArgs.h"

#include <QDebug>
#include <QFileInfo>

#include <memory>
#include <new>

namespace {

void OutOfMemory(const char* where)
{
    qDebug().noquote() << VarArgs::format(QStringLiteral("Out of memory (%s)"), QLatin1String(where));
}

bool Importable(const Sample& sample)
{
    return sample.isValid() && XS_Keybank::SupportedBits(sample.bits);
}

} // namespace

XS_Keybank* X0V_Document::importKeybank(XS_Waveform& waveform, const QString& path)
{
    Sample sample;
    sample.fromFile(path);
    if (!Importable(sample))
        return nullptr;
    try {
        auto keybank = std::make_unique<XS_Keybank>();
        if (!keybank->fromSample(sample))
            return nullptr;
        XS_Keybank* taken = keybank.get();
        waveform.addKeybank(keybank.release());
        return taken;
    } catch (const std::bad_alloc&) {
        OutOfMemory("importKeybank");
        return nullptr;
    }
}

int X0V_Document::importWaveform(int bank, int index, const QString& path)
{
    const QString m = model();
    // addWave copies a waveform into a slot already there and leaves it to
    // the caller; it keeps one only when it appends it to its bank.
    auto place = [this](std::unique_ptr<XS_Waveform>& w) {
        if (!addWave(w.get()))
            return false;
        if (waves.lookupWave(w->id()) == w.get())
            (void)w.release();
        return true;
    };

    // A single sample: one waveform of one keybank.
    {
        Sample sample;
        sample.fromFile(path);
        const int id = XS_Waveform::MakeId(bank, index + 1, m);
        if (Importable(sample) && id != 0) {
            try {
                auto w = std::make_unique<XS_Waveform>(QFileInfo(path).baseName());
                auto keybank = std::make_unique<XS_Keybank>();
                if (keybank->fromSample(sample)) {
                    w->addKeybank(keybank.release());
                    w->setId(id);
                    return place(w) ? 1 : 0;
                }
            } catch (const std::bad_alloc&) {
                OutOfMemory("importWaveform");
            }
        }
    }

    // An instrument file: one waveform per instrument, in name order.
    SampleFile list;
    list.fromFile(path);
    if (list.isEmpty())
        return 0;
    int imported = 0;
    bool failed = false;
    ProgressDlg progress(QStringLiteral("Import Waveforms"), int(list.size()), 0);
    // One instrument into the next free slot: false when it could not be
    // kept, which ends the import.
    auto importOne = [&](const Instrument& instrument) {
        try {
            auto w = std::make_unique<XS_Waveform>(instrument.name);
            progress.message(VarArgs::format(QStringLiteral("Importing '%s'..."), instrument.name));
            for (const Sample* sample : instrument.samples) {
                if (!sample || !Importable(*sample))
                    continue;
                auto keybank = std::make_unique<XS_Keybank>();
                if (keybank->fromSample(*sample))
                    w->addKeybank(keybank.release());
            }
            if (w->keybanks().isEmpty())
                return true;
            const int id = XS_Waveform::MakeId(bank, index + imported + 1, m);
            if (id == 0)
                return true;
            w->setId(id);
            if (!place(w))
                return false;
            ++imported;
            return true;
        } catch (const std::bad_alloc&) {
            OutOfMemory("importWaveform");
            return false;
        }
    };
    // Every instrument is a step of the window, also those left over once
    // the import has failed.
    for (const Instrument* instrument : std::as_const(list)) {
        if (!failed && instrument)
            failed = !importOne(*instrument);
        progress.step();
    }
    if (failed)
        warning(nullptr, QStringLiteral("Not all waveforms could be loaded"), QStringLiteral("Out of memory"));
    return imported;
}
