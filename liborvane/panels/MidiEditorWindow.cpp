#include "MidiEditorWindow.h"

#include "Application.h"
#include "Buffer.h"
#include "BulkDump.h"
#include "Colors.h"
#include "EventMessage.h"
#include "KeyboardDlg.h"
#include "MidiDevice.h"
#include "MidiPatchEdit.h"
#include "MidiString.h"
#include "Panel.h"
#include "Paths.h"
#include "Profile.h"
#include "Prompts.h"
#include "Sysex.h"
#include "TabPanel.h"
#include "Task_ReceiveBanks.h"
#include "VarArgs.h"
#include "WindowState.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QPalette>
#include <QSettings>
#include <QStatusBar>
#include <QThread>
#include <QTimerEvent>

namespace {

const QString NoPort = QStringLiteral("(none)");
// Rows of the shaded band along the top of the window's skin.
constexpr int BackgroundBand = 6;

bool isUsablePortName(const QString& name)
{
    return !name.isEmpty() && name != NoPort;
}

} // namespace

MidiEditorWindow::MidiEditorWindow(MidiDevice* device)
    : MainWindow(QSize(800, 600)), MidiClient(Profile::title(), device, this)
{
    setAcceptDrops(true);

    if (device->hasPorts()) {
        device->connect(true);
    } else if (!isUsablePortName(device->midiIn()->name()) && !isUsablePortName(device->midiOut()->name())) {
        // The editor has no ports of its own (never set, or "(none)" stored
        // by an earlier start): the librarian's, when it has a pair, become
        // the editor's. Nothing is stored otherwise, so the librarian's
        // ports are found as soon as it has some.
        QSettings librarian(QStringLiteral("Tamsel"), device->name() + QStringLiteral(" Ridev Vurivodez"));
        const QString in = librarian.value(QStringLiteral("MidiIn"), NoPort).toString();
        const QString out = librarian.value(QStringLiteral("MidiOut"), NoPort).toString();
        if (isUsablePortName(in) && isUsablePortName(out))
            device->setPorts(in, out);
    }
    // Otherwise one port is named and the other is not usable: the user
    // connects from the MIDI set-up.

    // The editor shows its own labels in place of the window's message line.
    statusBar()->removeWidget(statusWidget());
}

MidiEditorWindow::~MidiEditorWindow()
{
    colors.toRegistry();
    Profile::settings()->setValue(QStringLiteral("ShowKeyboard"), keyboardDlg && keyboardDlg->isVisible());
}

// --- connection ----------------------------------------------------------------

void MidiEditorWindow::OnConnect()
{
    // A hidden window (not shown yet, or hidden by the program) keeps the
    // notice until it shows: the device reports a state only when it
    // changes, so a notice dropped here would never come again. A window
    // that has not painted yet keeps it until it has: what follows waits on
    // the instrument (the edit buffer, the mode switch), and the user sees
    // the window first, whatever the instrument does.
    if (!isVisible() || !m_painted) {
        m_connectPending = true;
        return;
    }
    m_connectPending = false;
    Application::closeSplash();
    statusLabels[0].setText(connectionText());
    if (!device->isConnected()) {
        reportMidiSystem();
        return;
    }
    initDevice();
    MidiReceive();
    if (firstConnection) {
        firstConnection = false;
        openFile(Application::arg(0));
    }
    connectedOnce = true;
}

// Posted: a notice kept back is acted on once what shows or paints now has
// reached the screen.
void MidiEditorWindow::actOnPendingConnect()
{
    if (!m_connectPending)
        return;
    m_connectPending = false;
    PostMessage(this, ConnectMessage, QVariant(0), QVariant(0));
}

void MidiEditorWindow::showEvent(QShowEvent* event)
{
    MainWindow::showEvent(event);
    if (m_painted)
        actOnPendingConnect();
}

void MidiEditorWindow::initDevice() {}

QString MidiEditorWindow::patchFileError(const QByteArray&)
{
    return QString();
}

// --- device hooks ------------------------------------------------------------------

void MidiEditorWindow::OnMidiMessage(const MidiMessage& message, MidiSource source)
{
    if (keyboardDlg && source != SourceGUI)
        keyboardDlg->onMidiMessage(message);
    MidiClient::OnMidiMessage(message, source);
}

void MidiEditorWindow::OnPatchChange(Patch patch, MidiSource source)
{
    if (keyboardDlg)
        keyboardDlg->allKeysOff();
    MidiClient::OnPatchChange(patch, source);
}

void MidiEditorWindow::MidiReceive()
{
    if (keyboardDlg)
        keyboardDlg->allKeysOff();
}

