// A window as a user sees it, checked whole: walks every visible widget and
// reports what a user could not see or reach.
//
// The rules, for every visible widget:
// - it lies inside its parent and inside its window (the content of a scroll
//   area's viewport is left to the scroll area);
// - it overlaps no visible sibling, unless it lies wholly in an empty part of
//   that sibling (a panel laid into another panel's free area);
// - every text it draws lies inside what it may draw on: the widget is
//   painted alone into a recording device, and each text item's extent (from
//   the font the widget really drew with) must lie inside the painter's clip
//   and the widget;
// - every tab of a tab strip lies inside the strip (no tab behind the edge or
//   behind scroll buttons);
// - a tab panel is walked once per tab, each tab selected in turn, so the
//   cells of every tab are checked; the tab it showed is selected again.
// And the window: its frame lies inside the screen's available area.
//
// Each problem is one line: the widget's path from the window, then what is
// wrong, with the figures. GUI thread only; the window must be shown.
#pragma once

#include <QStringList>

class QWidget;

namespace WindowGeometry {

// Every problem of the window and its children; empty when it is whole.
QStringList check(QWidget* window);

// The texts the widget alone draws past what it may draw on (the text rule
// above), one line each.
QStringList textsCut(QWidget* widget);

// The widget's path for messages: class and title of each widget from the
// window down, "VeskVoice > TabPanel 'Voice Elements' > Panel '1' > MidiEdit 'Level'".
QString pathOf(const QWidget* widget);

} // namespace WindowGeometry
