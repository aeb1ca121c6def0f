// The text cells of a panel: labels, headers, separators and gap fillers.
#include "Colors.h"
#include "MidiLabel.h"
#include "PanelFixture.h"
#include "TestEnvironment.h"

#include <QImage>

namespace {

const QColor Behind(10, 200, 30);

LabelInfo captionInfo(const QString& title, bool bold = false, bool header = false)
{
    LabelInfo info;
    info.title = title;
    info.bold = bold;
    info.header = header;
    return info;
}

// The label as it shows on its panel, over a background of the panel's own.
QImage labelPicture(MidiLabel* label)
{
    QWidget* panel = label->parentWidget();
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Behind);
    panel->setPalette(palette);
    panel->setAutoFillBackground(true);
    return panel->grab(label->geometry()).toImage();
}

// The leftmost column with a pixel that is not the background; -1 for none.
int firstInk(const QImage& image)
{
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixelColor(x, y) != Behind)
                return x;
        }
    }
    return -1;
}

// Some pixel has the colour, give or take rounding.
bool holds(const QImage& image, const QColor& color)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (nearColor(image.pixelColor(x, y), color))
                return true;
        }
    }
    return false;
}

} // namespace

class TestMidiLabel : public QObject
{
    Q_OBJECT

    PanelFixture* m_fixture = nullptr;
    int m_made = 0;

    MidiLabel* make(const LabelInfo& info)
    {
        // One row each, so no label covers another.
        auto* label = new MidiLabel(m_fixture->panel, info);
        label->setGeometry(0, 20 * m_made++, 60, 19);
        return label;
    }

private slots:
    void init()
    {
        m_fixture = new PanelFixture;
        m_fixture->panel->resize(200, 200);
        m_made = 0;
        ColorManager& colors = m_fixture->client.colorManager();
        colors.setColor(CaptionColor, QColor(90, 110, 180));
        colors.setColor(PanelColor, QColor(220, 220, 210));
        colors.setColor(LabelTextColor, QColor(20, 20, 120));
    }
    void cleanup()
    {
        delete m_fixture;
        m_fixture = nullptr;
    }

    void cells_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("filler") << "" << true;
        QTest::newRow("separator") << " " << false;
        QTest::newRow("title") << "&Number" << false;
    }
    void cells()
    {
        QFETCH(QString, title);
        QFETCH(bool, hidden);
        MidiLabel* label = make(captionInfo(title));
        QCOMPARE(label->type(), int(MidiCtrl::LabelType));
        QCOMPARE(label->text(), title);
        QCOMPARE(label->gInfo()->title, title);
        QCOMPARE(label->gInfo()->hidden, hidden);
        QCOMPARE(label->device(), &m_fixture->device);
        QCOMPARE(label->parentWidget(), m_fixture->panel->frame());

        // Nothing reaches a label's text from the instrument or the keys.
        label->MidiReceive();
        label->OnSysex(nullptr);
        label->OnMidiMessage(MidiMessage());
        label->onKey(Qt::Key_F8);
        QCOMPARE(label->text(), title);
    }

    void standalone()
    {
        QWidget parent;
        MidiLabel label(&parent, captionInfo(QStringLiteral("Free")));
        QVERIFY(!label.panel() && !label.device());
        QCOMPARE(label.parentWidget(), &parent);
        QCOMPARE(label.text(), QStringLiteral("Free"));
    }

    // The one-letter heads of the mute and solo columns are centred.
    void centring_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("centred");
        QTest::newRow("M") << "M" << true;
        QTest::newRow("S") << "S" << true;
        QTest::newRow("Mu") << "Mu" << false;
        QTest::newRow("m") << "m" << false;
    }
    void centring()
    {
        QFETCH(QString, title);
        QFETCH(bool, centred);
        for (bool header : {false, true}) {
            QImage image = labelPicture(make(captionInfo(title, false, header)));
            if (header) {
                // Take the band for the background.
                const QColor band = image.pixelColor(0, 0);
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        if (image.pixelColor(x, y) == band)
                            image.setPixelColor(x, y, Behind);
                    }
                }
            }
            const int ink = firstInk(image);
            QVERIFY(ink >= 0);
            QCOMPARE(ink > 15, centred);
        }
    }

    // A header fills its cell with its band and keeps its text at full
    // strength; a plain label paints no background and fades its text while
    // the panel is disabled.
    void looks()
    {
        const ColorManager& colors = m_fixture->client.colorManager();
        const QColor text = colors.getColor(LabelTextColor);
        QColor faded = text;
        faded.setAlpha(96);
        const QColor fadedOver = blendOver(faded, Behind);
        const QColor band = MergeColors(colors.getColor(PanelColor), colors.getColor(CaptionColor), 0.42);

        MidiLabel* plain = make(captionInfo(QStringLiteral("Level")));
        MidiLabel* bold = make(captionInfo(QStringLiteral("Level"), true));
        MidiLabel* header = make(captionInfo(QStringLiteral("Level"), true, true));

        QImage image = labelPicture(plain);
        QCOMPARE(image.pixelColor(0, 0), Behind);
        QVERIFY(holds(image, text));
        image = labelPicture(bold);
        QCOMPARE(image.pixelColor(0, 0), Behind);
        QVERIFY(holds(image, text));
        QVERIFY(holds(image, colors.getColor(PanelColor).darker(180)));
        image = labelPicture(header);
        for (const QPoint& corner : {QPoint(0, 0), QPoint(2, 18), QPoint(59, 0), QPoint(59, 18)})
            QCOMPARE(image.pixelColor(corner), band);
        QVERIFY(holds(image, text));
        QVERIFY(holds(image, band.darker(150)));

        m_fixture->panel->setEnabled(false);
        image = labelPicture(plain);
        QVERIFY(!holds(image, text));
        QVERIFY(holds(image, fadedOver));
        QVERIFY(holds(labelPicture(header), text));
    }
};

ORVANE_TEST_MAIN(TestMidiLabel)
#include "tst_midilabel.moc"
