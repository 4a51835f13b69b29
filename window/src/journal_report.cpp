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

QString systemError(const std::optional<norvane::platform::SystemError>& error) {
    if (!error) return {};
    return tr(" (error %1: %2)").arg(error->number).arg(toDisplayText(error->description));
}

QString setAsideReason(const norvane::Journal::SetAside& file) {
    using Why = norvane::Journal::SetAside::Why;
    switch (file.why) {
    case Why::NotAJournal: return tr("it is not a Norvane journal");
    case Why::Damaged: return tr("it is damaged at byte %1").arg(number(file.at));
    case Why::TooLarge: return tr("it is too large to be a journal (%1 bytes)").arg(number(file.at));
    case Why::CannotOpen: return tr("it cannot be opened") + systemError(file.error);
    case Why::CannotRead: return tr("it cannot be read") + systemError(file.error);
    case Why::NewerFormat: return tr("it was written by a newer Norvane (format %1)").arg(number(file.at));
    }
    return {};
}

} // namespace

QString undoRefusal(const norvane::Journal::UndoResult& result) {
    using Kind = norvane::Journal::Refusal::Kind;
    if (!result.refusal) return {};
    const QString folder = toDisplayText(result.folder), error = systemError(result.refusal->error);
    switch (result.refusal->kind) {
    case Kind::NotKept: return tr("That batch is no longer in the journal.");
    case Kind::HeldElsewhere: return tr("Another Norvane window is working on the latest batch (in \"%1\"); try again when it is done.").arg(folder);
    case Kind::FolderAway:
        return tr("The latest batch renamed files in \"%1\", which cannot be reached now%2. Ctrl+Z tries again once it is back.").arg(folder, error);
    case Kind::OtherFolder: return tr("The folder at \"%1\" is not the one the latest batch renamed files in; the batch is kept.").arg(folder);
    case Kind::NothingFound: return tr("No file of the latest batch is in \"%1\" under either name; the batch is kept.").arg(folder);
    case Kind::CannotRecordEnd: return tr("No file was put back: the journal cannot record the undo%1.").arg(error);
    case Kind::Unreadable: return tr("The latest batch (in \"%1\") cannot be taken back: its journal file cannot be read%2.").arg(folder, error);
    case Kind::NoJournal: return tr("There is no journal to take a batch back from.");
    }
    return {};
}

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
            text += QStringLiteral("\n- \"") + toDisplayText(file.file) + QStringLiteral("\": ") + setAsideReason(file) +
                    QLatin1Char('.');
        parts << text;
    }
    return parts.join(QStringLiteral("\n\n"));
}
