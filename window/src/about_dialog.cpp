// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "about_dialog.h"

#include "command_line.h"
#include "undo_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

// The resources of a static library are linked in only when asked for by name.
static void loadNotices() { Q_INIT_RESOURCE(norvane_notices); }

// The catalogue's context for these sentences.
class AboutDialog {
    Q_DECLARE_TR_FUNCTIONS(AboutDialog)
};

namespace {


QString resourceText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void showNotices(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setWindowTitle(AboutDialog::tr("Licence and notices"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QPlainTextEdit(noticesText(), &dialog);
    text->setObjectName(QStringLiteral("notices"));
    text->setReadOnly(true);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setAccessibleName(AboutDialog::tr("Licence and notices"));
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(640, 480);
    dialog.exec();
}

} // namespace

QString noticesText() {
    // Built in, so the text is there however the program was installed or copied.
    loadNotices();
    return resourceText(QStringLiteral(":/notices/NOTICES.txt")) + QStringLiteral("\n\n") +
           resourceText(QStringLiteral(":/notices/LICENSE"));
}

void showAbout(QWidget* parent) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("aboutNorvane"));
    dialog.setWindowTitle(AboutDialog::tr("About Norvane"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QStringLiteral("Norvane " NORVANE_VERSION "\n\n") +
                                 AboutDialog::tr("Renames every file of one folder in one batch.") + QStringLiteral("\n\n") + licenceLine() +
                                 QStringLiteral("\n") +
                                 AboutDialog::tr("You may pass it on and change it under that licence's terms; the notices button shows them, "
                                    "with the notices of the libraries it carries."),
                             &dialog);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QPushButton* notices = buttons->addButton(AboutDialog::tr("Licence and &notices"), QDialogButtonBox::ActionRole);
    notices->setObjectName(QStringLiteral("showNotices"));
    QObject::connect(notices, &QPushButton::clicked, &dialog, [&dialog] { showNotices(&dialog); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.setMinimumWidth(360);
    dialog.exec();
}

void addAboutAction(QWidget* window, UndoMenu& menu) {
    auto* about = new QAction(AboutDialog::tr("About Norvane"), window);
    about->setObjectName(QStringLiteral("aboutNorvane"));
    about->setShortcut(QKeySequence::HelpContents);
    about->setShortcutContext(Qt::WindowShortcut);
    window->addAction(about);
    QObject::connect(about, &QAction::triggered, window, [window] { showAbout(window); });
    menu.addAfterUndo(about);
}
