// The RIFF chunk tree and the file-type probe, on hand-made files: odd
// sizes, nested and INFO lists, lookups, truncation, and sizes and depths
// that a damaged or hostile file gives.
#include "Archive.h"
#include "AudioFixtures.h"
#include "RIFF_Document.h"
#include "TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>

using namespace AudioFixtures;

namespace {

QByteArray list(const QByteArray& type, const QByteArray& chunks)
{
    return riffChunk("LIST", type + chunks);
}

QStringList ids(const RIFF_List& list)
{
    QStringList out;
    for (const RIFF_Chunk* c : list)
        out.append(c->id);
    return out;
}

// Every chunk's data lies inside the file and every parent link is right.
qint64 checkTree(const RIFF_Chunk& chunk)
{
    qint64 held = chunk.data.size();
    for (const RIFF_Chunk* sub : chunk.list) {
        if (sub->parent != &chunk)
            return -1;
        const qint64 below = checkTree(*sub);
        if (below < 0)
            return -1;
        held += below;
    }
    return held;
}

} // namespace

class TestRiff : public QObject
{
    Q_OBJECT

private slots:
    void chunksAndLists();
    void lookups();
    void truncatedFiles_data();
    void truncatedFiles();
    void sizesBeyondTheFile();
    void deepNesting();
    void probe_data();
    void probe();
};

void TestRiff::chunksAndLists()
{
    RIFF_Document doc;
    const QByteArray file =
        riffFile("WAVE", riffChunk("odd ", "1234567") + riffChunk("next", "ab") +
                             list("outr", riffChunk("aaaa", "x") + list("innr", riffChunk("bbbb", "yz"))) +
                             list("INFO", riffChunk("INAM", QByteArray("Name\0", 5)) + riffChunk("LIST", "notalist")));
    QVERIFY(loadBytes(doc, file));
    QCOMPARE(doc.root.id, QStringLiteral("WAVE"));
    QCOMPARE(ids(doc.root.list), QStringList({"odd ", "next", "outr", "INFO"}));

    // An odd size is rounded up in size; the pad byte is skipped, not data.
    const RIFF_Chunk* odd = doc.root.list[0];
    QCOMPARE(odd->size, 8);
    QCOMPARE(odd->data.bytes(), QByteArray("1234567"));
    QCOMPARE(doc.root.list[1]->data.bytes(), QByteArray("ab"));

    // Lists take their type as id and nest, each chunk pointing to its list.
    RIFF_Chunk* outer = doc.root.list[2];
    QVERIFY(outer->data.isEmpty());
    QCOMPARE(ids(outer->list), QStringList({"aaaa", "innr"}));
    RIFF_Chunk* inner = outer->list[1];
    QCOMPARE(inner->parent, outer);
    QCOMPARE(inner->list[0]->parent, inner);
    QCOMPARE(inner->list[0]->data.bytes(), QByteArray("yz"));

    // Inside INFO every sub-chunk is text, one named "LIST" too.
    RIFF_Chunk* info = doc.root.list[3];
    QCOMPARE(info->getChunk(QStringLiteral("INAM"))->text(), QStringLiteral("Name"));
    RIFF_Chunk* notAList = info->getChunk(QStringLiteral("LIST"));
    QVERIFY(notAList != nullptr);
    QVERIFY(notAList->list.isEmpty());
    QCOMPARE(notAList->text(), QStringLiteral("notalist"));

    // Loading again starts from an empty tree.
    QVERIFY(loadBytes(doc, riffFile("sfbk", riffChunk("only", "1"))));
    QCOMPARE(ids(doc.root.list), QStringList({"only"}));
    QCOMPARE(doc.root.id, QStringLiteral("sfbk"));
}

void TestRiff::lookups()
{
    RIFF_Document doc;
    QVERIFY(loadBytes(doc, riffFile("WAVE", riffChunk("fmt ", "first") + riffChunk("fmt ", "second") +
                                           list("INFO", riffChunk("INAM", "deep")))));
    // Short ids are padded with blanks; the first of two equal ids wins.
    QCOMPARE(doc.root.getChunk(QStringLiteral("fmt")), doc.root.getChunk(QStringLiteral("fmt ")));
    QCOMPARE(doc.root.getChunk(QStringLiteral("fmt"))->text(), QStringLiteral("first"));
    // Only direct sub-chunks are searched; the two-name form goes one down.
    QVERIFY(doc.root.getChunk(QStringLiteral("INAM")) == nullptr);
    QCOMPARE(doc.root.getChunk(QStringLiteral("INFO"), QStringLiteral("INAM"))->text(), QStringLiteral("deep"));
    QVERIFY(doc.root.getChunk(QStringLiteral("XXXX"), QStringLiteral("INAM")) == nullptr);
    QCOMPARE(doc.root.getList(QStringLiteral("INFO"))->size(), 1);
    QVERIFY(doc.root.getList(QStringLiteral("none")) == nullptr);
}

