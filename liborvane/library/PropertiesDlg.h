// "Patch Properties": the name, category and comment of one patch, or of
// several at once.
//
// With one patch the fields show its values. With several, every field reads
// "<keep>": a field left so keeps each patch's own value, any other text is
// given to all of them. The category list is that of the first patch's kind;
// it is disabled when the first patch has no category. The name takes at most
// as many characters as the first patch's name holds.
//
// The dialog changes no patch: the caller runs it through RunDialog and,
// when accepted, applies every field whose text is not "<keep>". The dumps
// and the device are not owned. Modal, GUI thread only.
#pragma once

#include "Containers.h"
#include "Dialog.h"

class MidiDevice;
class MidiEdit;
class PatchDump;
class QLineEdit;

class PropertiesDlg : public Dialog
{
    Q_OBJECT

public:
    // The text of a field that keeps each patch's own value.
    static const QString Keep;

    // dumps: at least one.
    PropertiesDlg(MidiDevice* device, Vector<PatchDump*>* dumps, QWidget* parent = nullptr);
    ~PropertiesDlg() override;

    QString name() const;
    QString category() const;
    QString comment() const;

    QLineEdit* nameEdit() const { return m_name; }
    MidiEdit* categoryEdit() const { return m_category; }
    QLineEdit* commentEdit() const { return m_comment; }

private:
    MidiDevice* m_device = nullptr;
    Vector<PatchDump*>* m_dumps = nullptr;
    MidiEdit* m_category = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_comment = nullptr;
    int m_categoryIndex = -1; // the category list's choice
};
