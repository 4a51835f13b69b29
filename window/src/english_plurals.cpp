// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "english_plurals.h"

#include <QCoreApplication>
#include <QHash>
#include <QTranslator>

namespace {

// Each counted source text (the plural) and its English singular.
const QHash<QString, QString>& singulars() {
    static const QHash<QString, QString> table = {
        {QStringLiteral("Ctrl+Z in the file list takes back \"%1\" in %2, %Ln files."),
         QStringLiteral("Ctrl+Z in the file list takes back \"%1\" in %2, %Ln file.")},
        {QStringLiteral("Undo Rename (%Ln files in %1)"),
         QStringLiteral("Undo Rename (%Ln file in %1)")},
        {QStringLiteral("Puts back the names of the %Ln files \"%1\" renamed in \"%2\"."),
         QStringLiteral("Puts back the name of the %Ln file \"%1\" renamed in \"%2\".")},
        {QStringLiteral("All %Ln files in \"%1\" got their names back."),
         QStringLiteral("The file in \"%1\" got its name back.")},
        {QStringLiteral("%1 of %Ln files in \"%2\" got their names back."),
         QStringLiteral("%1 of %Ln file in \"%2\" got its name back.")},
        {QStringLiteral("%Ln files were not put back yet; another undo tries again."),
         QStringLiteral("%Ln file was not put back yet; another undo tries again.")},
        {QStringLiteral("The undo was cancelled: %Ln files were not put back yet; another undo takes them back."),
         QStringLiteral("The undo was cancelled: %Ln file was not put back yet; another undo takes it back.")},
        {QStringLiteral("\"%1\" in \"%2\", a batch of %Ln files: %3; how far it got is told once it is back."),
         QStringLiteral("\"%1\" in \"%2\", a batch of %Ln file: %3; how far it got is told once it is back.")},
        {QStringLiteral("Taking back \"%1\" in \"%2\": %3 of %Ln files had their names back, %4 still to go."),
         QStringLiteral("Taking back \"%1\" in \"%2\": %3 of %Ln file had its name back, %4 still to go.")},
        {QStringLiteral("\"%1\" in \"%2\": %3 of %Ln files were renamed."),
         QStringLiteral("\"%1\" in \"%2\": %3 of %Ln file was renamed.")},
        {QStringLiteral("%Ln of them are under neither name now and are named when it is taken back."),
         QStringLiteral("%Ln of them is under neither name now and is named when it is taken back.")},
        {QStringLiteral("Give up \"%1\" in \"%2\" (%Ln files)? Its files keep the names they have now, and Norvane can no longer take it back."),
         QStringLiteral("Give up \"%1\" in \"%2\" (%Ln file)? Its file keeps the name it has now, and Norvane can no longer take it back.")},
    };
    return table;
}

class EnglishPlurals : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char*, const char* source, const char*, int n) const override {
        if (n != 1 || source == nullptr) return {};
        return singulars().value(QString::fromUtf8(source));
    }
};

} // namespace

void installEnglishPlurals() {
    static bool installed = false;
    if (installed || QCoreApplication::instance() == nullptr) return;
    installed = true;
    // Installed first, so asked last: a real translation takes precedence.
    QCoreApplication::installTranslator(new EnglishPlurals(QCoreApplication::instance()));
}
