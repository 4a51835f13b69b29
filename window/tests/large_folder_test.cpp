// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A folder of 100,000 files lists and scrolls reading only the rows on screen;
// its speed is measured by the benchmarks, not here.

#include "form1.h"
#include "window_test_support.h"

#include "norvane/platform.h"

#include <QIdentityProxyModel>
#include <QListView>
#include <QScrollBar>
#include <QTest>

namespace {

constexpr int bigFolderSize = 100'000;
const std::string bigFolder = "/big";

// Answers a listing of `bigFolder` with many files, and of anything else with nothing.
class BigFolderSystem : public norvane::platform::FileSystem {
public:
    std::optional<norvane::platform::SystemError> readFolder(const std::string& folder,
                                                            const norvane::platform::EntryListed& each) override {
        if (folder != bigFolder) return std::nullopt;
        for (int i = bigFolderSize; i > 0; --i) each("track " + std::to_string(i) + ".mp3", norvane::platform::EntryKind::File, false);
        return std::nullopt;
    }
    norvane::platform::FolderProbe probeFolder(const std::string&) override { return {}; }
    // No batch runs here: a folder that never opens, as an empty path does not.
    std::unique_ptr<norvane::platform::Folder> openFolder(const std::string&) override {
        return norvane::platform::nativeFileSystem().openFolder({});
    }
};

// Counts the view's reads of the names: a view that lays out every row reads all of them.
class CountingModel : public QIdentityProxyModel {
public:
    mutable int reads = 0;
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DisplayRole) ++reads;
        return QIdentityProxyModel::data(index, role);
    }
};

} // namespace

class LargeFolderTest : public QObject {
    Q_OBJECT

private slots:
    void hundredThousandNamesListAndScroll() {
        BigFolderSystem system;
        Form1 window(system);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto* file1 = window.findChild<QListView*>(QStringLiteral("File1"));
        CountingModel counting;
        counting.setSourceModel(file1->model());
        file1->setModel(&counting);

        window.openFolder(bigFolder);
        file1->repaint();

        QCOMPARE(file1->model()->rowCount(), bigFolderSize);
        QScrollBar* bar = file1->verticalScrollBar();
        for (int step = 1; step <= 20; ++step) {
            bar->setValue(bar->maximum() * step / 20);
            file1->repaint();
        }
        file1->scrollToBottom();
        file1->repaint();
        const QModelIndex last = file1->model()->index(bigFolderSize - 1, 0);
        QVERIFY(file1->viewport()->rect().intersects(file1->visualRect(last)));
        QCOMPARE(last.data().toString(), QStringLiteral("track 99999.mp3")); // sorted, not in folder order
        // Only the rows on screen are read, never the whole folder.
        QVERIFY2(counting.reads < 2000, qPrintable(QString::number(counting.reads)));
    }
};

QTEST_MAIN(LargeFolderTest)
#include "large_folder_test.moc"
