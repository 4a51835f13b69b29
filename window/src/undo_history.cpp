// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "undo_history.h"

#include "engine_text.h"
#include "message_box.h"
#include "tooltip_text.h"
#include "sentences/journal_reports.h"
#include "sentences/system_errors.h"
#include "sentences/undo_outcomes.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <exception>

void UndoHistoryModel::setBatches(std::vector<norvane::Journal::Batch> batches) {
    beginResetModel();
    batches_ = std::move(batches);
    endResetModel();
}

int UndoHistoryModel::rowOf(std::uint64_t sequence) const {
    for (std::size_t row = 0; row < batches_.size(); ++row)
        if (batches_[row].sequence == sequence) return static_cast<int>(row);
    return -1;
}

int UndoHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(batches_.size());
}

int UndoHistoryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Columns; }

QVariant UndoHistoryModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
    const norvane::Journal::Batch& shown = batch(index.row());
    QString text;
    switch (index.column()) {
    case What: text = toDisplayText(shown.what); break;
    case Folder: text = toDisplayText(shown.folder); break;
    case When: text = undo_text::when(shown.startedAt); break;
    case Files: text = QLocale().toString(static_cast<qulonglong>(shown.files)); break;
    case CanGoBack: text = undo_text::canGoBack(shown); break;
    default: return {};
    }
    if (role == Qt::DisplayRole) return text;
    if (role == Qt::ToolTipRole) return asTooltip(text);
    if (role == Qt::TextAlignmentRole && index.column() == Files) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant UndoHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case What: return tr("What");
    case Folder: return tr("Folder");
    case When: return tr("When");
    case Files: return tr("Files");
    case CanGoBack: return tr("Can be taken back now");
    default: return {};
    }
}

UndoHistory::UndoHistory(norvane::Session& session, QWidget* parent)
    : QDialog(parent), session_(session), model_(new UndoHistoryModel(this)),
      view_(new QTreeView(this)) {
    setObjectName(QStringLiteral("undoHistory"));
    setWindowTitle(tr("Undo History"));
    auto* label = new QLabel(this);
    label_ = label;
    label->setWordWrap(true);
    view_->setObjectName(QStringLiteral("batches"));
    view_->setModel(model_);
    view_->setRootIsDecorated(false);
    view_->setUniformRowHeights(true);
    view_->setAllColumnsShowFocus(true);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    label->setBuddy(view_);

    auto* buttons = new QDialogButtonBox(this);
    takeBack_ = buttons->addButton(tr("Take Back"), QDialogButtonBox::AcceptRole);
    takeBack_->setObjectName(QStringLiteral("takeBack"));
    giveUp_ = buttons->addButton(tr("Give Up..."), QDialogButtonBox::ActionRole);
    giveUp_->setObjectName(QStringLiteral("giveUp"));
    buttons->addButton(QDialogButtonBox::Close);
    takeBack_->setDefault(true);
    connect(takeBack_, &QPushButton::clicked, this, &UndoHistory::takeBack);
    connect(giveUp_, &QPushButton::clicked, this, &UndoHistory::giveUp);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(view_, &QTreeView::activated, this, &UndoHistory::takeBack);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(view_);
    layout->addWidget(buttons);
    resize(760, 320);

    reload();
    view_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    view_->header()->setStretchLastSection(true);
    view_->setFocus();
}

void UndoHistory::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) reload();
}

// The journal as it is now, the same batch selected again; the latest at first.
void UndoHistory::reload() {
    const std::optional<int> row = selectedRow();
    const std::optional<std::uint64_t> kept = row ? std::optional(model_->batch(*row).sequence) : std::nullopt;
    try {
        model_->setBatches(session_.batches());
    } catch (const std::exception& error) {
        model_->setBatches({});
        showMessage(this, journalUnreadable(error.what()));
    }
    if (view_->selectionModel() != nullptr)
        connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &UndoHistory::selectionChanged,
                Qt::UniqueConnection);
    const int again = kept ? model_->rowOf(*kept) : -1;
    if (model_->rowCount() > 0) view_->setCurrentIndex(model_->index(again >= 0 ? again : 0, 0));
    label_->setText(model_->rowCount() > 0 ? tr("Every batch Norvane keeps, the latest first. Ctrl+Z takes back the latest; "
                                                "here any batch that can go back now is taken back.")
                                           : tr("Norvane keeps no batch now: there is nothing to take back."));
    selectionChanged();
}

std::optional<int> UndoHistory::selectedRow() const {
    if (view_->selectionModel() == nullptr) return std::nullopt;
    const QModelIndexList rows = view_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return std::nullopt;
    return rows.front().row();
}

void UndoHistory::selectionChanged() {
    const std::optional<int> row = selectedRow();
    takeBack_->setEnabled(row && model_->batch(*row).state == norvane::Journal::Batch::State::Ready);
    giveUp_->setEnabled(row.has_value());
    takeBack_->setToolTip(row ? asTooltip(undo_text::preview(model_->batch(*row).what, model_->batch(*row).folder,
                                                             model_->batch(*row).files))
                              : QString());
}

void UndoHistory::takeBack() {
    const std::optional<int> row = selectedRow();
    if (!row || !takeBack_->isEnabled()) return;
    chosen_ = model_->batch(*row).sequence;
    accept();
}

// Asked first, with keeping the batch as the default answer: a batch given up cannot come back.
void UndoHistory::giveUp() {
    const std::optional<int> row = selectedRow();
    if (!row) return;
    const norvane::Journal::Batch batch = model_->batch(*row);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Norvane"),
                    tr("Give up \"%1\" in \"%2\" (%Ln files)? Its files keep the names they have now, and Norvane can no "
                       "longer take it back.",
                       nullptr, static_cast<int>(batch.files))
                        .arg(toDisplayText(batch.what), toDisplayText(batch.folder)),
                    QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    QPushButton* giving = box.addButton(tr("Give Up"), QMessageBox::DestructiveRole);
    QPushButton* keeping = box.addButton(tr("Keep It"), QMessageBox::RejectRole);
    box.setDefaultButton(keeping);
    box.setEscapeButton(keeping);
    box.exec();
    if (box.clickedButton() != giving) return;
    if (const auto error = session_.giveUp(batch.sequence))
        showMessage(this, tr("The batch could not be given up: its file in the journal could not be removed%1.")
                              .arg(sentences::systemError(error)));
    reload();
}
