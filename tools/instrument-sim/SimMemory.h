// The simulated instrument's patch memory: every patch location of its banks,
// the six edit buffers and the multis, each held as the data bytes of its
// blocks laid end to end.
//
// The block layout of each patch type (which blocks, in which order, how many
// bytes each) is not written down here: it is read from the initial patch
// files (one bulk dump per block, in send order), and every location starts
// as a copy of its type's initial patch under a name of its own, "Sim" and a
// type letter, a blank and the location's bulk address ("SimV 0803" is user
// voice bank 1, program 4). Letters: V voice, D drum kit, G PLG voice,
// P performance, M mix, S master; multis, which have no bulk address, are
// "SimM S003" by their song number. Edit buffers are named after theirs too
// ("SimV 0F00").
//
// Not thread-safe: the owner serialises access.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <array>
#include <vector>

namespace Sim {

enum PatchType
{
    Voice = 0,
    Drum = 1,
    Plg = 2,
    Performance = 3,
    Mix = 4,
    Master = 5,
    TypeCount = 6
};

// Registers the built-in data files (":/instrument-sim/..."): the initial
// patches and the parameter tables.
void registerResources();

constexpr int NameSize = 10;
constexpr int MultiCount = 128;

// A bank of patch locations: programs 0..count-1 are bulk addresses
// firstBlock + program.
struct Bank
{
    const char* name;
    unsigned short bankWord; // MSB << 8 | LSB
    PatchType type;
    unsigned int firstBlock;
    int count;
    bool user; // writable
};

// The banks with bulk addresses, in bank-word order of the instrument's tables.
const std::vector<Bank>& banks();
// The edit buffer's bulk address of a type.
unsigned int editBuffer(PatchType type);
// "voice", "drum", "plg", "performance", "mix", "master": the initial patch
// file of the type is "<name>.syx".
const char* typeFileName(PatchType type);

// The blocks of one patch type, from its initial patch.
struct Layout
{
    struct Block
    {
        unsigned int address;
        int offset; // in the image
        int size;
    };
    std::vector<Block> blocks;      // in send order
    QHash<unsigned int, int> index; // block address -> position in blocks
    int imageSize = 0;
    QByteArray init; // the initial patch's image

    int blockAt(unsigned int address) const { return index.value(address, -1); }
};

class Memory
{
public:
    // Reads the six initial patch files from folder (":/instrument-sim/init"
    // holds the built-in copies) and fills every location. False, with the
    // reason in error, when a file is missing or is not a list of bulk dumps;
    // the memory is then empty.
    bool load(const QString& folder, QString* error);
    bool isLoaded() const { return m_loaded; }

    const Layout& layout(PatchType type) const { return m_layouts[type]; }

    // The type whose block holds a parameter address, with the block's
    // position and the offset in it; false when no block holds it.
    bool locate(unsigned int address, PatchType& type, int& block, int& offset) const;

    // The type of a location or edit buffer (a bulk address), -1 for none.
    int typeOf(unsigned int block) const;
    // The bank of a location; null for edit buffers and unknown addresses.
    const Bank* bankOf(unsigned int block) const;
    bool isEditBuffer(unsigned int block) const;

    // The image of a location or edit buffer; null for an unknown address.
    QByteArray* image(unsigned int block);
    const QByteArray* image(unsigned int block) const;
    QByteArray* multi(int number);

    // The name stored in an image (data 0-9 of its first block), as ten
    // characters.
    static QString nameOf(const QByteArray& image);
    static QString defaultName(PatchType type, unsigned int block);

private:
    bool loadLayout(PatchType type, const QByteArray& file, QString* error);
    QByteArray named(PatchType type, const QString& name) const;

    bool m_loaded = false;
    std::array<Layout, TypeCount> m_layouts;
    // Block of each parameter address: sorted block start addresses.
    struct Span
    {
        unsigned int start;
        unsigned int end; // one past the block
        PatchType type;
        int block;
    };
    std::vector<Span> m_spans;
    QHash<unsigned int, QByteArray> m_images; // by bulk address
    QList<QByteArray> m_multis;
};

} // namespace Sim
