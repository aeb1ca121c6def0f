// The five editors' panel layouts as the tests and benchmarks use them: the
// files in the source tree, the patch type each editor's edit buffer holds
// and the instrument mode that answers for it, and the panels a window builds
// from them (the selection and common panels, the part rows of its tab, the
// dialogs its buttons open), made with the panel classes on a client of the
// caller's device.
//
// GUI thread only.
#pragma once

#include "MidiClient.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class MidiCtrl;
class MidiDevice;
class Panel;
class TabPanel;
class XmlElement;

struct EditorLayout
{
    QString program;   // "VeskVoice"
    QString file;      // relative to the source tree
    QString rootTitle; // "VoiceEditor"
    int dumpType;      // the edit buffer's dump type (0 voice ... 5 master)
    unsigned int editBuffer;
    int mode;            // the instrument mode that answers for the edit buffer
    unsigned short bank; // a bank the instrument selects first (0: none)
    bool bareAmpersand;  // "&" written bare rather than "&amp;"
};

const QList<EditorLayout>& editorLayouts();
QString editorLayoutPath(const EditorLayout& layout);
// A QtTest data column "editor" (an index of editorLayouts) with a row per
// editor, named after its program.
void addEditorRows();

// The iterators a section is loaded with: each element, part, zone or key
// of a repeated section, -1 for a plain one.
QList<int> sectionIterators(const QString& section);
// The repeated sections that are rows of a parts tab (horizontal panels).
bool isPartRow(const QString& section);
// The sections a window builds when it is made (selection, common and
// system panels, its parts tab's rows, the drum kit's key panels); the
// others are the dialogs its buttons open.
bool isWindowPanel(const QString& section);
// The control width a window or dialog gives the section's panel.
int sectionControlWidth(const QString& section);

// Adds the editor's layout to the device's document, as its window does;
// false when the file cannot be read.
bool loadEditorLayout(MidiDevice* device, const EditorLayout& layout);
// The layout's top element in the device's document (the one titled as the
// editor), null when it is not loaded.
const XmlElement* layoutRoot(MidiDevice* device, const EditorLayout& layout);
// The "section" elements below a layout's top element, in document order.
QList<const XmlElement*> layoutSections(const XmlElement* root);

// One parameter a built control reads: its address, its bytes and the bit
// field in them (bit -1: the whole value). A range reads its two ends, a
// string one byte per character, a patch selector its bank MSB, LSB and
// program, an envelope each adjustable time and level; labels and buttons
// read nothing.
struct ControlParam
{
    unsigned int address;
    int size;
    int bit;
    int bits;
    bool operator==(const ControlParam&) const = default;
};
QList<ControlParam> controlParams(MidiCtrl* control);
// The control's title, or its caption's, for messages.
QString controlTitle(MidiCtrl* control);

// An editor window's panels in miniature: every section of one layout built
// once with each of its iterators (the row sections on a tabbed panel, as the
// window adds them; the others as plain vertical panels), on a client of the
// device, whose document holds the layout (loadEditorLayout).
struct EditorWindowHolder
{
    QWidget editorWidget;
};

class EditorPanels : private EditorWindowHolder, public MidiClient
{
public:
    // keyIterators: the iterators the drum kit's key sections are built with
    // (all 73 keys are many panels); every other repeated section gets all
    // of its own. windowOnly: only the panels the window builds when made.
    EditorPanels(MidiDevice* device, const EditorLayout& layout, const QList<int>& keyIterators,
                 bool windowOnly = false);
    ~EditorPanels() override;

    struct Built
    {
        QString section;
        int iterator;
        Panel* panel;
    };
    const std::vector<Built>& panels() const { return m_built; }
    // The header rows of the parts tabs: each column's title over it.
    QList<Panel*> headerPanels() const;
    int controlCount() const;

    QWidget* editorWindow() { return &editorWidget; }

private:
    std::vector<std::unique_ptr<TabPanel>> m_tabs;
    std::vector<std::unique_ptr<Panel>> m_owned;
    std::vector<Built> m_built;
};
