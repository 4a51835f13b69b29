// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The preview a button's focus shows: never one worked out before the
// window was blocked by a batch, and never under the pointer.

#include "focus_preview.h"
#include "window_test_support.h"

#include <QCursor>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QToolTip>

#include <future>

namespace {

// Two buttons, the second watched; each preview says which it was and waits for `go`.
struct Scene {
    QWidget window;
    QPushButton* before = new QPushButton(QStringLiteral("before"), &window);
    QPushButton* button = new QPushButton(QStringLiteral("button"), &window);
    FocusPreview preview{&window, {}};
    int snapshots = 0;
    std::promise<void> go;
    std::shared_future<void> released = go.get_future().share();

    Scene() {
        window.setGeometry(200, 200, 300, 200);
        before->setGeometry(10, 10, 80, 30);
        button->setGeometry(100, 10, 80, 30);
        preview.watch(button, [this] {
            const int number = ++snapshots;
            return FocusPreview::Work([number, released = released] {
                released.wait();
                return QStringLiteral("preview %1\nsecond line\nthird line").arg(number);
            });
        });
    }
    ~Scene() {
        if (released.wait_for(std::chrono::seconds(0)) != std::future_status::ready) go.set_value();
    }
    bool focusButton() {
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) return false;
        before->setFocus();
        button->setFocus(Qt::TabFocusReason);
        return true;
    }
};

QWidget* shownTooltip() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String("qtooltip_label") && widget->isVisible()) return widget;
    return nullptr;
}

} // namespace

class FocusPreviewTest : public QObject {
    Q_OBJECT

private slots:
    void aPreviewFromBeforeABatchIsDropped();
    void theTooltipKeepsClearOfThePointer();
};

// A batch's dialog blocks the window, and a click on the window gives the
// button its focus back meanwhile: nothing worked out on the list the batch
// is changing is shown, and once the dialog is gone a new preview is.
void FocusPreviewTest::aPreviewFromBeforeABatchIsDropped() {
    Scene scene;
    QVERIFY(scene.focusButton());
    QTRY_COMPARE(scene.snapshots, 1);
    QDialog batch(&scene.window);
    batch.setWindowModality(Qt::WindowModal);
    batch.show();
    QVERIFY(QTest::qWaitForWindowActive(&batch));
    scene.window.activateWindow();
    QTRY_VERIFY(scene.button->hasFocus());
    scene.go.set_value();
    QTest::qWait(FocusPreview::restMs * 2);
    QCOMPARE(scene.button->accessibleDescription(), QString());
    QVERIFY(!QToolTip::isVisible());

    batch.close();
    QTRY_COMPARE(scene.button->accessibleDescription(), QStringLiteral("preview 2\nsecond line\nthird line"));
}

// With the pointer where the tooltip would go, it goes elsewhere: under the
// pointer it would take the pointer off the window, which hides it.
void FocusPreviewTest::theTooltipKeepsClearOfThePointer() {
    Scene scene;
    scene.go.set_value();
    QCursor::setPos(scene.button->mapToGlobal(QPoint(10, scene.button->height() + 24)));
    QVERIFY(scene.focusButton());
    QTRY_VERIFY(QToolTip::isVisible());
    const QWidget* tip = shownTooltip();
    QVERIFY(tip != nullptr);
    QVERIFY2(!tip->frameGeometry().contains(QCursor::pos()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                            .arg(tip->x())
                                                                            .arg(tip->y())
                                                                            .arg(tip->width())
                                                                            .arg(tip->height())));
    QVERIFY(QToolTip::text().contains(QStringLiteral("preview 1")));
}

QTEST_MAIN(FocusPreviewTest)
#include "focus_preview_test.moc"
