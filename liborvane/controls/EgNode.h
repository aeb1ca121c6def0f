// The nodes of an envelope graph and the one-line text that describes them.
//
// An envelope is a chain of nodes; each node has a time (its distance to the
// node before) and a level (its height). Each of the two is a parameter of
// the instrument, a fixed value, or a copy of the same value of a
// neighbouring node. The "nodes" text of an eg element gives all of it:
//
//   nodes  := node ("|" node)*            empty pieces are nodes too
//   node   := name ";" short ";" time ";" level   fields trimmed; a blank
//                                         field, or a missing one, says nothing
//   time, level := item (" " item)*       items "key=value"; others ignored
//
// keys: address (hex with "xx" for the iterator; makes the value adjustable),
// size, min, max, offset (a negative one also sets default = min - offset),
// default, adjust, watch (-1 copies the node before, 1 the node after; a
// later address, default or adjust cancels it). Every node after the first
// starts from the first node's size, range, offset and default.
//
// A value holds raw parameter data (-1 = not received yet); its text adds the
// offset. Plain values, copied freely; GUI thread only.
#pragma once

#include "Containers.h"
#include "MidiParam.h"

#include <QString>

class EgValue : public MidiParam
{
public:
    int min = 0;
    int max = 127; // also the full scale of the drawing
    int offset = 0;
    int defaultValue = 0;
    bool adjust = false; // the user may change it; it must be received before the graph is drawn
    int watch = 0;       // -1 copy the node before, 1 the node after, else no copy
    int value = -1;      // raw data; -1 missing

    // Takes size, min, max, offset and default of another value (the
    // first node's, for the nodes after it).
    void copyCommon(const EgValue& from);
    // value = v clamped to min..max (so -1 becomes min).
    void setValue(int v);
    // value = defaultValue, not clamped.
    void setDefault() { value = defaultValue; }
    // Reads one value spec (see above).
    void parseAddress(const QString& spec, int iterator);
    // The panel resolves the kept address text again for another iterator.
    using MidiParam::parseAddress;
    // "--" for a fixed value, "??" for a missing one, else value + offset,
    // with "+" before a positive number of a value shown with a negative
    // offset.
    QString toString() const;
};

class EgNode
{
public:
    QString name;
    QString shortName; // the legend label and the key of copy and paste
    EgValue time;
    EgValue level;

    // Reads one node text (see above); the values keep what the text does
    // not say.
    void fromString(const QString& text, int iterator);
    bool hasName() const { return !name.isEmpty() || !shortName.isEmpty(); }
};

class EgNodeList : public Vector<EgNode>
{
public:
    // Builds the nodes of a "nodes" text: always at least one.
    void fromString(const QString& nodes, int iterator);
    // The nodes that have a name (the legend's columns).
    int countNodes() const;
    // Whether the graph can be drawn: every time's max above 0 and the first
    // level's range wider than one step, since the drawing divides by both.
    bool isDrawable() const;

    // Defaults for fixed values still missing, then the copies of watched
    // neighbours, first node to last.
    void fixValues();
    // False while an adjustable value is missing.
    bool allValid() const;
};
