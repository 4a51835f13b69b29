// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal_report.h"

#include "engine_text.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

QString tr(const char* text) { return QCoreApplication::translate("JournalReport", text); }

QString number(std::uint64_t n) { return QLocale().toString(static_cast<qulonglong>(n)); }

QString interruptedLine(const norvane::Journal::Interrupted& batch) {
    const QString what = toDisplayText(batch.what), folder = toDisplayText(batch.folder);
    if (batch.renamed == 0) // its folder could not be reached to tell
        return tr("\"%1\" in \"%2\", a batch of %3 files: the folder cannot be reached now, so how far it got is told once it is back.")
            .arg(what, folder, number(batch.planned));
    return tr("\"%1\" in \"%2\": %3 of %4 files were renamed.").arg(what, folder, number(batch.renamed), number(batch.planned));
}

} // namespace

QString journalReport(const norvane::Journal::Opening& opening, const std::optional<std::string>& journalFolder) {
    QStringList parts;
    if (!opening.interrupted.empty()) {
        QString text = opening.interrupted.size() == 1 ? tr("Norvane stopped before a batch was done:")
                                                       : tr("Norvane stopped before these batches were done:");
        for (const auto& batch : opening.interrupted) text += QStringLiteral("\n- ") + interruptedLine(batch);
        text += QLatin1Char('\n') + tr("Nothing was moved since. Ctrl+Z puts the renamed files back, the latest batch first.");
        parts << text;
    }
    if (!opening.setAside.empty()) {
        QString text = tr("These files of the journal could not be read; they were set aside in \"%1\" and are no longer offered "
                          "for undo:")
                           .arg(toDisplayText(journalFolder.value_or(std::string())));
        for (const auto& file : opening.setAside)
            text += QStringLiteral("\n- \"") + toDisplayText(file.file) + QStringLiteral("\": ") + toDisplayText(file.reason) +
                    QLatin1Char('.');
        parts << text;
    }
    return parts.join(QStringLiteral("\n\n"));
}
