// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/session.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QCloseEvent;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class FileListModel;
class FolderListModel;
class Announcer;
class FolderView;
class TwipsLayout;
class UndoHint;

// The program's one window: the two texts, the four buttons, the folder tree
// Dir1 and the file list File1, each a view of one engine session.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // Opens where the program starts by itself (see startFolder()).
    explicit Form1(norvane::platform::FileSystem& fileSystem = norvane::platform::nativeFileSystem(),
                   QWidget* parent = nullptr);
    // Opens at `folder`, as given on the command line.
    explicit Form1(const std::string& folder,
                   norvane::platform::FileSystem& fileSystem = norvane::platform::nativeFileSystem(),
                   QWidget* parent = nullptr);
    ~Form1() override;

    // Makes `folder` current, as opening it in Dir1 does; reports a folder
    // that cannot be read.
    void openFolder(const std::string& folder);

    const norvane::FolderList& folderList() const { return session_.folders(); }
    const norvane::FileList& fileList() const { return session_.files(); }

protected:
    // Closing the window while a batch works stops the batch between two
    // moves, as Cancel does, and the window closes once it has stopped.
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls(const TwipsLayout& layout);
    void createUndo();
    void startUp(const std::string& folder);
    void openJournal();
    void openEntry(const QModelIndex& index);
    norvane::RuleTexts currentTexts() const;
    void runRule(norvane::Rule rule);
    QString previewOf(norvane::Rule rule) const;
    std::function<QString()> previewWork(norvane::Rule rule) const;
    // `askedAt`: the control where Ctrl+Z was pressed, for the word that nothing is to take back.
    void undoLastBatch(QWidget* askedAt = nullptr);
    void undoBatches(std::vector<std::uint64_t> sequences);
    QString undoText(std::uint64_t sequence);
    QAction* createUndoHistory();
    void showUndoHistory();
    void endAfterWork();
    void updateUndoAction();
    void refreshAfterFailure(bool reportListing);
    bool reportListingError();

    // The folder tree, the file list and the journal, wired to one another.
    norvane::Session session_;
    bool working_ = false; // a batch or an undo is under way
    QAction* undoAction_ = nullptr;

    FolderListModel* folderModel_ = nullptr;
    FileListModel* fileModel_ = nullptr;

    QLineEdit* txt_find = nullptr;
    QLineEdit* Txt_replace = nullptr;
    QPushButton* CmdChange = nullptr;
    FolderView* Dir1 = nullptr;
    QListView* File1 = nullptr;
    QLabel* findLabel_ = nullptr;    // Label1(0)
    QLabel* replaceLabel_ = nullptr; // Label1(1)
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* CmdRemoveExt = nullptr;
    Announcer* announcer_ = nullptr; // speaks to screen readers only
    UndoHint* undoHint_ = nullptr;   // Ctrl+Z that finds nothing to take back says so
};
