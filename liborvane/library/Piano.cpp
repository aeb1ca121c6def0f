#include "Piano.h"

#include "Colors.h"

#include <QPainter>

namespace {

// Semitones of the octave that are black keys.
bool isBlackNote(int note)
{
    return note == 1 || note == 3 || note == 6 || note == 8 || note == 10;
}

// The shades of the large look.
const QColor Shadow(Qt::black);
const QColor Shine(Qt::white);
const QColor Ivory(255, 255, 224);

} // namespace

Piano::Piano(int firstKey, int lastKey) : m_firstKey(firstKey), m_lastKey(lastKey) {}

void Piano::setColors(const QColor& white, const QColor& black)
{
    m_whiteColor = white;
    m_blackColor = black;
}

void Piano::setPressedColors(const QColor& white, const QColor& black)
{
    m_pressedWhiteColor = white;
    m_pressedBlackColor = black;
}

// --- key classes and geometry ----------------------------------------------------

bool Piano::isWhite(int key)
{
    return isValid(key) && !isBlackNote(key % 12);
}

bool Piano::isBlack(int key)
{
    return isValid(key) && isBlackNote(key % 12);
}

int Piano::whiteIndex(int key)
{
    int note = key % 12;
    if (isBlackNote(note))
        --note;
    return (note + 1) / 2;
}

int Piano::keyToWhiteKey(int key)
{
    return (key / 12) * 7 + whiteIndex(key);
}

int Piano::keyIndex(int whiteKey)
{
    const int r = whiteKey % 7;
    if (r < 0)
        return -1;
    return r <= 2 ? r * 2 : r * 2 - 1;
}

int Piano::whiteKeyToKey(int whiteKey)
{
    const int key = (whiteKey / 7) * 12 + keyIndex(whiteKey);
    return isValid(key) ? key : -1;
}

int Piano::blackKeyOffset(int key)
{
    switch (key % 12) {
    case 1:
    case 6:
        return -1;
    case 3:
    case 10:
        return 1;
    default:
        return 0;
    }
}

int Piano::whitePos(int key) const
{
    return (((key - m_firstKey) / 12) * 7 + whiteIndex(key)) * (m_size + m_space);
}

int Piano::blackWidth() const
{
    return m_size * 2 / 3 + m_space;
}

int Piano::pianoWidth() const
{
    int whites = 0;
    for (int key = m_firstKey; key <= m_lastKey; ++key) {
        if (isWhite(key))
            ++whites;
    }
    return whites * (m_size + m_space) - m_space;
}

// --- key state -------------------------------------------------------------------

void Piano::setKeyValue(int key, int value)
{
    if (isValid(key))
        m_keys[key].value = value;
}

int Piano::keyValue(int key) const
{
    return isValid(key) ? m_keys[key].value : -1;
}

void Piano::toggleKey(int key, int value)
{
    if (!isValid(key))
        return;
    m_keys[key].value = m_keys[key].value > 0 ? 0 : value;
}

void Piano::selectKey(int key)
{
    allKeysOff();
    setKeyValue(key, 127);
}

void Piano::selectRange(int low, int high)
{
    for (int key = 0; key < 128; ++key)
        m_keys[key].value = (low <= key && key <= high) ? 127 : 0;
}

void Piano::allKeysOff()
{
    for (Key& k : m_keys)
        k.value = 0;
}

// --- data layers -----------------------------------------------------------------

void Piano::setKeyData(int key, int layer, int value)
{
    if (isValid(key))
        m_keys[key].data.add(layer, value);
}

int Piano::keyData(int key, int layer) const
{
    return isValid(key) ? m_keys[key].data.value(layer, 0) : 0;
}

void Piano::resetKeyData(int layer)
{
    for (Key& k : m_keys)
        k.data.add(layer, 0);
}

void Piano::setDataColors(int layer, const QColor& white, const QColor& black)
{
    m_dataColors.add(layer, PianoColors{white, black});
}

// --- input -----------------------------------------------------------------------

int Piano::hitTest(const QRect& r, const QPoint& p) const
{
    // A point left of the keyboard would otherwise round into the first
    // white key (the division truncates toward zero): a press in a border
    // must hit nothing.
    if (!r.contains(p))
        return -1;
    const int pitch = m_size + m_space;
    if (pitch <= 0)
        return -1;
    const int t = p.x() - r.left() + m_space / 2;
    const int w = t / pitch;
    const int rem = t % pitch;
    int key = whiteKeyToKey(w); // counted from firstKey
    if (key < 0)
        return -1;

    auto result = [this](int k) { return isValid(k + m_firstKey) ? k + m_firstKey : -1; };
    if (!(r.height() * m_blackRatio > p.y() - r.top()))
        return result(key);
    const int bw = blackWidth();
    if (rem < bw / 2 && isBlack(key - 1))
        key -= 1;
    if (rem < pitch - bw / 2 - 1)
        return result(key);
    return result(isBlack(key + 1) ? key + 1 : key);
}

int Piano::calcVelocity(int, int y, int height) const
{
    double d = height * m_blackRatio - 1.0;
    if (!(d > 0))
        d = 1.0;
    const int v = static_cast<int>((y * 127) / d);
    return qBound(1, v, 127);
}

// --- drawing ---------------------------------------------------------------------

