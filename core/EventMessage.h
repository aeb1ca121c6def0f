// Messages posted to an object and handled on the object's own thread.
#pragma once

#include <QEvent>
#include <QVariant>

class QObject;

// The event that PostMessage() delivers: a message id and two values. It is a
// real event, so event filters on the target see it before customEvent().
class EventMessage : public QEvent
{
public:
    EventMessage(int id, const QVariant& data, const QVariant& source);

    // The registered event type of every message.
    static QEvent::Type Type();

    int id() const { return m_id; }
    const QVariant& data() const { return m_data; }
    const QVariant& source() const { return m_source; }

    EventMessage* clone() const override { return new EventMessage(*this); }

protected:
    EventMessage(const EventMessage&) = default;

private:
    int m_id;
    QVariant m_data;
    QVariant m_source;
};

// Queues an EventMessage for target, from any thread; it is handled later on
// the target's thread. A null target does nothing. Messages for a target that
// is deleted before they are handled are dropped.
void PostMessage(QObject* target, int id, const QVariant& data = QVariant(),
                 const QVariant& source = QVariant());

// The event that PostCommand() delivers: a command id, as a menu entry or a
// tool button of a main window would trigger it. The main window turns it
// into its onCommand(int) dispatch.
class CommandEvent : public QEvent
{
public:
    explicit CommandEvent(int id);

    // The registered event type of every command.
    static QEvent::Type Type();

    int id() const { return m_id; }

    CommandEvent* clone() const override { return new CommandEvent(*this); }

protected:
    CommandEvent(const CommandEvent&) = default;

private:
    int m_id;
};

// Queues a CommandEvent for target, from any thread, in the same way as
// PostMessage: a null target does nothing, and a command for a target that
// is deleted before it is handled is dropped.
void PostCommand(QObject* target, int id);

// A pointer carried in a message value. VarToPointer gives null for a value
// that does not hold one.
QVariant PointerToVar(void* pointer);
void* VarToPointer(const QVariant& value);