void MidiEditorWindow::OnSysex(Sysex* message, MidiSource source)
{
    // Only what the program sends is shown; received messages go to the
    // panels alone.
    if (source == SourceGUI && message) {
        const QString text = device->displaySysex(message);
        if (!text.isEmpty()) {
            const QString hex = message->toString(-1);
            // A worker job's sends echo on its own thread; the labels are the
            // GUI thread's.
            if (QThread::currentThread() == thread())
                showSent(text, hex);
            else
                QMetaObject::invokeMethod(
                    this, [this, text, hex]() { showSent(text, hex); }, Qt::QueuedConnection);
        }
    }
    MidiClient::OnSysex(message, source);
}

void MidiEditorWindow::showSent(const QString& text, const QString& hex)
{
    sysexText = hex;
    statusLabels[1].setText(text);
    SetAccessibleText(&statusLabels[1], sysexText);
}

// --- files -------------------------------------------------------------------------

QString MidiEditorWindow::sysexFileError(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return QStringLiteral("The file is empty.");
    if (quint8(bytes.at(0)) != 0xF0)
        return QStringLiteral("The file does not start with a system-exclusive message.");
    bool inMessage = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const quint8 b = quint8(bytes.at(i));
        if (!inMessage) {
            if (b != 0xF0)
                return VarArgs::format("The file holds other data after its system-exclusive messages "
                                       "(byte %d).",
                                       int(i));
            inMessage = true;
        } else if (b == 0xF7) {
            inMessage = false;
        } else if (b >= 0x80) {
            return VarArgs::format("A system-exclusive message of the file is broken (byte %d).", int(i));
        }
    }
    if (inMessage)
        return QStringLiteral("The last system-exclusive message of the file is cut short.");
    return QString();
}

void MidiEditorWindow::openFile(const QString& path)
{
    if (path.isEmpty() || path == QLatin1String("edit"))
        return;
    const QString shown = GetCompactPath(path, -1);
    const QFileInfo info(path);
    QByteArray bytes;
    if (!info.isFile() || !info.isReadable()) {
        error(this, VarArgs::format("File not found\n\n%s", shown));
        return;
    }
    if (info.size() > MaxSysexFileSize) {
        error(this,
              VarArgs::format("Illegal file\n\n%s\n\nThe file is too large for a patch file (%d KB at most).",
                              shown, int(MaxSysexFileSize / 1024)));
        return;
    }
    if (!ReadFileBytes(path, MaxSysexFileSize, bytes)) {
        error(this, VarArgs::format("File not found\n\n%s", shown));
        return;
    }
    QString why = sysexFileError(bytes);
    if (why.isEmpty())
        why = patchFileError(bytes);
    if (!why.isEmpty()) {
        error(this, VarArgs::format("Illegal file\n\n%s\n\n%s", shown, why));
        return;
    }
    // The bytes checked are the bytes sent: the file is not read again.
    Buffer buffer;
    buffer.copy(reinterpret_cast<const unsigned char*>(bytes.constData()), int(bytes.size()));
    BulkDump dump;
    dump.fromBuffer(&buffer, device, false);
    dump.sendToSynth(device);
    MidiReceive();
}

// --- patches -------------------------------------------------------------------------

void MidiEditorWindow::selectPatch(Patch patch)
{
    selectTimer.stop();
    if (MidiPatchEdit* edit = patchEdit())
        edit->setPatch(patch);
    // Precise: a coarse timer may fire a twentieth early.
    selectTimer.start(m_selectDelayMs, Qt::PreciseTimer, this);
}

Patch MidiEditorWindow::selectedPatch()
{
    MidiPatchEdit* edit = patchEdit();
    return edit ? edit->patch() : Patch();
}

Task_ReceiveBanks* MidiEditorWindow::receiveBanks(const BankSet& banks, bool setMode)
{
    if (banks.ridevPatchesCount() == 0)
        return nullptr;
    return Task_ReceiveBanks::receiveBanks(this, banks, setMode, [this]() { onBanksReceived(); });
}

void MidiEditorWindow::onBanksReceived() {}

void MidiEditorWindow::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == selectTimer.timerId()) {
        selectTimer.stop();
        MidiReceive();
    }
    MainWindow::timerEvent(event);
}

// --- status bar, style, painting -------------------------------------------------------

void MidiEditorWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    // The window paints the strip under the bar.
    bar->setAutoFillBackground(false);
    bar->setStyleSheet(QStringLiteral("QStatusBar::item {border-right: 1px solid #c4c4c4; }"));
    bar->setFixedHeight(StatusBarHeight);
    bar->setSizeGripEnabled(false);
}