void Piano::draw(QPainter* p, const QRect& r) const
{
    if (!p)
        return;
    const bool large = m_size > 8;
    for (int key = m_firstKey; key <= m_lastKey; ++key) {
        if (isWhite(key))
            drawWhiteKey(p, r, key, large);
    }
    for (int key = m_firstKey; key <= m_lastKey; ++key) {
        if (isBlack(key))
            drawBlackKey(p, r, key, large);
    }
}

void Piano::fillLayers(QPainter* p, const QRect& keyRect, int key, bool white) const
{
    for (auto it = m_dataColors.cbegin(); it != m_dataColors.cend(); ++it) {
        if (m_keys[key].data.value(it.key(), 0) > 0)
            FillRect(p, keyRect, white ? it.value().white : it.value().black);
    }
}

void Piano::drawWhiteKey(QPainter* p, const QRect& r, int key, bool large) const
{
    const int left = r.left() + whitePos(key);
    const QRect k(QPoint(left, r.top()), QPoint(left + m_size - 1, r.bottom()));
    const bool pressed = isSelected(key);

    FillRect(p, k, m_whiteColor);
    if (pressed && !large)
        FillRect(p, k, BlendColor(m_pressedWhiteColor, 255));
    fillLayers(p, k, key, true);
    if (!pressed) {
        if (large) {
            DrawHLine(p, k.top(), k.left(), k.right(), BlendColor(Shadow, 32));
            DrawHLine(p, k.top() + 1, k.left(), k.right(), BlendColor(Shadow, 8));
        }
        return;
    }
    if (!large) {
        FillRect(p, k, m_pressedWhiteColor);
        return;
    }
    // A large key that is down sinks into the keyboard: shaded, with an edge
    // toward each neighbour that is still up.
    FillRect(p, k, BlendColor(Shadow, 28));
    if (!isSelected(whiteKeyToKey(keyToWhiteKey(key) - 1)))
        DrawVLine(p, k.left(), k.top(), k.bottom(), BlendColor(Shadow, 60));
    if (!isSelected(whiteKeyToKey(keyToWhiteKey(key) + 1)))
        DrawVLine(p, k.right(), k.top(), k.bottom(), BlendColor(Shadow, 38));
    FillRect(p, k, BlendColor(m_pressedBlackColor, 80));
}

void Piano::drawBlackKey(QPainter* p, const QRect& r, int key, bool large) const
{
    const int bw = blackWidth();
    const int left = r.left() + whitePos(key) + m_size + (m_space - bw - 1) / 2;
    const int bottom = r.top() + static_cast<int>(r.height() * m_blackRatio) - 1;
    const QRect k(QPoint(left, r.top()), QPoint(left + bw - 1, bottom));
    const bool pressed = isSelected(key);

    FillRect(p, k, m_blackColor);
    if (pressed && !large)
        FillRect(p, k, BlendColor(m_pressedBlackColor, 255));
    fillLayers(p, k, key, false);
    if (!pressed) {
        // A rim on three sides and a deeper foot.
        if (large)
            FillRect(p, QRect(QPoint(k.left() + 1, k.top() + 1), QPoint(k.right() - 1, k.bottom() - 3)),
                     BlendColor(Shine, 61));
        return;
    }
    if (!large) {
        FillRect(p, k, m_pressedBlackColor);
        return;
    }
    DrawHLine(p, k.top(), k.left() + 1, k.right() - 1, BlendColor(Ivory, 4));
    DrawHLine(p, k.top() + 1, k.left() + 1, k.right() - 1, BlendColor(Ivory, 32));
    DrawHLine(p, k.top() + 2, k.left() + 1, k.right() - 1, BlendColor(Ivory, 60));
    FillGradient(p, QRect(QPoint(k.left() + 1, k.top() + 3), QPoint(k.right() - 1, k.bottom() - 2)),
                 BlendColor(Ivory, 50), BlendColor(Ivory, 44), true, -1);
    FillRect(p, k, BlendColor(m_pressedBlackColor, 80));
}

void DrawPiano(QPainter* p, const QRect& r, int keySize, int selFirst, int selLast, const QColor& selWhite,
               const QColor& selBlack, int firstKey, int lastKey, const QColor& white, const QColor& black,
               bool horizontal)
{
    if (!p || firstKey > lastKey)
        return;
    const bool anySelection = selFirst != -1 && selLast != -1;
    // The black part: 65 % of the height (of the width, for keys running down).
    const int blackDepth = static_cast<int>((horizontal ? r.height() : r.width()) * 0.65);
    for (int k = firstKey; k <= lastKey; ++k) {
        const int i = k - firstKey;
        bool selected = false;
        if (anySelection)
            selected =
                selFirst <= selLast ? (selFirst <= k && k <= selLast) : (k >= selFirst || k <= selLast);
        const QRect slot = horizontal ? QRect(r.left() + i * keySize, r.top(), keySize, r.height())
                                      : QRect(r.left(), r.top() + i * keySize, r.width(), keySize);
        FillRect(p, slot, selected ? selWhite : white);
        if (isBlackNote(i % 12)) {
            const QRect part = horizontal ? QRect(slot.left(), slot.top(), slot.width(), blackDepth)
                                          : QRect(slot.left(), slot.top(), blackDepth, slot.height());
            FillRect(p, part, selected ? selBlack : black);
        }
    }
}