void TestRiff::truncatedFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("loads");
    QTest::addColumn<QStringList>("ids");

    const QByteArray whole = riffChunk("keep", "12") + list("LIST", riffChunk("sub ", "3"));
    QTest::newRow("header only") << riffFile("WAVE", "") << true << QStringList();
    QTest::newRow("not RIFF") << QByteArray("RIFX\4\0\0\0WAVE") << false << QStringList();
    // A list cut inside its sub-chunk's header is dropped whole; what was
    // read before it stays.
    QTest::newRow("cut in a sub-chunk header") << riffFile("WAVE", whole).left(12 + 10 + 12 + 6) << true
                                               << QStringList({"keep"});
    // A data chunk cut short keeps the bytes the file still has.
    QTest::newRow("cut in data") << riffFile("WAVE", riffChunk("keep", "12") + riffChunk("cut ", "abcdef"))
                                        .chopped(3)
                                 << true << QStringList({"keep", "cut "});
    // An empty chunk whose header ends the file is whole: it is kept.
    QTest::newRow("empty chunk at the end") << riffFile("WAVE", riffChunk("keep", "12") + riffChunk("last", ""))
                                            << true << QStringList({"keep", "last"});
    // Chunks after the size the header gives are read all the same.
    QByteArray longer = riffFile("WAVE", riffChunk("keep", "12"));
    longer += riffChunk("more", "3");
    QTest::newRow("after the RIFF size") << longer << true << QStringList({"keep", "more"});
}

void TestRiff::truncatedFiles()
{
    QFETCH(QByteArray, file);
    RIFF_Document doc;
    QTEST(loadBytes(doc, file), "loads");
    QTEST(ids(doc.root.list), "ids");
    if (doc.root.list.size() == 2 && doc.root.list[1]->id == QLatin1String("cut "))
        QCOMPARE(doc.root.list[1]->data.bytes(), QByteArray("abc"));
}

void TestRiff::sizesBeyondTheFile()
{
    // Sizes near 4 GB, and sub-chunks larger than their list, are held to
    // what the file and the list around them hold: nothing is allocated for
    // bytes that are not there, and the chunk after the list is still found.
    QByteArray huge = QByteArray("big ") + le(0xFFFFFFFFu, 4) + "tail";
    QByteArray inList = QByteArray("LIST") + le(4 + 8 + 2, 4) + "outr" + "over" + le(0x7FFFFFFF, 4) + "ab";
    RIFF_Document doc;
    QVERIFY(loadBytes(doc, riffFile("WAVE", inList + riffChunk("next", "xy") + huge)));
    QCOMPARE(ids(doc.root.list), QStringList({"outr", "next", "big "}));
    const RIFF_Chunk* over = doc.root.list[0]->list[0];
    QCOMPARE(over->data.bytes(), QByteArray("ab"));
    QCOMPARE(over->size, 2);
    QCOMPARE(doc.root.list[1]->data.bytes(), QByteArray("xy"));
    QCOMPARE(doc.root.list[2]->data.bytes(), QByteArray("tail"));
    QCOMPARE(doc.root.list[2]->size, 4);

    // A list too short for the next header ends there; its filler is skipped.
    QByteArray filler = QByteArray("LIST") + le(4 + 10 + 3, 4) + "outr" + riffChunk("sub ", "12") + "zzz" + QByteArray(1, '\0');
    QVERIFY(loadBytes(doc, riffFile("WAVE", filler + riffChunk("next", "xy"))));
    QCOMPARE(ids(doc.root.list), QStringList({"outr", "next"}));
    QCOMPARE(ids(doc.root.list[0]->list), QStringList({"sub "}));
    QVERIFY(checkTree(doc.root) >= 0);
}

void TestRiff::deepNesting()
{
    // Thousands of nested lists, 12 bytes a level: kept to a fixed depth
    // instead of exhausting the stack, and the chunk after them is read.
    const int levels = 20000;
    const QByteArray leaf = riffChunk("leaf", "1");
    QByteArray nested;
    for (int i = levels; i > 0; --i) // outermost first; level i holds 12 bytes a level below it
        nested += "LIST" + le(quint32(4 + 12 * (i - 1) + leaf.size()), 4) + "deep";
    nested += leaf;
    RIFF_Document doc;
    QVERIFY(loadBytes(doc, riffFile("WAVE", nested + riffChunk("next", "xy"))));
    QCOMPARE(ids(doc.root.list), QStringList({"deep", "next"}));
    int depth = 0;
    for (const RIFF_Chunk* c = doc.root.list[0]; c != nullptr; c = c->list.isEmpty() ? nullptr : c->list[0])
        ++depth;
    QCOMPARE(depth, RIFF_Chunk::MaxDepth);
}

void TestRiff::probe_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("tag");
    QTest::newRow("WAV") << riffFile("WAVE", riffChunk("data", "1234")) << "RIFFWAVE";
    QTest::newRow("AIFF") << formFile("AIFF", formChunk("COMM", QByteArray(18, '\0'))) << "FORMAIFF";
    QTest::newRow("AIFC") << formFile("AIFC", "") << "FORMAIFC";
    QTest::newRow("DLS") << riffFile("DLS ", "") << "RIFFDLS ";
    QTest::newRow("short") << QByteArray("RIFF\0\0") << "RIFF";
    QTest::newRow("empty") << QByteArray() << "";
}

void TestRiff::probe()
{
    QFETCH(QByteArray, head);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("probe"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(head);
    f.close();
    QTEST(ReadRIFFHeader(path), "tag");
    QCOMPARE(ReadRIFFHeader(dir.filePath(QStringLiteral("missing"))), QString());
}

ORVANE_TEST_GUILESS_MAIN(TestRiff)
#include "tst_riff.moc"
