// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sentences/journal_reports.h"

#include "engine_text.h"
#include "message_box.h"
#include "sentences/system_errors.h"
#include "sentences/undo_outcomes.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <functional>

// The catalogue's context for these sentences.
class JournalReports {
    Q_DECLARE_TR_FUNCTIONS(JournalReports)
};

namespace {

using norvane::Journal;

QString number(std::uint64_t n) { return QLocale().toString(static_cast<qulonglong>(n)); }
int count(std::uint64_t n) { return static_cast<int>(n); }

bool canGoBack(const Journal::Interrupted& batch) {
    return !batch.waiting && batch.state == Journal::Batch::State::Ready && batch.renamed > 0;
}

QString interruptedLine(const Journal::Interrupted& batch) {
    const QString what = toDisplayText(batch.what), folder = toDisplayText(batch.folder);
    Journal::Batch state;
    state.state = batch.state;
    state.error = batch.error;
    if (batch.waiting)
        return JournalReports::tr("\"%1\" in \"%2\", a batch of %Ln files: %3; how far it got is told once it is back.", nullptr, count(batch.planned))
            .arg(what, folder, undo_text::whyNot(state));
    QString line = batch.undoing
                       ? JournalReports::tr("Taking back \"%1\" in \"%2\": %3 of %Ln files had their names back, %4 still to go.", nullptr, count(batch.planned))
                             .arg(what, folder, number(batch.restored), number(batch.renamed))
                       : JournalReports::tr("\"%1\" in \"%2\": %3 of %Ln files were renamed.", nullptr, count(batch.planned)).arg(what, folder, number(batch.renamed));
    if (batch.missing > 0)
        line += QLatin1Char(' ') + JournalReports::tr("%Ln of them are under neither name now and are named when it is taken back.", nullptr, count(batch.missing));
    if (!batch.neitherFrom.empty())
        line += QLatin1Char(' ') + JournalReports::tr("\"%1\", the file it was renaming when it stopped, is under neither that name nor \"%2\".")
                                       .arg(toDisplayText(batch.neitherFrom), toDisplayText(batch.neitherTo));
    if (batch.state != Journal::Batch::State::Ready) line += QLatin1Char(' ') + JournalReports::tr("It cannot be taken back now: %1.").arg(undo_text::whyNot(state));
    return line;
}

QString setAsideReason(const Journal::SetAside& file) {
    using Why = Journal::SetAside::Why;
    const QString error = sentences::systemError(file.error);
    switch (file.why) {
    case Why::NotAJournal: return JournalReports::tr("it does not begin as a journal's file does");
    case Why::Damaged: return JournalReports::tr("it is damaged from byte %1 on, before its plan").arg(number(file.at));
    case Why::TooLarge: return JournalReports::tr("it holds %1 bytes, more than any batch writes").arg(number(file.at));
    case Why::CannotOpen: return JournalReports::tr("it cannot be opened%1").arg(error);
    case Why::CannotRead: return JournalReports::tr("it cannot be read%1").arg(error);
    case Why::NewerFormat: return JournalReports::tr("a newer Norvane wrote it (format %1), and it is kept for that one").arg(number(file.at));
    }
    return {};
}

QString folderProblem(const Journal::FolderProblem& problem) {
    using Why = Journal::FolderProblem::Why;
    const QString folder = toDisplayText(problem.folder);
    switch (problem.why) {
    case Why::NoFolder:
        return JournalReports::tr("Norvane has no folder for its journal (neither a home folder nor a state folder is set), so no batch can be "
                  "written down and none starts.");
    case Why::NotOwned:
        return JournalReports::tr("The journal's folder \"%1\" belongs to another user, so Norvane does not use it and no batch starts until it "
                  "is yours.")
            .arg(folder);
    case Why::OthersCanWrite:
        return JournalReports::tr("Others can change what the journal's folder \"%1\" holds, so Norvane does not use it and no batch starts until "
                  "only you can write to it.")
            .arg(folder);
    case Why::Unreadable:
        return JournalReports::tr("The journal's folder \"%1\" cannot be read%2, so no batch starts.").arg(folder, sentences::systemError(problem.error));
    }
    return {};
}

QString putBackCaption() { return JournalReports::tr("Put Them Back"); }

} // namespace

JournalReport journalReport(const Journal::Opening& opening, const std::optional<std::string>& journalFolder) {
    JournalReport report;
    QStringList parts;
    if (opening.folderProblem) parts << folderProblem(*opening.folderProblem);
    if (!opening.interrupted.empty()) {
        QString text = opening.interrupted.size() > 1 ? JournalReports::tr("Norvane stopped before these batches were done:")
                       : opening.interrupted.front().undoing ? JournalReports::tr("Norvane stopped before an undo was done:")
                                                             : JournalReports::tr("Norvane stopped before a batch was done:");
        for (const auto& batch : opening.interrupted) {
            text += QStringLiteral("\n- ") + interruptedLine(batch);
            if (canGoBack(batch)) {
                report.offersPutBack = true;
                report.sequences.push_back(batch.sequence);
            }
        }
        text += QLatin1Char('\n') + JournalReports::tr("Nothing was moved since.") + QLatin1Char(' ');
        const bool anyHeldBack = std::any_of(opening.interrupted.begin(), opening.interrupted.end(), [](const Journal::Interrupted& batch) {
            return batch.waiting || batch.state != Journal::Batch::State::Ready;
        });
        if (report.offersPutBack)
            text += JournalReports::tr("\"%1\" puts the renamed files back now, the latest batch first. \"Keep Them Renamed\" leaves them as "
                       "they are; later, \"Undo Rename\" in the file list's menu or Ctrl+Z in the file list puts them back.")
                        .arg(putBackCaption());
        else if (anyHeldBack)
            text += JournalReports::tr("Once its folder is back, \"Undo Rename\" in the file list's menu or Ctrl+Z in the file list puts the files "
                       "back; \"Undo History\" (Ctrl+H) shows every batch.");
        else
            text.chop(1); // nothing to take back now or later
        parts << text;
    }
    if (!opening.setAside.empty()) {
        const QString folder = toDisplayText(journalFolder.value_or(std::string()));
        QString text = JournalReports::tr("These files of the journal in \"%1\" cannot be used and are not offered for undo:").arg(folder);
        for (const auto& file : opening.setAside)
            text += QStringLiteral("\n- \"") + toDisplayText(file.file) + QStringLiteral("\": ") + setAsideReason(file) +
                    QStringLiteral("; ") + (file.left ? JournalReports::tr("it was left where it is.") : JournalReports::tr("it was set aside in \"set-aside\"."));
        parts << text;
    }
    // The latest first, as Ctrl+Z would take them.
    std::sort(report.sequences.begin(), report.sequences.end(), std::greater<>());
    report.text = parts.join(QStringLiteral("\n\n"));
    return report;
}

bool askAfterCrash(QWidget* parent, const JournalReport& report) {
    if (report.text.isEmpty()) return false;
    if (!report.offersPutBack) {
        showMessage(parent, report.text);
        return false;
    }
    return askMessage(parent, report.text, putBackCaption(), JournalReports::tr("Keep Them Renamed"));
}

QString journalUnreadable(const char* why) {
    return JournalReports::tr("The journal could not be read: %1.").arg(toDisplayText(why));
}
