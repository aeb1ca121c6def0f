#include "KeyboardDlg.h"

#include "MidiDevice.h"
#include "MidiMessage.h"
#include "MidiPort.h"
#include "PianoCtrl.h"
#include "WindowState.h"

#include <QKeyEvent>

namespace {

const QString WindowName = QStringLiteral("Keyboard");

struct KeyNote
{
    int key;
    int note;
};

// Two rows of the computer keyboard laid out like piano keys.
constexpr KeyNote KeyNotes[] = {
    {Qt::Key_Z, 36},
    {Qt::Key_S, 37},
    {Qt::Key_X, 38},
    {Qt::Key_D, 39},
    {Qt::Key_C, 40},
    {Qt::Key_V, 41},
    {Qt::Key_G, 42},
    {Qt::Key_B, 43},
    {Qt::Key_H, 44},
    {Qt::Key_N, 45},
    {Qt::Key_J, 46},
    {Qt::Key_M, 47},
    {Qt::Key_Comma, 48},
    {Qt::Key_L, 49},
    {Qt::Key_Period, 50},
    {Qt::Key_Semicolon, 51},
    {Qt::Key_Slash, 52},
    {Qt::Key_Q, 53},
    {Qt::Key_2, 54},
    {Qt::Key_W, 55},
    {Qt::Key_3, 56},
    {Qt::Key_E, 57},
    {Qt::Key_4, 58},
    {Qt::Key_R, 59},
    {Qt::Key_T, 60},
    {Qt::Key_6, 61},
    {Qt::Key_Y, 62},
    {Qt::Key_7, 63},
    {Qt::Key_U, 64},
    {Qt::Key_I, 65},
    {Qt::Key_9, 66},
    {Qt::Key_O, 67},
    {Qt::Key_0, 68},
    {Qt::Key_P, 69},
    {Qt::Key_Minus, 70},
    {Qt::Key_BracketLeft, 71},
    {Qt::Key_BracketRight, 72},
};

// The size of the window: one row of keys of 10 pixels, 34 pixels high.
constexpr int KeySize = 10;
constexpr int Height = 34;
const QColor Background(170, 165, 160);
const QColor Pressed(240, 192, 128);

} // namespace

int KeyToNote(int qtKey)
{
    for (const KeyNote& k : KeyNotes) {
        if (k.key == qtKey)
            return k.note;
    }
    return -1;
}

KeyboardDlg::KeyboardDlg(QWidget* parent, MidiDevice* device) : Dialog(parent), m_device(device)
{
    setWindowTitle(WindowName);
    SetFixedWindow(this);
    setMargin(0, 0);
    setSpacing(0);

    m_pianoCtrl = new PianoCtrl(this);
    addRow(m_pianoCtrl);
    m_pianoCtrl->piano.setSize(KeySize);
    m_pianoCtrl->piano.setSpace(1);
    m_pianoCtrl->setBorder(0);
    m_pianoCtrl->setBkColor(Background);
    m_pianoCtrl->setFixedSize(m_pianoCtrl->calculatedWidth(), Height);
    resize(m_pianoCtrl->calculatedWidth(), Height);
    m_pianoCtrl->move(0, 0);
    m_pianoCtrl->piano.setPressedColors(Pressed, Pressed);

    // At first just below the window that opens it.
    const QPoint below =
        parent ? QPoint(parent->geometry().left(), parent->geometry().bottom() + 16) : QPoint();
    LoadWindowState(this, WindowName, below);
    connect(m_pianoCtrl, &PianoCtrl::keyPressed, this, &KeyboardDlg::onKeyPressed);
}

KeyboardDlg::~KeyboardDlg()
{
    StoreWindowState(this, WindowName);
}

void KeyboardDlg::onKeyPressed(int key)
{
    if (!m_device)
        return;
    const int value = m_pianoCtrl->piano.keyValue(key);
    if (value >= 1)
        m_device->noteOn(key, value, m_channel);
    else
        m_device->noteOff(key, m_channel);
}

void KeyboardDlg::onMidiMessage(const MidiMessage& message)
{
    if (message.isNoteOn()) {
        m_pianoCtrl->piano.setKeyValue(message.data1, message.data2);
    } else if (message.isNoteOff()) {
        m_pianoCtrl->piano.setKeyValue(message.data1, 0);
        onKeyPressed(message.data1);
    }
    m_pianoCtrl->update();
}

void KeyboardDlg::allKeysOff()
{
    if (m_device) {
        if (m_channel == -1)
            m_device->midiOut()->allNotesOff();
        else
            m_device->midiOut()->notesOff(m_channel);
    }
    m_pianoCtrl->piano.allKeysOff();
    m_pianoCtrl->update();
}

void KeyboardDlg::keyPressEvent(QKeyEvent* event)
{
    const int note = event->isAutoRepeat() ? -1 : KeyToNote(event->key());
    if (note == -1)
        return;
    m_pianoCtrl->piano.toggleKey(note, 100);
    m_pianoCtrl->update();
    onKeyPressed(note);
}

void KeyboardDlg::keyReleaseEvent(QKeyEvent* event)
{
    const int note = event->isAutoRepeat() ? -1 : KeyToNote(event->key());
    if (note == -1)
        return;
    m_pianoCtrl->piano.setKeyValue(note, 0);
    m_pianoCtrl->update();
    onKeyPressed(note);
}

void KeyboardDlg::closeEvent(QCloseEvent* event)
{
    StoreWindowState(this, WindowName);
    Dialog::closeEvent(event);
}
