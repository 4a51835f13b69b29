// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The folder tree with the focus looks different from the tree without it,
// in every style the program ships.

#include "folder_view.h"
#include "window_test_support.h"

#include <QImage>
#include <QLineEdit>
#include <QStringListModel>
#include <QStyleFactory>
#include <QTest>

#include <cstdlib>

class FolderViewTest : public QObject {
    Q_OBJECT

private slots:
    void theFocusShows_data();
    void theFocusShows();
};

void FolderViewTest::theFocusShows_data() {
    QTest::addColumn<QString>("style");
    QTest::newRow("Fusion") << QStringLiteral("Fusion");
    QTest::newRow("Windows") << QStringLiteral("Windows");
}

void FolderViewTest::theFocusShows() {
    QFETCH(QString, style);
    QStyle* shipped = QStyleFactory::create(style);
    QVERIFY(shipped != nullptr);
    QApplication::setStyle(shipped);
    QWidget window;
    auto* field = new QLineEdit(&window);
    auto* tree = new FolderView(&window);
    tree->setGeometry(0, 40, 200, 120);
    QStringListModel folders({QStringLiteral("/"), QStringLiteral("home"), QStringLiteral("Pictures")});
    tree->setModel(&folders);
    tree->setCurrentIndex(folders.index(2));
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    const QRect row = tree->visualRect(folders.index(2));

    const auto look = [&](QWidget* focus) {
        focus->setFocus(Qt::TabFocusReason);
        return tree->viewport()->grab(row).toImage();
    };
    const QImage without = look(field);
    const QImage with = look(tree);
    QVERIFY(tree->hasFocus());
    // The row's background, away from its text, plainly another colour: not a shade or a dotted line.
    const QPoint background(row.width() - 6, row.height() / 2);
    const QColor a = with.pixelColor(background);
    const QColor b = without.pixelColor(background);
    const int apart = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    QVERIFY2(apart >= 96, qPrintable(QStringLiteral("%1 and %2").arg(a.name(), b.name())));
}

QTEST_MAIN(FolderViewTest)
#include "folder_view_test.moc"
