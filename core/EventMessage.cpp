#include "EventMessage.h"

#include <QCoreApplication>
#include <QObject>

EventMessage::EventMessage(int id, const QVariant& data, const QVariant& source)
    : QEvent(Type()), m_id(id), m_data(data), m_source(source)
{
}

QEvent::Type EventMessage::Type()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostMessage(QObject* target, int id, const QVariant& data, const QVariant& source)
{
    if (!target)
        return;
    QCoreApplication::postEvent(target, new EventMessage(id, data, source));
}

CommandEvent::CommandEvent(int id) : QEvent(Type()), m_id(id) {}

QEvent::Type CommandEvent::Type()
{
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void PostCommand(QObject* target, int id)
{
    if (!target)
        return;
    QCoreApplication::postEvent(target, new CommandEvent(id));
}

QVariant PointerToVar(void* pointer)
{
    return QVariant::fromValue(pointer);
}

void* VarToPointer(const QVariant& value)
{
    if (value.metaType() != QMetaType::fromType<void*>())
        return nullptr;
    return value.value<void*>();
}
