// The main window every editor program derives its own from.
//
// The window is its device's client: it starts the connection when it is
// made (taking the librarian's saved ports when the editor has none of its
// own), reads the instrument's edit buffer whenever the connection is
// reported, opens the patch file handed over on the command line at the
// first connection, shows the connection and the messages it sends in its
// status bar, re-reads the editor a pause after a patch was selected,
// receives the names of whole bank sets on a worker job, moves the keyboard
// focus between its panels and the rows and tabs of its tabbed panels, hands
// plain keys to the controls and toggles the on-screen keyboard. The editor program supplies its panels, its
// patch selector and its own reading of the edit buffer (MidiReceive).
//
// Threads: everything runs on the GUI thread. The connection notice comes as
// a posted message; an echo of a message sent by a worker job is shown in the
// monitor through the event queue.
//
// Panels report selection and caption clicks by posted messages that name the
// panel by a bare pointer (AbstractPanel::PanelMessage), and a panel may be
// deleted before its message is handled: such a message reaches onMessage
// only while the panel is one of the window's (knownPanel).
#pragma once

#include "Containers.h"
#include "MainWindow.h"
#include "MidiClient.h"

#include <QBasicTimer>
#include <QLabel>
#include <QPointer>
#include <QString>

class AbstractPanel;
class BankSet;
class KeyboardDlg;
class MidiPatchEdit;
class Task_ReceiveBanks;

class MidiEditorWindow : public MainWindow, public MidiClient
{
    Q_OBJECT

public:
    // The largest file openFile sends: a patch file holds one patch (a drum
    // kit, the largest, is under 10 KB); a bank of them stays well below.
    static constexpr qint64 MaxSysexFileSize = 1 << 20;
    // The pause after selectPatch before the editor is read again.
    static constexpr int SelectDelayMs = 2000;
    // Height of the status bar and of the strip painted under it.
    static constexpr int StatusBarHeight = 22;

    // device: made before the window and outliving it.
    explicit MidiEditorWindow(MidiDevice* device);
    ~MidiEditorWindow() override;

    // --- MainWindow hooks --------------------------------------------------------
    // The menu bar's colours and the status labels' text colour from the
    // scheme.
    void updateStyleSheets() override;
    // The status labels into the status bar, and the keyboard window back
    // when it showed at the last close.
    void onLoadWindow() override;
    // Sends a file of system-exclusive messages to the instrument, then reads
    // the edit buffer again. "" and "edit" do nothing. A file that is missing,
    // too large or not made of whole system-exclusive messages is refused
    // with a message saying why; nothing is sent.
    void openFile(const QString& path) override;

    // --- MidiClient hooks ------------------------------------------------------
    void OnConnect() override;
    void OnMidiMessage(const MidiMessage& message, MidiSource source) override;
    void OnSysex(Sysex* message, MidiSource source) override;
    void OnPatchChange(Patch patch, MidiSource source) override;
    // Releases the keys of the keyboard window; the editor requests its data.
    void MidiReceive() override;

    // --- editor hooks ------------------------------------------------------------
    // Prepares the instrument before the edit buffer is read. Nothing here.
    virtual void initDevice();
    // Why a file of whole system-exclusive messages is no patch file of this
    // editor (openFile then refuses it); "" to send it. Nothing is refused
    // here.
    virtual QString patchFileError(const QByteArray& bytes);
    // The editor's patch selector, or null.
    virtual MidiPatchEdit* patchEdit() = 0;

    // --- patches -------------------------------------------------------------------
    // Shows the patch in the patch selector (nothing is sent) and reads the
    // editor again selectDelay() after the last call.
    void selectPatch(Patch patch);
    // The pause selectPatch waits, SelectDelayMs unless set; a new pause
    // applies from the next call on (tests hold the read with a long one).
    int selectDelay() const { return m_selectDelayMs; }
    void setSelectDelay(int ms) { m_selectDelayMs = ms; }
    // The patch the patch selector shows; the invalid patch without one.
    Patch selectedPatch();
    // Receives every patch of the banks on a worker job (with setMode, the
    // instrument is switched to each patch's mode first), for the names of
    // the user banks; onBanksReceived follows when the job has ended, however
    // it ended. Nothing starts for banks without patches. The job, or null
    // when none started.
    Task_ReceiveBanks* receiveBanks(const BankSet& banks, bool setMode);
    // A receiveBanks job ended (completed, cancelled or failed) and the names
    // it took are stored. Nothing here.
    virtual void onBanksReceived();

