// XML documents: any bytes loaded, the tree walked and searched. A text that
// is valid UTF-8 is loaded a second time as UTF-16, which must give the same
// tree: the bare "&" pass runs on bytes in one case and on characters in the
// other.
#include "FuzzSupport.h"
#include "XmlDocument.h"

#include <QStringDecoder>

namespace {

// The tree as text, depth first.
QString describe(const XmlElement* e, int depth = 0)
{
    FUZZ_CHECK(depth <= 1001);
    QString out = e->tagName() + QLatin1Char('{');
    for (const auto& a : e->attributes())
        out += a.first + QLatin1Char('=') + a.second + QLatin1Char(';');
    out += e->text() + QLatin1Char('|');
    for (int i = 0; i < e->childCount(); ++i) {
        FUZZ_CHECK(e->child(i)->parent() == e);
        out += describe(e->child(i), depth + 1);
    }
    return out + QLatin1Char('}');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_SETUP();
    const QByteArray bytes = Fuzz::bytes(data, size);
    XmlDocument doc;
    const bool loaded = doc.loadData(bytes);
    FUZZ_CHECK(loaded == !doc.isEmpty());
    FUZZ_CHECK(loaded == doc.errorString().isEmpty());
    const QString tree = describe(doc.root());
    if (loaded) {
        const XmlElement* top = doc.root()->child(0);
        FUZZ_CHECK(doc.findElement(top->tagName()) == top);
        (void)doc.findElement(QString(), QStringLiteral("name"));
        (void)top->intAttribute(QStringLiteral("value"));
    }

    // Texts that name their own encoding or start with a byte order mark are
    // decoded by other rules; the rest must read alike in both forms.
    if (bytes.contains("encoding") || bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
        bytes.startsWith("\xFE\xFF") || bytes.contains('\0'))
        return 0;
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return 0;
    QByteArray wide("\xFF\xFE", 2);
    wide.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    XmlDocument other;
    FUZZ_CHECK(other.loadData(wide) == loaded);
    if (loaded)
        FUZZ_CHECK(describe(other.root()) == tree);
    return 0;
}
