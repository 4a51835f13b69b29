// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "control_descriptions.h"

#include <QCoreApplication>
#include <QVariant>
#include <QWidget>

namespace {

struct Description {
    const char* objectName;
    int index; // Label1's index; -1 for the others
    const char* name; // nullptr: the caption, which Qt reads already
    const char* description;
};

// The labels stand beside their fields but are not their buddies (a buddy
// would give them an accelerator), so the fields carry the labels' texts.
constexpr Description descriptions[] = {
    {"Form1", -1, nullptr, QT_TRANSLATE_NOOP("Form1", "Renames every file of the chosen folder in one batch")},
    {"txt_find", -1, "Find",
     QT_TRANSLATE_NOOP("Form1", "The text Repalce looks for in every file name")},
    {"Txt_replace", -1, "replace",
     QT_TRANSLATE_NOOP("Form1", "The text Repalce puts in place of the Find text; Change Extention makes it the extension")},
    {"CmdChange", -1, nullptr,
     QT_TRANSLATE_NOOP("Form1", "Replaces the Find text with the replace text in the name of every listed file")},
    {"Dir1", -1, QT_TRANSLATE_NOOP("Form1", "Folders"),
     QT_TRANSLATE_NOOP("Form1", "The folders from the root down to the current one, then its subfolders; "
                                "Enter or a double click opens the selected folder")},
    {"File1", -1, QT_TRANSLATE_NOOP("Form1", "Files"),
     QT_TRANSLATE_NOOP("Form1", "The files of the current folder; the buttons rename every one of them, first to last")},
    {"Label1", 0, nullptr, QT_TRANSLATE_NOOP("Form1", "Label of the Find field")},
    {"Label1", 1, nullptr, QT_TRANSLATE_NOOP("Form1", "Label of the replace field")},
    {"Command1", -1, nullptr,
     QT_TRANSLATE_NOOP("Form1", "Names every listed file 001, 002, 003 and so on in list order, keeping its extension")},
    {"Command2", -1, nullptr,
     QT_TRANSLATE_NOOP("Form1", "Keeps every listed file's name up to its first dot and gives it the replace text as extension")},
    {"CmdRemoveExt", -1, nullptr,
     QT_TRANSLATE_NOOP("Form1", "Drops the first dot-separated part of every listed file's name, keeping the next two")},
};

QWidget* find(QWidget* form1, const Description& entry) {
    if (form1->objectName() == QLatin1String(entry.objectName)) return form1;
    for (QWidget* widget : form1->findChildren<QWidget*>(QString::fromLatin1(entry.objectName))) {
        if (entry.index < 0 || widget->property("index").toInt() == entry.index) return widget;
    }
    return nullptr;
}

} // namespace

void describeControls(QWidget* form1) {
    for (const Description& entry : descriptions) {
        QWidget* widget = find(form1, entry);
        Q_ASSERT(widget != nullptr);
        if (widget == nullptr) continue;
        // The fields carry their labels' texts, which read the same in every language.
        const bool labelText = qstrcmp(entry.objectName, "txt_find") == 0 || qstrcmp(entry.objectName, "Txt_replace") == 0;
        if (entry.name != nullptr)
            widget->setAccessibleName(labelText ? QString::fromLatin1(entry.name) : QCoreApplication::translate("Form1", entry.name));
        widget->setAccessibleDescription(QCoreApplication::translate("Form1", entry.description));
    }
}
