// Wave banks: see XS_Waves.h.
#include "XS_Waves.h"

#include "VarArgs.h"

#include <QDebug>

#include <new>

XS_WaveBank::~XS_WaveBank()
{
    DeleteItems(waves);
}

int XS_WaveBank::count() const
{
    return CountWithData(waves);
}

int XS_WaveBank::lastIndex() const
{
    for (qsizetype i = waves.size() - 1; i >= 0; --i) {
        if (waves.at(i) && waves.at(i)->hasData())
            return int(i);
    }
    return -1;
}

XS_Waves::~XS_Waves()
{
    DeleteItems(m_banks);
}

template <typename Visit>
XS_Waveform* XS_Waves::find(Visit visit) const
{
    return FindInBanks(m_banks, &XS_WaveBank::waves, visit);
}

int XS_Waves::count() const
{
    int n = 0;
    for (const XS_WaveBank* bank : m_banks)
        n += bank->count();
    return n;
}

XS_Waveform* XS_Waves::getByIndex(int i) const
{
    if (i < 0)
        return nullptr;
    return find([&i](const XS_Waveform* w) { return w->hasData() && i-- == 0; });
}

XS_Waveform* XS_Waves::getByDataIndex(int i) const
{
    if (i < 0)
        return nullptr;
    return find([i](const XS_Waveform* w) { return w->wfm.dataIndex == i + 1; });
}

XS_Waveform* XS_Waves::lookupWave(int id) const
{
    return find([id](const XS_Waveform* w) { return w->id() == id; });
}

XS_WaveBank* XS_Waves::getBank(int id) const
{
    for (XS_WaveBank* bank : m_banks) {
        if (bank->id() == id)
            return bank;
    }
    return nullptr;
}

XS_WaveBank* XS_Waves::createBank(int id)
{
    if (XS_WaveBank* bank = getBank(id))
        return bank;
    auto* bank = new XS_WaveBank(id);
    m_banks.append(bank);
    return bank;
}

bool XS_Waves::addWave(const QString& model, XS_Waveform* w)
{
    if (!w || w->id() == 0)
        return false;
    XS_Waveform* existing = lookupWave(w->id());
    try {
        if (existing) {
            *existing = *w;
            return true;
        }
        createBank(w->bank(model))->waves.append(w);
        return true;
    } catch (const std::bad_alloc&) {
        qDebug().noquote() << VarArgs::format(QStringLiteral("Out of memory (%s)"), QStringLiteral("addWave"));
        if (existing)
            existing->deleteData();
        return false;
    }
}

int XS_Waves::findSimilar(const XS_Waveform* w, const ints* exclude) const
{
    if (!w)
        return 0;
    const QString name = w->name();
    const int size = w->ridevSize();
    const XS_Waveform* similar = find([&](const XS_Waveform* candidate) {
        return candidate->hasData() && candidate->name() == name && candidate->ridevSize() == size &&
               !(exclude && exclude->contains(candidate->id()));
    });
    return similar ? similar->id() : 0;
}

void XS_Waves::deleteData()
{
    for (XS_WaveBank* bank : std::as_const(m_banks)) {
        for (XS_Waveform* w : std::as_const(bank->waves)) {
            if (w)
                w->deleteData();
        }
    }
}
