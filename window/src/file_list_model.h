#pragma once

#include "norvane/file_list.h"

#include <QAbstractListModel>

// File1's rows: the engine's FileList itself, read in place, one row a name.
class FileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit FileListModel(const norvane::FileList& files, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The list has re-listed: every row may be different.
    void namesChanged();

private:
    const norvane::FileList& files_;
};
