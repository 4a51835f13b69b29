// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAccessibleWidget>

#include <vector>

class FolderView;

// Dir1 as a screen reader finds it: a tree of folders rather than a flat list.
// Each folder is a tree item that says its level and whether it is on the way
// down to the current folder, the current folder itself or one of its
// subfolders, shows as expanded or collapsed as its icon does, and offers an
// "open" action. The current folder is the focused item.
class FolderTreeAccessible : public QAccessibleWidget {
public:
    explicit FolderTreeAccessible(FolderView* view);
    ~FolderTreeAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The rows stand for other folders now: their items go.
    void forgetItems();

    static const QString openAction;

private:
    FolderView* view() const;

    mutable std::vector<QAccessible::Id> items_; // by row; 0 where none was asked for yet
};

// Makes FolderView's accessible interface the one above.
QAccessibleInterface* folderTreeAccessible(const QString& className, QObject* object);
