#include "Task_Poller.h"

Task_Poller::Task_Poller() : Task(QStringLiteral("Task_Poller")) {}
Task_Poller::~Task_Poller()
{
    safeTerminate();
}
void Task_Poller::poll(MidiDevice* device)
{
    m_device = device;
}
void Task_Poller::run() {}
void Task_Poller::finished() {}
