// The status line's painting, checked on pixels: the bar's fill for percents
// out of range, the tiled pattern, and the text centred.
#include <QImage>
#include <QPainter>
#include <QTest>

#include "gui_rig.h"
#include "ui/pictures.h"
#include "ui/status_widget.h"
#include "ui_tests.h"

using namespace ib;
using namespace ib::ui;

namespace {

// The status display painted into an image of `size`.
QImage painted(const StatusState& state, QSize size = QSize(200, 30)) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintStatus(painter, image.rect(), state, picture(Picture::Pattern));
    return image;
}

// The columns of row `y` painted in `colour`.
int columnsIn(const QImage& image, int y, QColor colour) {
    int count = 0;
    for (int x = 0; x < image.width(); ++x) count += image.pixelColor(x, y) == colour ? 1 : 0;
    return count;
}

}  // namespace

class StatusPaintingTest : public QObject {
    Q_OBJECT

private slots:
    void barFillsToTheClampedPercent_data() {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("doneColumns");
        QTest::newRow("150 %: full") << 150 << 257;
        QTest::newRow("-5 %: empty") << -5 << 0;
        QTest::newRow("33 %: truncated") << 33 << 84;  // 257 * 33 / 100 = 84.81
    }
    void barFillsToTheClampedPercent() {
        QFETCH(int, percent);
        // Through the controller, which clamps, to the widget, which paints.
        test::GuiRig rig;
        QVERIFY(rig.startUp());
        rig.session->controller->setProgress("", percent, kRed, kBlue);
        StatusWidget& status = rig.dialog.statusLine();
        status.resize(257 + 2 * status.frameWidth(), 30);
        const QImage image = status.grab().toImage();
        const int row = image.height() / 2;
        QTEST(columnsIn(image, row, colourOf(kRed)), "doneColumns");
        QCOMPARE(columnsIn(image, row, colourOf(kBlue)), 257 - columnsIn(image, row, colourOf(kRed)));
    }

    void doneColourOfTheMarkTilesThePattern() {
        StatusState state;
        state.text = "";
        state.percent = 100;
        state.doneColour = kTiledPattern;
        const QImage image = painted(state);
        const QImage pattern = picture(Picture::Pattern).toImage();
        QVERIFY(pattern.width() > 1);
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 7)
                QCOMPARE(image.pixelColor(x, y), pattern.pixelColor(x % pattern.width(), y % pattern.height()));
    }

    void textIsCentredInTheTextColour() {
        StatusState state;
        state.text = "MMMMMMMM";
        state.percent = 0;
        state.restColour = kBlack;
        state.textColour = kWhite;
        const QImage image = painted(state, QSize(300, 40));
        QRect ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).lightness() > 128) ink |= QRect(x, y, 1, 1);
        QVERIFY(!ink.isEmpty());
        QVERIFY2(qAbs((ink.left() + ink.right() + 1) - image.width()) <= 6, qPrintable(QString("%1..%2").arg(ink.left()).arg(ink.right())));
        QVERIFY2(qAbs((ink.top() + ink.bottom() + 1) - image.height()) <= 6,
                 qPrintable(QString("%1..%2").arg(ink.top()).arg(ink.bottom())));
    }
};

static const test::RegisterUiTest<StatusPaintingTest> registered;

#include "status_painting_test.moc"
