#include "SharedByte.h"

#include "MidiDevice.h"
#include "ParamInfo.h"
#include "Sysex.h"

#include <map>
#include <tuple>

namespace {

// One parameter of one device: two parameters at one address but of other
// sizes hold different data.
using Key = std::tuple<const void*, unsigned int, int, bool>;

Key keyOf(const MidiDevice* device, const ParamInfo& param)
{
    return Key(device, param.address(), param.size, param.nibbles);
}

} // namespace

struct SharedByte::Record
{
    Key key;
    int data = -1; // -1 until the parameter was received or sent
};

namespace {

// The records by parameter, for as long as a control holds one. GUI thread
// only.
std::map<Key, std::weak_ptr<SharedByte::Record>>& records()
{
    static std::map<Key, std::weak_ptr<SharedByte::Record>> all;
    return all;
}

// Drops the map entry of a record no control holds any more.
void release(std::shared_ptr<SharedByte::Record>& held)
{
    if (!held)
        return;
    const Key key = held->key;
    held.reset();
    auto& all = records();
    const auto it = all.find(key);
    if (it != all.end() && it->second.expired())
        all.erase(it);
}

} // namespace

SharedByte::~SharedByte()
{
    release(m_record);
}

void SharedByte::forget()
{
    release(m_record);
}

SharedByte::Record* SharedByte::record(const MidiDevice* device, const ParamInfo& param) const
{
    if (!device || !param.hasBitField() || !param.hasAddress())
        return nullptr;
    const Key key = keyOf(device, param);
    if (m_record && m_record->key == key)
        return m_record.get();
    // The control's parameter moved to another address.
    release(m_record);
    std::weak_ptr<Record>& slot = records()[key];
    m_record = slot.lock();
    if (!m_record) {
        m_record = std::make_shared<Record>();
        m_record->key = key;
        slot = m_record;
    }
    return m_record.get();
}

int SharedByte::data(const MidiDevice* device, const ParamInfo& param) const
{
    const Record* shared = record(device, param);
    return shared ? shared->data : -1;
}

void SharedByte::setData(const MidiDevice* device, const ParamInfo& param, int data)
{
    if (Record* shared = record(device, param))
        shared->data = data;
}

bool SharedByte::readIfUnknown(MidiDevice* device, const ParamInfo& param)
{
    Record* shared = record(device, param);
    if (!shared || shared->data != -1)
        return true;
    // Packing into data never seen would clear the parameter's other bits on
    // the instrument.
    const int data = device->syncParamRequest(param, ReadTimeoutMs);
    if (data == -1)
        return false;
    shared->data = data;
    return true;
}

int SharedByte::receive(const MidiDevice* device, ParamInfo& param, Sysex* message)
{
    const int data = message ? message->getParameterData(param) : -1;
    if (data == -1)
        return -1;
    param.setWholeData(data);
    setData(device, param, data);
    return data;
}

void SharedByte::send(MidiDevice* device, ParamInfo& param, int value)
{
    const int data = dataToSend(device, param, value);
    if (data == -1)
        return;
    device->paramChange(param, data);
    device->paramRequest(param);
}

int SharedByte::dataToSend(const MidiDevice* device, ParamInfo& param, int value)
{
    Record* shared = record(device, param);
    if (!shared)
        return param.valueToData(value);
    if (shared->data == -1)
        return -1;
    param.setWholeData(shared->data);
    const int data = param.valueToData(value);
    if (data != -1)
        shared->data = data;
    return data;
}
