// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal_report.h"

#include "engine_text.h"
#include "message_box.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

QString tr(const char* text, int n = -1) { return QCoreApplication::translate("JournalReport", text, nullptr, n); }

QString number(std::uint64_t n) { return QLocale().toString(static_cast<qulonglong>(n)); }

// Its folder could not be reached to tell how far it got.
bool waiting(const norvane::Journal::Interrupted& batch) { return batch.renamed == 0; }

QString interruptedLine(const norvane::Journal::Interrupted& batch) {
    const QString what = toDisplayText(batch.what), folder = toDisplayText(batch.folder);
    const int planned = static_cast<int>(batch.planned);
    if (waiting(batch))
        return tr("\"%1\" in \"%2\", a batch of %Ln files: the folder cannot be reached now; it is offered again once it is back.",
                  planned)
            .arg(what, folder);
    return tr("\"%1\" in \"%2\": %3 of %Ln files were renamed.", planned).arg(what, folder, number(batch.renamed));
}

QString putBackCaption() { return tr("Put Them Back"); }

} // namespace

JournalReport journalReport(const norvane::Journal::Opening& opening, const std::optional<std::string>& journalFolder) {
    JournalReport report;
    QStringList parts;
    if (!opening.interrupted.empty()) {
        QString text = opening.interrupted.size() == 1 ? tr("Norvane stopped before a batch was done:")
                                                       : tr("Norvane stopped before these batches were done:");
        for (const auto& batch : opening.interrupted) {
            text += QStringLiteral("\n- ") + interruptedLine(batch);
            if (!waiting(batch)) report.offersPutBack = true;
        }
        text += QLatin1Char('\n') + tr("Nothing was moved since.") + QLatin1Char(' ');
        if (report.offersPutBack)
            text += tr("\"%1\" puts the renamed files back now, the latest batch first. \"Keep Them Renamed\" leaves them as "
                       "they are; later, \"Undo Rename\" in the file list's menu or Ctrl+Z in the file list puts them back.")
                        .arg(putBackCaption());
        else
            text += tr("\"Undo Rename\" in the file list's menu or Ctrl+Z in the file list puts the files back once the folder "
                       "is back.");
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
    report.text = parts.join(QStringLiteral("\n\n"));
    return report;
}

bool askAfterCrash(QWidget* parent, const JournalReport& report) {
    if (report.text.isEmpty()) return false;
    if (!report.offersPutBack) {
        showMessage(parent, report.text);
        return false;
    }
    return askMessage(parent, report.text, putBackCaption(), tr("Keep Them Renamed"));
}
