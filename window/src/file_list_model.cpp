// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "file_list_model.h"

#include "engine_text.h"
#include "tooltip_text.h"

FileListModel::FileListModel(const norvane::FileList& files, QObject* parent)
    : QAbstractListModel(parent), files_(files) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(files_.count());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const QString name = toDisplayText(files_.name(static_cast<std::size_t>(index.row())));
    // The whole name, where the row is too narrow for it.
    return role == Qt::ToolTipRole ? asTooltip(name) : name;
}

void FileListModel::namesChanging() { beginResetModel(); }

void FileListModel::namesChanged() { endResetModel(); }
