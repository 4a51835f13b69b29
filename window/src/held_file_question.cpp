// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "held_file_question.h"

#include "engine_text.h"
#include "input_guard.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

QString heldFileText(const norvane::HeldFile& held) {
    const QString name = toDisplayText(std::string(held.from));
    QStringList programs;
    for (const std::string& program : held.programs) programs << toDisplayText(program);
    if (programs.isEmpty())
        return QCoreApplication::translate("Form1", "\"%1\" is open in another program, which keeps it from being renamed. "
                                                    "Close it there, then try again.")
            .arg(name);
    return QCoreApplication::translate("Form1", "\"%1\" is open in %2, which keeps it from being renamed. Close it there, then try again.")
        .arg(name, programs.join(QStringLiteral(", ")));
}

void askAboutHeldFile(QWidget* parent, norvane::HeldFile& held) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Norvane"), heldFileText(held), QMessageBox::NoButton, parent);
    // File and program names may hold "<" or "&": shown as they are.
    box.setTextFormat(Qt::PlainText);
    box.setObjectName(QStringLiteral("heldFileQuestion"));
    QPushButton* tryAgain = box.addButton(QCoreApplication::translate("Form1", "Try Again"), QMessageBox::AcceptRole);
    QPushButton* stop = box.addButton(QCoreApplication::translate("Form1", "Stop"), QMessageBox::RejectRole);
    box.setDefaultButton(tryAgain);
    box.setEscapeButton(stop);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    // A key pressed during the run, still queued, must not answer the box.
    InputGuard::drainQueuedInput();
    box.exec();
    QApplication::restoreOverrideCursor();
    held.answer = box.clickedButton() == tryAgain ? norvane::HeldFile::Answer::TryAgain : norvane::HeldFile::Answer::Stop;
}
