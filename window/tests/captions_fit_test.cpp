// Every caption fits its control, at the display scale this run was started
// with (QT_SCALE_FACTOR, set by CTest) and with the system's or a 10-point
// default font, and the window keeps its proportions.

#include "form1.h"

#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

#include <cmath>

class CaptionsFitTest : public QObject {
    Q_OBJECT

private slots:
    void captionsFit_data();
    void captionsFit();

private:
    // Where the style draws, and clips, a caption inside its control.
    static QRectF captionArea(QWidget* control) {
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            return button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        }
        return control->contentsRect();
    }
};

void CaptionsFitTest::captionsFit_data() {
    QTest::addColumn<qreal>("defaultPoints"); // 0: the system's default font
    QTest::newRow("system font") << 0.0;
    QTest::newRow("10-point font") << 10.0;
}

void CaptionsFitTest::captionsFit() {
    QFETCH(qreal, defaultPoints);
    const QFont systemFont = QApplication::font();
    if (defaultPoints > 0) {
        QFont font = systemFont;
        font.setPointSizeF(defaultPoints);
        QApplication::setFont(font);
    }
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const qreal scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0;
    QCOMPARE(window.devicePixelRatioF(), scale);
    // The same layout, in as many more device pixels.
    QCOMPARE(window.size(), QSize(487, 279));
    QCOMPARE(window.grab().size(), QSize(std::lround(487 * scale), std::lround(279 * scale)));

    int checked = 0;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        QString caption;
        if (auto* button = qobject_cast<QPushButton*>(control)) caption = button->text();
        else if (auto* label = qobject_cast<QLabel*>(control)) caption = label->text();
        else continue;
        const QFontMetricsF metrics(control->font(), control);
        const QRectF area = captionArea(control);
        const QString where = QStringLiteral("\"%1\" needs %2 x %3 px, has %4 x %5")
                                  .arg(caption)
                                  .arg(metrics.horizontalAdvance(caption))
                                  .arg(metrics.height())
                                  .arg(area.width())
                                  .arg(area.height());
        QVERIFY2(metrics.horizontalAdvance(caption) <= area.width(), qPrintable(where));
        QVERIFY2(metrics.height() <= area.height(), qPrintable(where));
        ++checked;
    }
    QCOMPARE(checked, 6); // four buttons, two labels
    QApplication::setFont(systemFont);
}

QTEST_MAIN(CaptionsFitTest)
#include "captions_fit_test.moc"
