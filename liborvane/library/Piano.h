// The piano keyboard model and painter: where each key of a range of MIDI
// keys lies for a key size and gap, the state of every key (0 up, above 0
// down or selected, the value being the velocity or 127), optional coloured
// data layers per key, the hit test that turns a point into a key, the
// velocity of a key struck at some height, and the drawing of the keyboard.
//
// A plain class with no widget: the keyboard control holds one and draws it,
// and the value controls draw their small keyboards with it. DrawPiano is the
// stateless strip keyboard of the range control.
//
// Arithmetic is integer and truncates toward zero. The first key of the range
// is taken as a note C (the users pass 0 or 24). GUI thread only.
#pragma once

#include "Containers.h"

#include <QColor>
#include <QPoint>
#include <QRect>

class QPainter;

// The colours of one data layer: on white keys and on black keys.
struct PianoColors
{
    QColor white;
    QColor black;

    bool operator==(const PianoColors&) const = default;
};

class Piano
{
public:
    // Piano(0, 127) is the full MIDI range. Every key starts up.
    Piano(int firstKey, int lastKey);

    // --- settings; they do not repaint, the owner does ---------------------
    void setSize(int size) { m_size = size; }
    void setSpace(int space) { m_space = space; }
    void setBlackRatio(double ratio) { m_blackRatio = ratio; }
    void setColors(const QColor& white, const QColor& black);
    void setPressedColors(const QColor& white, const QColor& black);

    int firstKey() const { return m_firstKey; }
    int lastKey() const { return m_lastKey; }
    int size() const { return m_size; }
    int space() const { return m_space; }
    double blackRatio() const { return m_blackRatio; }

    // --- key classes and geometry -------------------------------------------
    static bool isValid(int key) { return key >= 0 && key <= 127; }
    static bool isWhite(int key);
    static bool isBlack(int key);
    // 0..6 for C D E F G A B within the octave; a black key gives the white
    // key just below it. For valid keys.
    static int whiteIndex(int key);
    // The white-key number counted from key 0.
    static int keyToWhiteKey(int key);
    // The semitone of a white-key number within its octave; -1 for a
    // negative number.
    static int keyIndex(int whiteKey);
    // The key of a white-key number; -1 when that is no valid key.
    static int whiteKeyToKey(int whiteKey);
    // -1 for C# and F#, +1 for D# and A#, else 0.
    static int blackKeyOffset(int key);

    // X offset of the key's white key from the keyboard's left edge.
    int whitePos(int key) const;
    int blackWidth() const;
    // The keyboard's width in pixels: 824 for 0..127 at size 10 and space
    // 1; -space for an empty range.
    int pianoWidth() const;

    // --- key state ----------------------------------------------------------
    // Invalid keys are ignored.
    void setKeyValue(int key, int value);
    // -1 for an invalid key.
    int keyValue(int key) const;
    bool isKeyOn(int key) const { return keyValue(key) > 0; }
    bool isSelected(int key) const { return isKeyOn(key); }
    // A key that is on goes to 0, one that is off to value.
    void toggleKey(int key, int value);
    // Every key up, then this one at 127.
    void selectKey(int key);
    // Keys low..high at 127, every other key 0 (all 0 when low > high).
    void selectRange(int low, int high);
    // Every key up; the data layers stay.
    void allKeysOff();

    // --- data layers: a layer shows on a key while its value there is above 0
    // and the layer has colours.
    void setKeyData(int key, int layer, int value);
    int keyData(int key, int layer) const;
    void resetKeyData(int layer);
    void setDataColors(int layer, const QColor& white, const QColor& black);

    // --- input -----------------------------------------------------------------
    // The key under p of a keyboard drawn in r; -1 when p lies outside r or
    // past the last valid key. In the black-key zone (the top blackRatio of
    // the height) the left blackWidth() / 2 pixels of a white key's slot
    // belong to the black key below it and the right blackWidth() / 2 + 1
    // to the black key above it, where those exist. A key inside r but
    // beyond lastKey is returned as it is; callers limit it.
    int hitTest(const QRect& r, const QPoint& p) const;
    // The velocity of a key struck at height y of a control height pixels
    // high: 1 at the very top, 127 from the bottom of the black-key zone
    // down. The key is not used.
    int calcVelocity(int key, int y, int height) const;

    // --- drawing ---------------------------------------------------------------
    // Keys firstKey..lastKey into r: white keys, then black keys over them.
    // Keys above size 8 get the shaded large look.
    void draw(QPainter* p, const QRect& r) const;

private:
    void drawWhiteKey(QPainter* p, const QRect& r, int key, bool large) const;
    void drawBlackKey(QPainter* p, const QRect& r, int key, bool large) const;
    // Paints the data layers the key shows, in ascending layer order.
    void fillLayers(QPainter* p, const QRect& keyRect, int key, bool white) const;

    struct Key
    {
        int value = 0;      // 0 up; above 0 down (velocity) or selected (127)
        Map<int, int> data; // layer -> value
    };

    int m_firstKey;
    int m_lastKey;
    int m_size = 4;             // width of a white key
    int m_space = 1;            // gap between two white keys
    double m_blackRatio = 0.68; // black-key height as a share of the keyboard's
    Key m_keys[128];
    Map<int, PianoColors> m_dataColors;
    QColor m_whiteColor{255, 255, 224};
    QColor m_blackColor{0, 0, 0};
    QColor m_pressedWhiteColor{255, 255, 224};
    QColor m_pressedBlackColor{0, 0, 0};
};

// A compact strip keyboard: keys firstKey..lastKey side by side, keySize
// pixels each, white and black keys alike, from the left edge of r over its
// full height (horizontal), or from its top over its full width (keys running
// top to bottom). A black key (index from firstKey mod 12 of 1, 3, 6, 8 or 10)
// is filled again over 65 % of the height (width) from the top (left). Keys
// selFirst..selLast take the selection colours; with selFirst > selLast the
// selection wraps (selFirst up and up to selLast); either at -1 selects none.
// Keys past the edge of r are drawn all the same. Nothing for firstKey >
// lastKey.
void DrawPiano(QPainter* p, const QRect& r, int keySize, int selFirst, int selLast, const QColor& selWhite,
               const QColor& selBlack, int firstKey, int lastKey, const QColor& white, const QColor& black,
               bool horizontal);
