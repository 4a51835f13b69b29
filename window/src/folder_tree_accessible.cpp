// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "folder_tree_accessible.h"

#include "folder_list_model.h"
#include "folder_view.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace {

QString formText(const char* text) { return QCoreApplication::translate("Form1", text); }

// One folder of the tree. It refers to its row; the tree lets its items go
// whenever the rows change.
class FolderItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    FolderItemAccessible(FolderView* view, int row) : view_(view), row_(row) {}

    bool isValid() const override { return view_ && view_->model() != nullptr && row_ < view_->model()->rowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(view_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::TreeItem; }

    QString text(QAccessible::Text kind) const override {
        if (!isValid()) return {};
        const QModelIndex at = index();
        if (kind == QAccessible::Name) return at.data(Qt::DisplayRole).toString();
        if (kind != QAccessible::Description) return {};
        const int level = at.data(FolderListModel::DepthRole).toInt() + 1;
        const bool open = at.data(FolderListModel::OpenRole).toBool();
        const bool current = at.data(FolderListModel::CurrentRole).toBool();
        const QString where = current ? formText(QT_TRANSLATE_NOOP("Form1", "the current folder"))
                              : open  ? formText(QT_TRANSLATE_NOOP("Form1", "on the way down to the current folder"))
                                      : formText(QT_TRANSLATE_NOOP("Form1", "a subfolder of the current folder"));
        return formText(QT_TRANSLATE_NOOP("Form1", "Level %1, %2")).arg(level).arg(where);
    }

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect area = view_->visualRect(index());
        return QRect(view_->viewport()->mapToGlobal(area.topLeft()), area.size());
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const QModelIndex at = index();
        state.focusable = true;
        state.selectable = true;
        state.focused = view_->hasFocus() && view_->currentIndex() == at;
        state.selected = view_->selectionModel() != nullptr && view_->selectionModel()->isSelected(at);
        // The folders on the way down show open, the subfolders closed.
        state.expandable = true;
        state.expanded = at.data(FolderListModel::OpenRole).toBool();
        state.collapsed = !state.expanded;
        if (!view_->viewport()->rect().intersects(view_->visualRect(at))) state.offscreen = true;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {FolderTreeAccessible::openAction}; }
    QString localizedActionDescription(const QString& name) const override {
        return name == FolderTreeAccessible::openAction ? formText(QT_TRANSLATE_NOOP("Form1", "Opens this folder and lists its files")) : QString();
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == FolderTreeAccessible::openAction ? QStringList{QStringLiteral("Return")} : QStringList();
    }
    void doAction(const QString& name) override {
        if (name != FolderTreeAccessible::openAction || !isValid()) return;
        // Opened once the caller has its answer: opening lists the folder and may show a box.
        QMetaObject::invokeMethod(
            view_.data(), [view = view_, row = row_] { if (view) emit view->openRequested(view->model()->index(row, 0)); },
            Qt::QueuedConnection);
    }

private:
    QModelIndex index() const { return view_->model()->index(row_, 0); }

    QPointer<FolderView> view_;
    int row_;
};

} // namespace

const QString FolderTreeAccessible::openAction = QStringLiteral("open");

FolderTreeAccessible::FolderTreeAccessible(FolderView* view) : QAccessibleWidget(view, QAccessible::Tree) {}

FolderTreeAccessible::~FolderTreeAccessible() { forgetItems(); }

FolderView* FolderTreeAccessible::view() const { return static_cast<FolderView*>(widget()); }

int FolderTreeAccessible::childCount() const { return view()->model() != nullptr ? view()->model()->rowCount() : 0; }

QAccessibleInterface* FolderTreeAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    if (items_.size() < static_cast<std::size_t>(childCount())) items_.resize(static_cast<std::size_t>(childCount()), 0);
    QAccessible::Id& id = items_[static_cast<std::size_t>(index)];
    if (id == 0) id = QAccessible::registerAccessibleInterface(new FolderItemAccessible(view(), index));
    return QAccessible::accessibleInterface(id);
}

int FolderTreeAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (child == nullptr) return -1;
    const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
    for (std::size_t row = 0; row < items_.size(); ++row)
        if (items_[row] == id) return static_cast<int>(row);
    return -1;
}

QAccessibleInterface* FolderTreeAccessible::childAt(int x, int y) const {
    const QModelIndex at = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
    return at.isValid() ? child(at.row()) : nullptr;
}

QAccessibleInterface* FolderTreeAccessible::focusChild() const {
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}

void FolderTreeAccessible::forgetItems() {
    for (const QAccessible::Id id : items_)
        if (id != 0) QAccessible::deleteAccessibleInterface(id);
    items_.clear();
}

QAccessibleInterface* folderTreeAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("FolderView") || object == nullptr || !object->isWidgetType()) return nullptr;
    return new FolderTreeAccessible(static_cast<FolderView*>(object));
}
