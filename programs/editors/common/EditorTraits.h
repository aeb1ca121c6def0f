// What sets the five editors apart where they talk to the instrument: one
// table per editor, read by the shared operations (EditorWire.h,
// SubUnits.h). Each editor's table stands in its window's source; a value
// an editor lacks is -1, 0 or empty.
//
// Command ids follow the editors' conventions: a sub-unit's copy command is
// c, its paste c + 1000, its swap c + 1500; an effect block's copy c and
// its paste c + 1000.
#pragma once

#include <QList>

class Vesk;

struct EditorTraits
{
    // --- the edit buffer -------------------------------------------------------
    // Dump type: 0 voice, 1 drum kit, 3 performance, 4 mix, 5 master.
    int dumpType = -1;
    // What the editor edits, for messages: "voice", "drum kit", ...
    const char* patchKind = "";
    // Wait for the edit buffer when receiving, saving and storing.
    int receiveTimeoutMs = 2000;
    // Mode the editor works in; -1: the mix mode the user chose.
    int mode = -1;
    // "Do you want to switch to Voice mode?"; the mix editor formats its own.
    const char* switchQuestion = "";
    // Bank whose program 0 is selected when the edit buffer does not answer
    // after the mode switch; 0: none.
    unsigned short fallbackBank = 0;
    // The instrument's receive channel is read on every connection.
    bool readsReceiveChannel = false;

    // --- program changes -------------------------------------------------------
    // The editor's banks; null: program changes read nothing (mix).
    bool (*isOwnBank)(unsigned short bank) = nullptr;
    // The editor's own selector re-reads whatever the bank (voice, drum kit);
    // otherwise only for its own banks.
    bool selectorReadsAnyBank = false;
    // A change to the patch already shown is ignored (master).
    bool ignoresSamePatch = false;

    // --- files, store, names ---------------------------------------------------
    const char* openTitle = "";
    const char* saveTitle = "";
    const char* fileFilter = ""; // empty: no patch files (mix)
    // The user banks a patch is stored to; empty: no store (mix).
    const char* storeBankSet = "";
    // The patch name is "Cat:Name"; otherwise the name alone (master).
    bool nameHasCategory = true;
    // Sends the initial patch to the edit buffer.
    void (*initialise)(Vesk& device) = nullptr;

    // --- commands ----------------------------------------------------------------
    struct Ids
    {
        int open = -1;
        int save = -1;
        int receive = -1;
        int store = -1;
        int storeTo = -1;
        int exit = -1;
        int initialise = -1;
        int gmReset = -1;
        int sysexToClipboard = -1;
        int systemSettings = -1;
        int keyboard = -1;
        int midiSetup = -1;
        int autoconnect = -1;
        int appearance = -1;
        int about = -1;
        int manual = -1;
    } ids;
    // The set-up and help ids, which every window names alike.
    template <class Window>
    void setClosingIds()
    {
        ids.sysexToClipboard = Window::SysexToClipboardCommand;
        ids.systemSettings = Window::SystemSettingsCommand;
        ids.keyboard = Window::KeyboardCommand;
        ids.midiSetup = Window::MidiSetupCommand;
        ids.autoconnect = Window::AutoconnectCommand;
        ids.appearance = Window::AppearanceCommand;
        ids.about = Window::AboutCommand;
        ids.manual = Window::ManualCommand;
    }
    // Those and the patch editors' file, receive, store, exit and initialise
    // ids.
    template <class Window>
    void setPatchEditorIds()
    {
        ids.open = Window::OpenCommand;
        ids.save = Window::SaveCommand;
        ids.receive = Window::ReceiveCommand;
        ids.store = Window::StoreCommand;
        ids.storeTo = Window::StoreToCommand;
        ids.exit = Window::ExitCommand;
        ids.initialise = Window::InitCommand;
        setClosingIds<Window>();
    }
    // Opened by the system settings command.
    const char* systemSection = "";
    const char* aboutImage = "";
    const char* manualPattern = ""; // one %s: the program folder

    struct BankRead
    {
        int id;
        const char* bankSet;
        const char* title;
        const char* prompt;
        bool switchesMode;
    };
    QList<BankRead> bankReads;

    // --- effect blocks -------------------------------------------------------------
    struct EffectBlock
    {
        int copyId;
        unsigned int address;
        // The window's kept message it goes to; the two insert effects share
        // one, and a copy of either enables the pastes of both.
        int kept;
        // A paste gives the kept message this block's address first (the
        // shared insert-effect message); otherwise the message goes back to
        // the block it came from.
        bool pasteReaddresses;
        int copyTimeoutMs;
        int pasteTimeoutMs;
    };
    QList<EffectBlock> effects;

    // --- sub-units -------------------------------------------------------------------
    struct SubUnits
    {
        int count = 0;  // 4 elements, 73 drum keys, 4 parts, 4 zones, 16 parts
        int blocks = 0; // blocks of one sub-unit: 7, 5 or 1
        // Address of block j of sub-unit i; the middle byte is i.
        unsigned int (*block)(int i, int j) = nullptr;
        int timeoutMs = 2000;
        // Copy command of sub-unit 0; -1: the drum kit editor's fixed
        // commands, which act on the selected key.
        int firstCopyId = -1;
        int copyId = -1, pasteId = -1, swapId = -1; // the fixed ones
        bool waitCursorOnCopy = true;
        bool waitCursorOnSwap = true;
        // A paste re-reads the editor even when its request failed.
        bool rereadAfterFailedPaste = false;
        // The target part keeps its receive channel (mix, data byte 3).
        bool keepsChannel = false;
    } subUnits;

    // --- the caption context menu of a sub-unit row ----------------------------------
    enum class CaptionNumber
    {
        None,     // no menu
        Iterator, // the row's iterator is the sub-unit index
        Title     // the number in the row's title is the sub-unit number
    };
    CaptionNumber captionNumber = CaptionNumber::None;
    // With Title: the section of the sub-unit rows. A row of another section
    // (a plug-in part, whose caption is its board's suffix and may end in
    // digits) opens no menu.
    const char* unitSection = "";
    // The menu also shows the mix editor's Ctrl+C, Ctrl+V and Ctrl+B.
    bool captionShortcuts = false;
};
