// A mix editor's parts tab as panel data, for the benchmarks: part rows of
// value controls of every kind the tab holds (edits with tables, scaled
// edits, combos, switches with a bit each, key ranges, voice selectors), all
// titled, addressed per part through "xx".
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// count elements of a row whose parameters lie in block ("37xx" gives
// 37 <part> 00, 37 <part> 01, ...).
inline QString MixRowElements(const QString& block, int count)
{
    const QStringList kinds = {
        QStringLiteral(R"(<edit title="Pan" address="%1" min="1" items="PAN" offset="-64" width="46"/>)"),
        QStringLiteral(R"(<combo title="Note &amp; Shift" address="%1" items="NOTENAME" note="1"/>)"),
        QStringLiteral(R"(<edit title="Volume" address="%1" default="100" request="2"/>)"),
        QStringLiteral(R"(<edit title="Delay" address="%1" size="2" divide="10" metric="ms" group="2"/>)"),
        QStringLiteral(R"(<combo title="Mode" address="%1" items="off|on|auto" enable="Volume"/>)"),
        QStringLiteral(R"(<check title="Ins" address="360060" size="4" bit="xx" tip="Insertion"/>)"),
        QStringLiteral(
            R"(<range title="Key Range" low="%1" high="%2" items="NOTENAME" note="1" width="91"/>)"),
        QStringLiteral(R"(<patch title="&amp;Voice" address="%1" banks="VOICES" width="72" bold="1"/>)"),
    };
    QString text;
    for (int i = 0; i < count; ++i) {
        const QString address = block + QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper();
        const QString next = block + QStringLiteral("%1").arg(i + 1, 2, 16, QLatin1Char('0')).toUpper();
        QString element = kinds[i % kinds.size()];
        text += element.replace(QLatin1String("%1"), address).replace(QLatin1String("%2"), next);
    }
    return text;
}

// Sixteen part rows of 61 controls ("Mix:Part") and three plug-in part rows of
// 38 ("Mix:PLGPart").
inline QByteArray MixPartsLayout()
{
    return QStringLiteral(R"(<section title="MixEditor">
  <section name="Mix:Part" title="xx">%1</section>
  <section name="Mix:PLGPart" title="Pxx">%2</section>
</section>)")
        .arg(MixRowElements(QStringLiteral("37xx"), 61), MixRowElements(QStringLiteral("376x"), 38))
        .toUtf8();
}
