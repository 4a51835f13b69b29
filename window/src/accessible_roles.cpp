// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "accessible_roles.h"

#include "folder_tree_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace {

QAccessibleInterface* roleOf(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType()) return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("Form1")) return new QAccessibleWidget(widget, QAccessible::Window);
    if (widget->objectName() == QLatin1String("announcement")) return new QAccessibleWidget(widget, QAccessible::Notification);
    return folderTreeAccessible(className, object);
}

} // namespace

void installAccessibleRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(roleOf);
        return true;
    }();
    Q_UNUSED(installed);
}
