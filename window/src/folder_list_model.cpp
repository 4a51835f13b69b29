// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "folder_list_model.h"

#include "engine_text.h"
#include "twips_layout.h"
#include "tooltip_text.h"

#include <utility>

FolderListModel::FolderListModel(const norvane::FolderList& folders, QIcon openIcon, QIcon closedIcon, QObject* parent)
    : QAbstractListModel(parent), folders_(folders), openIcon_(std::move(openIcon)), closedIcon_(std::move(closedIcon)) {}

int FolderListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(folders_.entries().size());
}

QVariant FolderListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const norvane::FolderEntryView& entry = folders_.entries()[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole: return toDisplayText(entry.name);
    case Qt::ToolTipRole: return asTooltip(toDisplayText(entry.path));
    case Qt::DecorationRole: return entry.open ? openIcon_ : closedIcon_;
    case DepthRole: return static_cast<int>(entry.depth);
    case OpenRole: return entry.open;
    case CurrentRole: return static_cast<std::size_t>(index.row()) + 1 == folders_.chainLength();
    default: return {};
    }
}

void FolderListModel::foldersChanging() { beginResetModel(); }

void FolderListModel::foldersChanged() { endResetModel(); }

QModelIndex FolderListModel::currentFolderIndex() const {
    const std::size_t chain = folders_.chainLength();
    return chain == 0 ? QModelIndex() : index(static_cast<int>(chain - 1));
}

namespace {

int indentOf(const QStyleOptionViewItem& option, const QModelIndex& index) {
    // Grows with the window's layout, as the rows do.
    const int perLevel = static_cast<int>(FolderIndentDelegate::indentPerLevel * TwipsLayout(option.font).scale() + 0.5);
    return index.data(FolderListModel::DepthRole).toInt() * perLevel;
}

QStyleOptionViewItem indented(const QStyleOptionViewItem& option, const QModelIndex& index) {
    QStyleOptionViewItem shifted(option);
    // The indent is on the side the lines start from: the right in a right-to-left layout.
    if (option.direction == Qt::RightToLeft) shifted.rect.adjust(0, 0, -indentOf(option, index), 0);
    else shifted.rect.adjust(indentOf(option, index), 0, 0, 0);
    return shifted;
}

} // namespace

void FolderIndentDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, indented(option, index), index);
}

QSize FolderIndentDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.rwidth() += indentOf(option, index);
    return size;
}
