// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A name in the list and in its tooltip reads in its own order: left to
// right in a left-to-right window, from its first letter in a right-to-left one.

#include "name_delegate.h"
#include "tooltip_text.h"
#include "window_test_support.h"

#include <QGuiApplication>
#include <QStandardItemModel>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace {

struct ShownName : NameDelegate {
    using NameDelegate::NameDelegate;
    QString text(const QModelIndex& index, Qt::LayoutDirection direction) const {
        QStyleOptionViewItem option;
        option.direction = direction;
        initStyleOption(&option, index);
        return option.text;
    }
};

// Where the character at `position` is drawn on one line laid out `direction`.
qreal drawnAt(const QString& text, int position, Qt::LayoutDirection direction) {
    QTextLayout layout(text, QGuiApplication::font());
    QTextOption option;
    option.setTextDirection(direction);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return line.cursorToX(position);
}

} // namespace

class NameOrderTest : public QObject {
    Q_OBJECT

private slots:
    void namesReadInTheirOwnOrder_data();
    void namesReadInTheirOwnOrder();
};

void NameOrderTest::namesReadInTheirOwnOrder_data() {
    QTest::addColumn<Qt::LayoutDirection>("window");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QChar>("later");             // a letter inside the name's letters
    QTest::addColumn<bool>("digitsLeft");         // whether the first digit is drawn left of it
    QTest::addColumn<Qt::LayoutDirection>("tip"); // the tooltip's direction
    const QString hebrew = QString::fromUtf8("009.טקסט");
    QTest::newRow("Hebrew name, left-to-right window") << Qt::LeftToRight << hebrew << QChar(0x05E7) << true << Qt::LeftToRight;
    QTest::newRow("Hebrew name, right-to-left window") << Qt::RightToLeft << hebrew << QChar(0x05E7) << false << Qt::RightToLeft;
    QTest::newRow("Latin name, right-to-left window")
        << Qt::RightToLeft << QStringLiteral("01.Beach_draft.jpg") << QChar(u'e') << true << Qt::LeftToRight;
}

void NameOrderTest::namesReadInTheirOwnOrder() {
    QFETCH(Qt::LayoutDirection, window);
    QFETCH(QString, name);
    QFETCH(QChar, later);
    QFETCH(bool, digitsLeft);
    QFETCH(Qt::LayoutDirection, tip);
    QGuiApplication::setLayoutDirection(window);
    QStandardItemModel model;
    model.appendRow(new QStandardItem(name));
    const QString shown = ShownName().text(model.index(0, 0), window);
    QCOMPARE(QString(shown).remove(QRegularExpression(QStringLiteral("[\\x{2066}-\\x{2069}]"))), name);
    const qreal digit = drawnAt(shown, static_cast<int>(shown.indexOf(u'0') + 1), window);
    const qreal letter = drawnAt(shown, static_cast<int>(shown.indexOf(later)), window);
    QVERIFY2((digit < letter) == digitsLeft, qPrintable(QStringLiteral("%1 and %2").arg(digit).arg(letter)));

    QTextDocument tooltip;
    tooltip.setHtml(asTooltip(name));
    QCOMPARE(tooltip.firstBlock().textDirection(), tip);
    QGuiApplication::setLayoutDirection(Qt::LeftToRight);
}

QTEST_MAIN(NameOrderTest)
#include "name_order_test.moc"
