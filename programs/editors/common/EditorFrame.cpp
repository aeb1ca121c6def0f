#include "EditorFrame.h"

#include "MidiEditorWindow.h"
#include "Panel.h"
#include "ToolButton.h"

namespace EditorFrame {

namespace {

struct ButtonSpec
{
    const char* text;
    const char* image;
    int command;
};

constexpr ButtonSpec Buttons[ToolButtonCount] = {
    {"Init", "core:new.png", 9},         {"Open", "core:open.png", 0},    {"Save", "core:save.png", 1},
    {"Receive", "core:receive.png", 3}, {"Store", "core:store.png", 5}, {"Store to", "core:store.png", 6},
};

} // namespace

void loadPanel(Panel& panel, QWidget* window, QPoint pos, bool caption, const QString& section,
               const PanelSettings& settings)
{
    panel.init(window, pos, caption);
    if (settings.paddingX != -1 || settings.paddingY != -1)
        panel.setPadding(settings.paddingX != -1 ? settings.paddingX : panel.paddingX(),
                         settings.paddingY != -1 ? settings.paddingY : panel.paddingY());
    if (settings.controlWidth != -1)
        panel.setControlWidth(settings.controlWidth);
    panel.setMargins(settings.marginLeft, settings.marginTop, settings.marginRight, settings.marginBottom);
    panel.loadSection(section, -1, QString());
}

QPoint patchEditorOrigin(const MidiEditorWindow& window)
{
    const QRect client = window.clientRect();
    return QPoint(client.left() + 14, client.top() + 17);
}

void placeToolButtons(MidiEditorWindow* window, ToolButton* buttons, const QRect& sel, int originX, int gap)
{
    // C++ division truncates toward zero, as the layout wants for a
    // selection panel narrower than the rows.
    const int left = originX + (sel.width() - ToolButtonRowWidth) / 2;
    const int top = sel.bottom() + gap;
    for (int i = 0; i < ToolButtonCount; ++i) {
        ToolButton& button = buttons[i];
        button.setText(QString::fromLatin1(Buttons[i].text));
        button.setIcon(QString::fromLatin1(Buttons[i].image));
        button.setCommand(window, Buttons[i].command);
    }
    for (int i = 0; i < ToolButtonCount; ++i) {
        ToolButton& button = buttons[i];
        button.move(left + (i % 3) * ToolButtonColumnStep, top + (i / 3) * ToolButtonRowStep);
        button.setColorManager(&window->colorManager());
        button.resize(ToolButtonWidth, ToolButtonHeight);
        button.setParent(window);
        button.show();
    }
}

QSize patchEditorSize(const MidiEditorWindow& window, const QRect& sel, const QRect& com, const QRect& low)
{
    // The panels above side by side, or the low panel when it is the wider
    // (a parts tab grows to show its widest tab), with the same room around.
    const int width = qMax(sel.width() + com.width() + 12, low.width()) + 28;
    return QSize(width, com.height() + low.height() + 68 + window.clientRect().top());
}

} // namespace EditorFrame
