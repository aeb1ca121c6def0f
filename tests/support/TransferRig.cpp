#include "TransferRig.h"

#include "Library.h"

#include <QCoreApplication>
#include <QThread>

void TestTransferOwner::patchReceived(PatchGroup* group, int row, bool appended)
{
    if (QThread::currentThread() != qApp->thread())
        ++offThread;
    received << QStringLiteral("%1:%2%3").arg(group->name()).arg(row).arg(appended ? " appended" : "");
    if (onReceived)
        onReceived(group, row);
}

void TestTransferOwner::transferEnded(bool appended)
{
    if (QThread::currentThread() != qApp->thread())
        ++offThread;
    ends << appended;
}

TaskRecorder::TaskRecorder()
{
    Task::setUi(this);
}

TaskRecorder::~TaskRecorder()
{
    if (Task::ui() == this)
        Task::setUi(nullptr);
}

void TaskRecorder::begin(Task* task, const QString& title, int maximum)
{
    Shown s;
    s.title = title;
    s.maximum = maximum;
    shown << s;
    running.insert(task, int(shown.size()) - 1);
}

void TaskRecorder::message(Task* task, const QString& text)
{
    if (running.contains(task))
        shown[running.value(task)].messages << text;
}

void TaskRecorder::step(Task* task, int pos)
{
    if (!running.contains(task))
        return;
    shown[running.value(task)].steps = pos;
    if (onStep)
        onStep(task, pos);
}

void TaskRecorder::end(Task* task, const QString& text, bool failed)
{
    const int i = running.value(task, -1);
    if (i < 0)
        return;
    running.remove(task);
    shown[i].ended = true;
    shown[i].failed = failed;
    shown[i].endText = text;
}

bool TaskRecorder::allEnded() const
{
    return !shown.isEmpty() && running.isEmpty();
}
