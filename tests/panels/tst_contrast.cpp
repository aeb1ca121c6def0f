// Text stays readable whatever the desktop's colours are: under a dark Fusion
// palette, the editor's status labels over the strip the window paints, the
// editor's menu bar titles over its skin in every colour scheme, the board
// names of the "PLG Setup" dialog, the captions of a panel that was never
// placed through init, and the librarian's list rows (folders, plain,
// coloured and empty patches) each stand out against what is behind them.
#include "ColorManager.h"
#include "DependencyOptions.h"
#include "DesktopPalettes.h"
#include "LibraryBanks.h"
#include "LibraryFixture.h"
#include "LibraryView.h"
#include "MidiEditorWindow.h"
#include "MidiLabel.h"
#include "Panel.h"
#include "PlgSetupDlg.h"
#include "TestBus.h"
#include "TestEnvironment.h"
#include "TestInstrument.h"
#include "Vesk.h"
#include "VeskAll_Library.h"
#include "VeskRig.h"
#include "VoicesListView.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QPalette>
#include <QStatusBar>
#include <QStyle>
#include <QStyleFactory>

#include <cmath>
#include <memory>

namespace {

class PlainEditor : public MidiEditorWindow
{
public:
    using MidiEditorWindow::MidiEditorWindow;
    MidiPatchEdit* patchEdit() override { return nullptr; }
};

double luminance(const QColor& c)
{
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

// The contrast ratio of two colours (1 for equal ones, 21 for black on white).
double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The text of an area against its background: the background is the
// commonest colour, the text the one that differs from it most.
double textContrast(const QImage& image, const QRect& area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    double best = 1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        best = qMax(best, contrast(QColor(background), QColor(it.key())));
    return best;
}

// What readable text needs at least (the usual figure for body text).
constexpr double Readable = 4.5;

// The text of an area drawn once with and once without its text: the
// strongest contrast of a pixel the text changed against the pixel it
// covered. Unlike textContrast, a textured ground (the editor's metal skin)
// cannot pass for text.
double drawnTextContrast(const QImage& withText, const QImage& without, const QRect& area)
{
    double best = 1;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb text = withText.pixel(x, y);
            const QRgb ground = without.pixel(x, y);
            if (text != ground)
                best = qMax(best, contrast(QColor(text), QColor(ground)));
        }
    }
    return best;
}

} // namespace

class TestContrast : public QObject
{
    Q_OBJECT

    QString m_style;
    QPalette m_palette;

private slots:
    void initTestCase()
    {
        m_style = QApplication::style()->name();
        m_palette = QApplication::palette();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(DarkDesktopPalette());
    }

