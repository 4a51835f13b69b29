// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "norvane/session.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <cstdint>
#include <optional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeView;

// Every kept batch, latest first, one row each: what it did, its folder,
// when, how many files, and whether it can be taken back now.
class UndoHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { What, Folder, When, Files, CanGoBack, Columns };
    using QAbstractTableModel::QAbstractTableModel;

    void setBatches(std::vector<norvane::Journal::Batch> batches);
    const norvane::Journal::Batch& batch(int row) const { return batches_[static_cast<std::size_t>(row)]; }
    int rowOf(std::uint64_t sequence) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<norvane::Journal::Batch> batches_;
};

// The history of batches, opened from the file list's menu: any batch that
// can go back is taken back from here (the latest is chosen at first), and a
// batch is given up only here, once the user confirms it.
class UndoHistory : public QDialog {
    Q_OBJECT
public:
    explicit UndoHistory(norvane::Session& session, QWidget* parent);

    // The batch to take back, once the dialog is accepted.
    std::optional<std::uint64_t> chosen() const { return chosen_; }

protected:
    // Coming back to the dialog (a card put in meanwhile) reads the journal again.
    void changeEvent(QEvent* event) override;

private:
    void reload();
    std::optional<int> selectedRow() const;
    void selectionChanged();
    void takeBack();
    void giveUp();

    norvane::Session& session_;
    UndoHistoryModel* model_;
    QLabel* label_;
    QTreeView* view_;
    QPushButton* takeBack_;
    QPushButton* giveUp_;
    std::optional<std::uint64_t> chosen_;
};
