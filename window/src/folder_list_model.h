// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "name_delegate.h"
#include "norvane/session.h"

#include <QAbstractListModel>
#include <QIcon>

// Dir1's rows: the engine's FolderList entries, the chain down to the current
// folder with open-folder icons, then its subfolders with closed ones.
class FolderListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // DepthRole: 0 for the root; OpenRole: on the way down to the current
    // folder, the current one included; CurrentRole: the current folder.
    enum Role { DepthRole = Qt::UserRole, PathRole, OpenRole, CurrentRole };

    FolderListModel(const norvane::FolderList& folders, QIcon openIcon, QIcon closedIcon, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Around every new current folder: before, the entries are still the old
    // folder's; after, the new one's.
    void foldersChanging();
    void foldersChanged();

    // The row of the current folder, the last of the chain.
    QModelIndex currentFolderIndex() const;

private:
    const norvane::FolderList& folders_;
    QIcon openIcon_;
    QIcon closedIcon_;
};

// Indents each row by its depth, so the chain reads as a tree, on the side
// the lines start from.
class FolderIndentDelegate : public NameDelegate {
    Q_OBJECT
public:
    static constexpr int indentPerLevel = 8;
    using NameDelegate::NameDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
