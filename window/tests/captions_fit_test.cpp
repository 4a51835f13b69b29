// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every caption fits its control, at the display scale this run was started
// with (QT_SCALE_FACTOR, set by CTest) and with the system's font or one of
// 10, 12 or 14 points, and the window keeps its proportions: up to 10 points
// it keeps its size, a larger font grows it by the font's size over 8 points.

#include "form1.h"
#include "window_test_support.h"

#include <QFontInfo>
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
    QTest::newRow("12-point font") << 12.0;
    QTest::newRow("14-point font") << 14.0;
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
    // The same layout, grown with a larger font, in as many more device pixels.
    const qreal points = QFontInfo(QApplication::font()).pointSizeF();
    const qreal grown = points > 10 ? points / 8 : 1.0;
    const QSize size(std::lround(487 * grown), std::lround(279 * grown));
    QCOMPARE(window.size(), size);
    QCOMPARE(window.grab().size(), QSize(std::lround(size.width() * scale), std::lround(size.height() * scale)));
    // Every control where the design puts it, in proportion.
    const QRect find = window.findChild<QWidget*>(QStringLiteral("txt_find"))->geometry();
    const QRect files = window.findChild<QWidget*>(QStringLiteral("File1"))->geometry();
    for (const auto& [shown, design] : {std::pair{find, QRect(106, 20, 155, 25)}, std::pair{files, QRect(202, 124, 159, 136)}}) {
        QVERIFY2(std::abs(shown.x() - design.x() * grown) <= 1 && std::abs(shown.right() + 1 - (design.right() + 1) * grown) <= 1 &&
                     std::abs(shown.y() - design.y() * grown) <= 1 && std::abs(shown.bottom() + 1 - (design.bottom() + 1) * grown) <= 1,
                 qPrintable(QStringLiteral("%1,%2 %3x%4").arg(shown.x()).arg(shown.y()).arg(shown.width()).arg(shown.height())));
    }

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