    void cleanupTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(m_style));
        QApplication::setPalette(m_palette);
    }

    void init() { resetBusAndPorts(); }

    // The strip under the status bar is the scheme's Button Face; the label
    // text is the scheme's Button Text, after a change of scheme too.
    void statusBar()
    {
        BusDevice device;
        PlainEditor window(&device);
        window.createStatusBar();
        window.resize(500, 200);
        window.show();
        QTRY_VERIFY(window.isLoaded());
        QLabel* label = window.connectionLabel();
        QVERIFY(!label->text().isEmpty());
        const QRect area(label->mapTo(&window, QPoint(0, 0)), label->size());
        QVERIFY2(textContrast(window.grab().toImage(), area) >= Readable,
                 qPrintable(QString::number(textContrast(window.grab().toImage(), area))));

        // A dark strip takes light text once the window restyles.
        window.colorManager().setColor(ButtonFaceColor, QColor(0x20, 0x20, 0x40));
        window.colorManager().setColor(ButtonTextColor, QColor(0xF0, 0xF0, 0xF0));
        window.updateStyleSheets();
        QVERIFY(textContrast(window.grab().toImage(), area) >= Readable);
    }

    // The menu bar is transparent over the skin: its titles take the
    // scheme's Button Text where that reads on it, and a colour that reads
    // where it does not (the dark skins of "Basic" and "Red & Blue"), in
    // every scheme.
    void menuBar_data()
    {
        QTest::addColumn<int>("scheme");
        for (int scheme = 0; scheme < ColorManager::SchemeCount; ++scheme)
            QTest::newRow(qPrintable(ColorManager::GetSchemeName(scheme))) << scheme;
    }
    void menuBar()
    {
        QFETCH(int, scheme);
        BusDevice device;
        PlainEditor window(&device);
        QMenuBar* bar = window.menuBar();
        for (const char* title : {"&Voice", "&Edit", "V&iew", "&Setup", "&Help"})
            bar->addMenu(QString::fromLatin1(title));
        window.colorManager().loadScheme(scheme);
        window.resize(500, 200);
        window.show();
        QTRY_VERIFY(window.isLoaded());
        window.updateStyleSheets();
        const QImage withTitles = window.grab().toImage();
        const QList<QAction*> titles = bar->actions();
        QStringList texts;
        for (QAction* action : titles) {
            texts << action->text();
            action->setText(QStringLiteral(" "));
        }
        const QImage without = window.grab().toImage();
        for (int i = 0; i < titles.size(); ++i) {
            titles[i]->setText(texts[i]);
            const QRect area = bar->actionGeometry(titles[i]).translated(bar->pos());
            const double measured = drawnTextContrast(withTitles, without, area);
            QVERIFY2(measured >= Readable, qPrintable(texts[i] + QStringLiteral(": ") + QString::number(measured)));
        }
    }

    // The librarian's list of a library's folders, and of a user bank with a
    // patch others use (a colour of its own), a plain one and an empty slot:
    // every row's text reads on the list.
    void librarianRows()
    {
        resetVeskTest();
        Vesk device;
        VeskAll_Library library(&device);
        MakePatch(library.getPatchDump(Patch(User1, 0)), QStringLiteral("Piano 1"));
        MakePatch(library.getPatchDump(Patch(User1, 2)), QStringLiteral("Alone"));
        MakePatch(library.getPatchDump(Patch(Perf, 0)), QStringLiteral("Split"));
        SetParts(library.getPatchDump(Patch(Perf, 0)), {Patch(User1, 0)});
        DependencyOptions options;
        LibraryView view(&library, &options);
        view.resize(700, 400);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.updateView(false);
        VoicesListView* list = view.voicesList();

        const auto verifyRows = [&](int rows, int column, int indent) {
            QApplication::processEvents();
            const QImage image = list->viewport()->grab().toImage();
            for (int row = 0; row < rows; ++row) {
                const QModelIndex index = list->model()->index(row, column);
                const QRect area = list->visualRect(index).adjusted(indent, 1, -1, -1);
                const double measured = textContrast(image, area);
                QVERIFY2(measured >= Readable, qPrintable(index.data().toString() + QStringLiteral(": ") +
                                                          QString::number(measured)));
            }
        };
        // "Voices", "Performances" and "Masters"; their icons left out.
        list->setLibrary(&library);
        QCOMPARE(list->model()->rowCount(), 3);
        verifyRows(3, 0, 24);
        // Used by a performance, empty, plain: their names.
        list->setLibrary(library.getLibrary(QStringLiteral("USER1")));
        QVERIFY(list->itemColor(0, 1).isValid());
        verifyRows(3, 1, 2);
    }

    void plgBoardNames()
    {
        TestDevice device(QStringLiteral("Board ES"));
        PlgSetupDlg dlg(&device);
        dlg.show();
        QLabel* name = dlg.nameLabel(0);
        QVERIFY(!name->text().isEmpty());
        // Inside the frame of the box.
        const QImage image = name->grab().toImage();
        QVERIFY(textContrast(image, QRect(QPoint(0, 0), name->size()).adjusted(2, 2, -2, -2)) >= Readable);
    }

    // A panel placed by hand, never through init, paints its body in its
    // client's scheme, as its captions are: a dark body under light text.
    void panelWithoutInit()
    {
        BusDevice device;
        PlainEditor window(&device);
        ColorManager& colors = window.colorManager();
        colors.setColor(PanelColor, QColor(0x20, 0x28, 0x30));
        colors.setColor(LabelTextColor, QColor(0xF0, 0xF0, 0xE0));
        auto* panel = new Panel(&window, &window);
        // Flat: the body fills the whole frame, under the caption rows too.
        panel->setFlat(true);
        LabelInfo info;
        info.title = QStringLiteral("Level");
        auto* label = new MidiLabel(panel, info);
        panel->addControl(label);
        panel->fit();
        label->show();
        QVERIFY(label->width() > 0);
        const QRect area(label->geometry());
        QVERIFY2(textContrast(panel->grab().toImage(), area) >= Readable,
                 qPrintable(QString::number(textContrast(panel->grab().toImage(), area))));
    }
};

ORVANE_TEST_MAIN(TestContrast)
#include "tst_contrast.moc"
