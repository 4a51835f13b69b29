// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/session.h"

#include <QAbstractListModel>

// File1's rows: the engine's FileList itself, read in place, one row a name.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileListModel(const norvane::FileList& files, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Around every re-listing of the list: before, its names are still the
    // ones the views show; after, every row may be different.
    void namesChanging();
    void namesChanged();

private:
    const norvane::FileList& files_;
};
