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

// A pointer carried in a message value. VarToPointer gives null for a value
// that does not hold one.
QVariant PointerToVar(void* pointer);
void* VarToPointer(const QVariant& value);
