// The suite's own list and map templates over Qt's containers.
//
// They add a virtual destructor (derived classes are deleted through the base)
// and one hook each: Vector::onClear() runs after the list was emptied, and
// Map::deleteValue() sees every value that leaves the map. MapEx deletes its
// values; the other three never delete what they hold, so a class that owns the
// pointers it lists deletes them in its own operations.
#pragma once

#include <QList>
#include <QMap>
#include <QString>

using ints = QList<int>;
using string = QString;

template <typename T>
class Vector : public QList<T>
{
public:
    Vector() = default;
    Vector(const Vector&) = default;
    Vector& operator=(const Vector&) = default;
    virtual ~Vector() = default;

    // Derived classes drop their own extra state here.
    virtual void onClear() {}

    // Empties the list first, then tells the derived class.
    void clear()
    {
        QList<T>::clear();
        onClear();
    }

    QList<T>& list() { return *this; }
    const QList<T>& list() const { return *this; }
};

template <typename T>
class VectorEx : public Vector<T>
{
public:
    VectorEx() = default;
    VectorEx(const VectorEx&) = default;
    VectorEx& operator=(const VectorEx&) = default;
    ~VectorEx() override = default;

protected:
    // Spare state for derived classes; nothing in the templates reads it.
    QList<T> m_extra;
    QList<int> m_extraInts;
    quint32 m_extraWord = 0;
};

template <typename K, typename V>
class Map : public QMap<K, V>
{
public:
    Map() = default;
    Map(const Map&) = default;
    Map& operator=(const Map&) = default;
    virtual ~Map() = default;

    virtual void deleteValue(const V&) {}

    // Stores value under key; a value already stored under key is passed to
    // deleteValue first, unless it is the very value being stored again.
    void add(const K& key, const V& value)
    {
        auto it = QMap<K, V>::find(key);
        if (it != QMap<K, V>::end()) {
            const V old = it.value();
            if (!(old == value))
                deleteValue(old);
            QMap<K, V>::remove(key);
        }
        QMap<K, V>::insert(key, value);
    }
};

// Owning map: V is a pointer type and every value it still holds is deleted.
template <typename K, typename V>
class MapEx : public Map<K, V>
{
public:
    MapEx() = default;
    MapEx(const MapEx&) = delete;
    MapEx& operator=(const MapEx&) = delete;
    ~MapEx() override { deleteAll(); }

    void deleteValue(const V& value) override { delete value; }

    // Deletes every value in key order while the map still lists them, then
    // empties the map.
    void deleteAll()
    {
        const QMap<K, V> values = *this;
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            delete it.value();
        QMap<K, V>::clear();
    }

    // Emptying an owning map deletes its values too.
    void clear() { deleteAll(); }
};
