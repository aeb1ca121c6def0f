// A document type of a program: its name, its file extension and the file
// prompts that choose its files.
//
// The prompts go through the prompts in force (Prompts.h), so a test scripts
// the answers. The folder of the last file chosen is kept in the profile
// under the key each call names. GUI thread only.
#pragma once

#include <QString>

class QWidget;

class DocTemplate
{
public:
    // filterTitle: the prompts' description ("Mix Files"); typeName: the
    // document's name ("Mix"); extension without the dot ("mix").
    DocTemplate(const QString& filterTitle, const QString& typeName, const QString& extension);

    QString filterTitle() const { return m_filterTitle; }
    QString typeName() const { return m_typeName; }
    QString extension() const { return m_extension; }
    // The prompts' filter, "Mix Files (*.mix);;".
    QString filter() const;

    // True for the path of a file of this type: a file name with the
    // extension (any case). The empty path and a bare name such as
    // "Untitled" are not.
    bool isFileValid(const QString& path) const;

    // The file prompts, starting from def (a folder, a file name or both) or
    // from the folder kept under key. The chosen path; "" when cancelled. A
    // name typed without the extension gets it when saving.
    QString openFile(QWidget* parent, const QString& key, const QString& def) const;
    QString saveFile(QWidget* parent, const QString& key, const QString& def) const;

private:
    QString m_filterTitle;
    QString m_typeName;
    QString m_extension;
};
