#include "MidiLabel.h"

#include "Colors.h"
#include "Drawing.h"
#include "MidiClient.h"
#include "Panel.h"

#include <QPainter>

namespace {

MidiDevice* deviceOf(Panel* panel)
{
    MidiClient* client = panel ? panel->liveClient() : nullptr;
    return client ? client->midiDevice() : nullptr;
}

} // namespace

MidiLabel::MidiLabel(::Panel* panel, const LabelInfo& info)
    : QLabel(panel ? panel->frame() : nullptr), MidiCtrl(this, deviceOf(panel), panel)
{
    init(info);
}

MidiLabel::MidiLabel(QWidget* parent, const LabelInfo& info)
    : QLabel(parent), MidiCtrl(this, nullptr, nullptr)
{
    init(info);
}

MidiLabel::~MidiLabel() = default;

void MidiLabel::init(const LabelInfo& from)
{
    info = from;
    setText(info.title);
    // Gap fillers keep their grid cell but are never shown.
    if (info.title.isEmpty())
        info.hidden = true;
}

void MidiLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Crisp pixel text, as every cell of the panel draws it.
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    paint(&painter, QRect(0, 0, width(), height()));
}

void MidiLabel::paint(QPainter* p, const QRect& r)
{
    const ColorManager* colors = colorManager();
    QFont font = colors->font();
    QColor textColor = colors->getColor(LabelTextColor);
    QColor band = colors->getColor(PanelColor);
    if (info.header) {
        band = MergeColors(band, colors->getColor(CaptionColor), 0.42);
        font.setWeight(QFont::Bold);
    } else {
        if (info.bold)
            font.setWeight(QFont::Bold);
        if (isGrayed())
            textColor.setAlpha(96);
    }
    p->setFont(font);
    if (info.header)
        p->fillRect(r, band);

    // The one-letter heads of the mute and solo columns sit centred over
    // their boxes.
    const QString caption = text();
    const bool centred = caption == QLatin1String("M") || caption == QLatin1String("S");
    QRect textRect = r;
    if (info.header) {
        if (!centred)
            textRect.setLeft(textRect.left() + 3);
    } else {
        textRect.adjust(1, 1, 0, 0);
    }

    p->setPen(textColor);
    const int mnemonic = GetMnemonic(this);
    if (info.header)
        DrawEtchedText(p, textRect, caption, band.darker(150), centred, mnemonic);
    else if (info.bold)
        DrawEtchedText(p, textRect, caption, band.darker(180), centred, mnemonic);
    else
        DrawText(p, textRect, caption, centred, mnemonic);
}
