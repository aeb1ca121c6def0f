// The layout the four patch editors (voice, drum kit, performance, master)
// share: a selection panel at the top left with six tool buttons centred
// under it in two rows of three, a common panel to its right and, below
// both, a parts tab or the drum key panels. The window size is fixed from
// the panels' sizes.
//
// Pixel rules, for a panel P: P.right = P.left + P.w - 1 and P.bottom =
// P.top + P.h - 1 (QRect::right and QRect::bottom). The client rectangle is
// the window's area below its menu bar (MainWindow::clientRect).
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class MidiEditorWindow;
class Panel;
class QString;
class QWidget;
class ToolButton;

namespace EditorFrame {

constexpr int ToolButtonCount = 6;
constexpr int ToolButtonWidth = 76;
constexpr int ToolButtonHeight = 24;
constexpr int ToolButtonColumnStep = 79;
constexpr int ToolButtonRowStep = 27;
// Three buttons and the two gaps between them.
constexpr int ToolButtonRowWidth = 3 * ToolButtonWidth + 2 * 3;

// What a window sets on a panel before its section loads; -1 leaves the
// panel's own default.
struct PanelSettings
{
    int controlWidth = -1;
    int paddingX = -1;
    int paddingY = -1;
    int marginLeft = -1;
    int marginTop = -1;
    int marginRight = -1;
    int marginBottom = -1;
};

// Puts the panel on window at pos (with a caption bar, or a flat frame
// without), applies the settings and loads the section (no iterator, no
// conditions).
void loadPanel(Panel& panel, QWidget* window, QPoint pos, bool caption, const QString& section,
               const PanelSettings& settings = PanelSettings());

// The origin of a patch editor's layout: client (left + 14, top + 17).
QPoint patchEditorOrigin(const MidiEditorWindow& window);

// Gives the six buttons their texts, images and commands ("Init" 9, "Open"
// 0, "Save" 1, "Receive" 3, "Store" 5, "Store to" 6) and places them in two
// rows of three centred under sel: the first row's top at sel.bottom + gap,
// the first column at originX + (sel.w - 234) / 2 (truncated toward zero).
void placeToolButtons(MidiEditorWindow* window, ToolButton* buttons, const QRect& sel, int originX, int gap);

// The fixed size of a patch editor: (sel.w + com.w + 40) x (com.h + low.h +
// 68), low being the parts tab or the second key panel, plus what the menu
// bar takes above the client rectangle. A low panel wider than sel.w + com.w
// + 12 (a parts tab showing its widest tab) widens the window to low.w + 28,
// the same room on its right as on its left.
QSize patchEditorSize(const MidiEditorWindow& window, const QRect& sel, const QRect& com, const QRect& low);

} // namespace EditorFrame
