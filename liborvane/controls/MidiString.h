// The name control of string elements: a name the instrument holds as a row
// of one-character parameters, character i at the element's address plus i.
//
// A click, Return, Enter or F2 opens a line editor over the control holding
// the name; a typed character opens it starting a new name. An accepted edit
// is stored and sent whole: one parameter change per character, blank-padded
// to the name's length, then a request per character to read it back. The
// instrument takes 7-bit characters only: a character it cannot hold goes out
// as its plain letter when it has one ("é" as "e"), else as "?", and the name
// shows as sent. Received characters that are not printable show as blanks;
// trailing blanks are dropped.
//
// One editor at most is open in the whole program; stopEditing ends it from
// outside (a click on the window background accepts it). The editor is a
// child of its control and goes with it. GUI thread only.
#pragma once

#include "CommonInfo.h"
#include "InlineEdit.h"
#include "MidiCtrl.h"
#include "MyCtrl.h"

#include <QPointer>

class MidiMessage;
class Sysex;

class MidiString : public MyCtrl, public MidiCtrl
{
    Q_OBJECT

public:
    // The editor's look.
    static constexpr const char* EditorFont = "Lucida Grande";
    static constexpr int EditorFontSize = 11;
    static constexpr const char* EditorStyle = "QLineEdit {border: 1px solid black; padding: 1 1px; }";

    MidiString(Panel* panel, const StringInfo& info);
    ~MidiString() override;

    int type() const override { return StringType; }
    CommonInfo* gInfo() override { return &info; }
    void onKey(int) override {}
    // Requests every character, unless no_request is set.
    void MidiReceive() override;
    // Takes every character the message holds.
    void OnSysex(Sysex* message) override;
    void OnMidiMessage(const MidiMessage&) override {}

    const StringInfo& stringInfo() const { return info; }

    // Opens the editor over the control holding text (trailing blanks
    // dropped); selectAll: starting from the current name (all of it
    // selected), not from a typed character.
    void edit(const QString& text, bool selectAll);
    void edit() { edit(text(), true); }
    // The open editor, null when none.
    static InlineEdit* editor() { return m_edit; }
    // Ends the open edit, if any, accepting its text or not.
    static void stopEditing(bool ok);

    // Stores a new name and sends it, also when unchanged.
    void changeText(const QString& text);
    // Stores a received character at index; nothing is sent.
    void setChar(int index, int c);
    // Sends the name, then asks for it back.
    void updateSynth();

    // The character code the instrument is sent for c.
    static int toSevenBit(QChar c);

    void paint(QPainter* p, const QRect& r) override;

public slots:
    void onFinishedEdit(bool ok, const QString& text, bool keepFocus);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    StringInfo info;
    // The one editor open in the program; null when none, also once the
    // control that opened it is gone with it.
    static QPointer<InlineEdit> m_edit;
};
