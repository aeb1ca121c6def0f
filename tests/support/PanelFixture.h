// An editor window in miniature for tests of controls: a window that records
// the messages posted to it, the test instrument's device, the window's
// client, and a panel of that client on the window; and colour probes for
// pictures of painted controls.
#pragma once

#include "MidiClient.h"
#include "Panel.h"
#include "TestSysex.h"

#include <QColor>
#include <QList>
#include <QVariant>
#include <QWidget>

// One message as the window received it.
struct PostedMessage
{
    int id;
    QVariant data;
    QVariant source;
};

// A window that keeps every message and every command posted to it, in
// order.
class MessageWindow : public QWidget
{
public:
    QList<PostedMessage> messages;
    QList<int> commands; // ids of CommandEvents, as a main window dispatches them

protected:
    void customEvent(QEvent* event) override;
};

// A panel that also counts what its controls and caption ask of it.
class ProbePanel : public Panel
{
public:
    using Panel::Panel;

    int selectFirstItem(int item, int second) override;
    void requestGroup(int group) override;

    QList<QPair<int, int>> selectCalls; // (item, second) of each selectFirstItem
    QList<int> groupRequests;           // the group of each requestGroup
};

class PanelFixture
{
public:
    PanelFixture();
    ~PanelFixture();

    // Lets the posted messages arrive: a message re-posted on its way (a
    // frame passing it to its parent) needs a second round.
    static void deliver();

    TestDevice device;
    MessageWindow window;
    MidiClient client;
    ProbePanel* panel; // a child of the window
};

// Pixel probes of painted controls.
// top drawn over an opaque colour below, as the raster engine blends it.
QColor blendOver(const QColor& top, const QColor& below);
// The red, green and blue channels agree within tolerance.
bool nearColor(const QColor& a, const QColor& b, int tolerance = 1);
