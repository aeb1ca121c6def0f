// Base of every file document.
#pragma once

#include <QString>

#include <memory>

class Archive;

// What an undo step keeps of a document (Document::saveState).
class DocumentState
{
public:
    virtual ~DocumentState() = default;
};

// A document read from and written to one file through an Archive. Subclasses
// override the virtual slots; loadFile and storeFile open the file and hand
// the archive to loadDocument or storeDocument.
class Document
{
public:
    Document() = default;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    virtual ~Document();

    // Opens path and returns loadDocument's result. False with the error text
    // "Cannot open file\n\n<path>" when the file cannot be opened.
    virtual bool loadFile(const QString& path);
    // Writes the document through storeDocument into a new file that replaces
    // path only when everything succeeded: a refused or failed write keeps the
    // old file, and the error text then reads "Cannot save file\n\n<path>"
    // unless storeDocument set one of its own.
    virtual bool storeFile(const QString& path);
    virtual void clearDocument() {}
    virtual void newDocument(int type);
    virtual void validateDocument() {}
    virtual bool loadDocument(Archive& archive);
    virtual bool storeDocument(Archive& archive);
    virtual double estimatedSizeMB() const { return 0.0; }

    // Undo steps: the document as it is now, and back to such a state. By
    // default the stored form, written by storeDocument and read back by
    // loadDocument; a document whose parts can stay shared between its steps
    // (a library's patches) keeps them so, and a step then costs little more
    // than its parts' count. restoreState gives false for a state it cannot
    // take back.
    virtual std::shared_ptr<const DocumentState> saveState();
    virtual bool restoreState(const DocumentState& state);

    // The text of the last failure, for the caller to show.
    QString docError() const { return m_docError; }
    void setDocError(const QString& text) { m_docError = text; }

private:
    QString m_docError;
};