void MidiEditorWindow::onLoadWindow()
{
    const QFont font = QApplication::font("QStatusBar");
    for (QLabel& label : statusLabels) {
        label.setTextFormat(Qt::RichText);
        label.setMargin(1);
        label.setIndent(1);
        label.setFont(font);
    }
    updateStatusColors();
    statusLabels[0].setText(connectionText());
    statusBar()->addPermanentWidget(&statusLabels[0], 100);
    statusBar()->addPermanentWidget(&statusLabels[1], 55);
    statusLabels[0].show();
    statusLabels[1].show();

    if (Profile::settings()->value(QStringLiteral("ShowKeyboard"), false).toBool()) {
        showKeyboard();
        // The main window keeps the focus.
        activateWindow();
    }
}

QString MidiEditorWindow::menuBarStyleSheet(const QColor& selected, const QColor& pressed)
{
    return VarArgs::format(
        " QMenuBar { padding: 0px; background: transparent; }  QMenuBar::item { spacing: 0px; "
        "padding: 4px 10px; background: transparent; border-radius: 0px; }  "
        "QMenuBar::item:selected { background: %s; }  QMenuBar::item:pressed { background: %s; } ",
        QVariant(selected), QVariant(pressed));
}

QString MidiEditorWindow::menuBarTextStyleSheet(const QColor& text, const QColor& selected, const QColor& pressed)
{
    return VarArgs::format(" QMenuBar { color: %s; }  QMenuBar::item { color: %s; }  "
                           "QMenuBar::item:selected { color: %s; }  QMenuBar::item:pressed { color: %s; } ",
                           QVariant(text), QVariant(text), QVariant(selected), QVariant(pressed));
}

QColor MidiEditorWindow::menuBarTitleColor() const
{
    // The bar is transparent: its titles stand on the skin the window paints,
    // a texture, so they must read on its darkest and its lightest pixel,
    // under the shaded band along the top where the titles' letters are.
    const QMenuBar* bar = const_cast<MidiEditorWindow*>(this)->menuBar();
    QImage skin(qMax(1, bar->width()), qMax(BackgroundBand + 1, bar->y() + bar->height()), QImage::Format_RGB32);
    {
        QPainter painter(&skin);
        colors.drawBackground(&painter, skin.rect(), BackgroundBand);
    }
    QColor darkest = Qt::white;
    QColor lightest = Qt::black;
    for (int y = BackgroundBand; y < skin.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(skin.constScanLine(y));
        for (int x = 0; x < skin.width(); ++x) {
            const QColor pixel(line[x]);
            if (ContrastRatio(pixel, Qt::black) < ContrastRatio(darkest, Qt::black))
                darkest = pixel;
            if (ContrastRatio(pixel, Qt::black) > ContrastRatio(lightest, Qt::black))
                lightest = pixel;
        }
    }
    const auto worst = [&](const QColor& text) {
        return std::min(ContrastRatio(text, darkest), ContrastRatio(text, lightest));
    };
    const QColor text = colors.getColor(ButtonTextColor);
    if (worst(text) >= ReadableContrast)
        return text;
    return worst(Qt::black) >= worst(Qt::white) ? QColor(Qt::black) : QColor(Qt::white);
}

void MidiEditorWindow::updateStyleSheets()
{
    const QColor face = colors.getColor(ButtonFaceColor);
    const QColor caption = colors.getColor(CaptionColor);
    const QColor selected = GetColor2(face, 1.0, 0.91);
    const QColor pressed = MergeColors(face, caption, 0.4);
    // The titles take the scheme's Button Text where it reads on the skin,
    // not the desktop's text colour: a dark desktop palette would give light
    // titles on a light skin.
    const QColor text = colors.getColor(ButtonTextColor);
    menuBar()->setStyleSheet(menuBarStyleSheet(selected, pressed) +
                             menuBarTextStyleSheet(menuBarTitleColor(), ReadableOn(selected, text),
                                                   ReadableOn(pressed, text)));
    updateStatusColors();
}

void MidiEditorWindow::updateStatusColors()
{
    // The strip under the labels is painted in Button Face whatever the
    // desktop's colours are, so their text takes the scheme's Button Text: a
    // dark desktop palette would give light text on the light strip.
    const QColor text = colors.getColor(ButtonTextColor);
    for (QLabel& label : statusLabels) {
        QPalette palette = label.palette();
        for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::WindowText, text);
            palette.setColor(group, QPalette::Text, text);
        }
        label.setPalette(palette);
    }
}

void MidiEditorWindow::paintEvent(QPaintEvent*)
{
    if (!m_painted) {
        m_painted = true;
        actOnPendingConnect();
    }
    QPainter painter(this);
    colors.drawBackground(&painter, rect(), BackgroundBand);
    const int w = width();
    const int h = height();
    const QColor face = colors.getColor(ButtonFaceColor);
    const QRect strip(0, h - StatusBarHeight, w, StatusBarHeight);
    FillGradient(&painter, strip, GetColor2(face, 1.0, 0.99), GetColor2(face, 1.0, 1.01), true, -1);
    QColor shadow = face.darker(200);
    shadow.setAlpha(250);
    QColor clear = face;
    clear.setAlpha(0);
    FillGradient(&painter, QRect(0, h - StatusBarHeight, w, 4), shadow, clear, true, -1);
}