    // --- keyboard focus ------------------------------------------------------------
    // The first panel of editorPanels that has the focus, or null.
    AbstractPanel* activePanel() const;
    // Moves the focus to the next panel of editorPanels (previous when back
    // is set), wrapping around; with none focused, to the first. The index
    // focused, or -1 without panels.
    virtual int nextPanel(bool back);
    // The panel a panel's message names (its first value), when it is one of
    // the window's: in editorPanels or registered with the client. Null for
    // any other pointer, one of a panel already deleted included; the
    // pointer is only compared, never followed.
    AbstractPanel* knownPanel(const QVariant& value) const;

    // --- status bar, keyboard, clipboard -------------------------------------------
    // Sets up the status bar; the editor calls it from its constructor.
    void createStatusBar();
    // The status labels' text in the scheme's Button Text, the colour that
    // reads on the Button Face strip under them.
    void updateStatusColors();
    // Opens the keyboard window, or closes it when it shows.
    void showKeyboard();
    // The channel of the keyboard window's notes; nothing without one.
    void setKeyboardChannel(int channel);
    // The hex text of the last message shown in the monitor.
    void copySysexToClipboard();

    // --- for tests and the editors ---------------------------------------------------
    QLabel* connectionLabel() { return &statusLabels[0]; }
    QLabel* monitorLabel() { return &statusLabels[1]; }
    QString lastSysexText() const { return sysexText; }
    KeyboardDlg* keyboard() const { return keyboardDlg; }
    bool isConnectedOnce() const { return connectedOnce; }
    bool isSelectPending() const { return selectTimer.isActive(); }

    // Why bytes are no file of whole system-exclusive messages; "" when they
    // are one: one message or more, each F0, data bytes below 0x80, F7, one
    // after the other with nothing between or after them.
    static QString sysexFileError(const QByteArray& bytes);
    // The menu bar's style sheet for the two colours of the selected and the
    // pressed item.
    static QString menuBarStyleSheet(const QColor& selected, const QColor& pressed);
    // What the style sheet adds so the menu bar's titles read on the skin
    // they stand on (the bar is transparent): the text colour of the titles,
    // of the selected and of the pressed one.
    static QString menuBarTextStyleSheet(const QColor& text, const QColor& selected, const QColor& pressed);
    // The colour of the menu bar's titles: the scheme's Button Text when it
    // reads on every pixel of the skin under the bar, else black or white,
    // whichever reads better.
    QColor menuBarTitleColor() const;

protected:
    // A panel's message whose panel is no longer the window's is dropped;
    // every other event goes on.
    void customEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // With a tabbed panel focused, Alt+1 to Alt+9 pick its tab and Ctrl keys
    // go to it first (rows by digit, Up and Down; controls by Left, Right,
    // Home and End). Ctrl+Tab and Ctrl+Shift+Tab move between the panels. A
    // key without Ctrl, Alt and Shift goes to the controls of every panel,
    // which react to their own shortcut keys. Every key not used goes on.
    void keyPressEvent(QKeyEvent* event) override;
    // The digit key (Qt::Key_0 to Qt::Key_9) at a key code of the keyboard's
    // digit row, whatever the layout prints on it; 0 for any other key.
    static int DigitRowKey(quint32 scanCode);
    // A click on the window ends the typing of a name.
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // The panels the focus moves through, in order; the editor appends them.
    // The window never deletes them; a panel that is deleted goes null here
    // and counts no more.
    Vector<QPointer<AbstractPanel>> editorPanels;
    // Set by the first OnConnect that finds the device connected; the editors
    // switch the instrument's mode without asking before it.
    bool connectedOnce = false;
    QBasicTimer selectTimer;
    // Hex text of the last message shown in the monitor.
    QString sysexText;
    // [0] the connection, [1] the monitor of sent messages.
    QLabel statusLabels[2];
    bool firstConnection = true;
    // Made on first use, a child of the window, kept (hidden) when closed.
    KeyboardDlg* keyboardDlg = nullptr;

private:
    // Shows a sent message's analysis text; GUI thread.
    void showSent(const QString& text, const QString& hex);
    // Acts on a connection notice kept back, if any; GUI thread.
    void actOnPendingConnect();

    // A connection notice came while the window was hidden or before its
    // first paint: it is acted on once the window shows and has painted.
    bool m_connectPending = false;
    bool m_painted = false;
    int m_selectDelayMs = SelectDelayMs;
};
