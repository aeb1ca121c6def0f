// What the transfer tests hold on to: an owner over a library document that
// records what the transfers tell it, and a progress display that records
// what each job shows.
#pragma once

#include "LibraryTask.h"
#include "Task.h"

#include <QList>
#include <QMap>
#include <QStringList>

#include <functional>

class Library;

class TestTransferOwner : public TransferOwner
{
public:
    // library is not owned and must outlive the owner.
    explicit TestTransferOwner(Library* library) : m_library(library) {}
    ~TestTransferOwner() override { endTransfers(); }

    Library* transferLibrary() override { return m_library; }
    // Records "group:row", with " appended" for a new row.
    void patchReceived(PatchGroup* group, int row, bool appended) override;
    void transferEnded(bool appended) override;

    QStringList received;
    // Calls that came on another thread than the GUI thread.
    int offThread = 0;
    QList<bool> ends; // each transferEnded, with its appended flag
    // Runs after each patch was recorded.
    std::function<void(PatchGroup*, int)> onReceived;

private:
    Library* m_library;
};

// Installed as the jobs' display for its lifetime.
class TaskRecorder : public TaskUi
{
public:
    struct Shown
    {
        QString title;
        int maximum = 0;
        QStringList messages;
        int steps = 0;
        bool ended = false;
        bool failed = false;
        QString endText;
    };

    TaskRecorder();
    ~TaskRecorder() override;

    void begin(Task* task, const QString& title, int maximum) override;
    void message(Task* task, const QString& text) override;
    void step(Task* task, int pos) override;
    void end(Task* task, const QString& text, bool failed) override;

    // The jobs in the order they began.
    QList<Shown> shown;
    // The running jobs, by the position of their record.
    QMap<Task*, int> running;
    // Runs after each step is recorded: the job and its steps so far.
    std::function<void(Task*, int)> onStep;

    bool allEnded() const;
    const Shown& last() const { return shown.last(); }
};