// --- keys, focus, mouse -------------------------------------------------------------------

AbstractPanel* MidiEditorWindow::activePanel() const
{
    for (AbstractPanel* panel : editorPanels) {
        if (panel && panel->hasFocus())
            return panel;
    }
    return nullptr;
}

int MidiEditorWindow::nextPanel(bool back)
{
    // Panels deleted since they were appended leave the ring first.
    editorPanels.removeIf([](const QPointer<AbstractPanel>& panel) { return panel.isNull(); });
    const int n = int(editorPanels.size());
    if (n == 0)
        return -1;
    const int i = int(editorPanels.indexOf(activePanel()));
    int target = 0;
    if (i != -1)
        target = back ? (n + i - 1) % n : (i + 1) % n;
    editorPanels.at(target)->setFocus(0);
    return target;
}

AbstractPanel* MidiEditorWindow::knownPanel(const QVariant& value) const
{
    const void* named = VarToPointer(value);
    if (!named)
        return nullptr;
    // Panels post themselves as AbstractPanel, the base at the start of
    // every panel.
    for (AbstractPanel* panel : editorPanels) {
        if (panel && static_cast<const void*>(panel) == named)
            return panel;
    }
    for (Panel* panel : panels) {
        AbstractPanel* base = panel;
        if (base && static_cast<const void*>(base) == named)
            return base;
    }
    return nullptr;
}

void MidiEditorWindow::customEvent(QEvent* event)
{
    if (event->type() == EventMessage::Type()) {
        const auto* message = static_cast<EventMessage*>(event);
        const int id = message->id();
        if (id >= AbstractPanel::PanelSelectedMessage && id <= AbstractPanel::CaptionMenuMessage &&
            !knownPanel(message->data()))
            return;
    }
    MainWindow::customEvent(event);
}

int MidiEditorWindow::DigitRowKey(quint32 scanCode)
{
#ifdef Q_OS_LINUX
    // The key codes of the digit row, "1" to "9" and "0" (evdev 2..11, plus 8).
    if (scanCode >= 10 && scanCode <= 19)
        return scanCode == 19 ? Qt::Key_0 : int(Qt::Key_1) + int(scanCode - 10);
#else
    Q_UNUSED(scanCode);
#endif
    return 0;
}

void MidiEditorWindow::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    auto* tabs = qobject_cast<TabPanel*>(activePanel());
    // Only Alt+1 to Alt+9 name a tab; other Alt keys (menu mnemonics) go on.
    if ((modifiers & Qt::AltModifier) && tabs && key >= Qt::Key_1 && key <= Qt::Key_9) {
        tabs->selectTab(key - Qt::Key_1);
        return;
    }
    if (modifiers & Qt::ControlModifier) {
        // The key as the keyboard names it first: with Shift, the digit
        // keys give other characters.
        const int native = int(event->nativeVirtualKey());
        if (tabs && ((native && tabs->processCtrlKey(native, int(modifiers))) ||
                     tabs->processCtrlKey(key, int(modifiers))))
            return;
        // X11 and Wayland name a key by its symbol ("!" for Shift+1, "&" for
        // 1 on a French keyboard); the digit row is then found by position.
        const int digit = DigitRowKey(event->nativeScanCode());
        if (tabs && digit && tabs->processCtrlKey(digit, int(modifiers)))
            return;
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            nextPanel(key == Qt::Key_Backtab);
            return;
        }
    }
    // Meta and keypad keys still reach the controls.
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier))) {
        forEachListedPanel([key](Panel* panel) { panel->onKey(key); });
    }
    MainWindow::keyPressEvent(event);
}

void MidiEditorWindow::mousePressEvent(QMouseEvent* event)
{
    MidiString::stopEditing(true);
    MainWindow::mousePressEvent(event);
}

// --- keyboard window, clipboard -----------------------------------------------------------

void MidiEditorWindow::showKeyboard()
{
    if (keyboardDlg && keyboardDlg->isVisible()) {
        keyboardDlg->close();
        return;
    }
    // One keyboard window for the window's whole life: a closed one is only
    // hidden and shows again with its channel and position.
    if (!keyboardDlg)
        keyboardDlg = new KeyboardDlg(this, device);
    keyboardDlg->show();
}

void MidiEditorWindow::setKeyboardChannel(int channel)
{
    if (keyboardDlg)
        keyboardDlg->setChannel(channel);
}

void MidiEditorWindow::copySysexToClipboard()
{
    CopyToClipboard(sysexText);
}
