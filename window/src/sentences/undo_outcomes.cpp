// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sentences/undo_outcomes.h"

#include "engine_text.h"
#include "sentences/rename_failures.h"
#include "sentences/system_errors.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

// The catalogue's context for these sentences.
class UndoText {
    Q_DECLARE_TR_FUNCTIONS(UndoText)
};

namespace undo_text {

namespace {

using sentences::systemError;

QString inQuotes(std::string_view text) { return QLatin1Char('"') + toDisplayText(text) + QLatin1Char('"'); }

// Where numbers are handed out afresh (memory cards, shares) a file is known by what the system keeps of it.
QString reason(const norvane::UndoProblem& problem) {
    using Kind = norvane::RenameFailure::Kind;
    switch (problem.kind) {
    case Kind::SourceGone: return UndoText::tr("it was moved or deleted since%1").arg(systemError(problem.error));
    case Kind::SourceReplaced:
    case Kind::SourceChanged:
    case Kind::IdentityUnknown: {
        // Said as a run's failure says it.
        norvane::RenameFailure failure;
        failure.kind = problem.kind;
        return sentences::failureReason(failure);
    }
    case Kind::NameTaken: return UndoText::tr("%1 is taken by another file").arg(inQuotes(problem.oldName));
    case Kind::BlockedByAnother:
        return UndoText::tr("%1 is still held by %2, which cannot go back either").arg(inQuotes(problem.oldName), inQuotes(problem.heldBy));
    case Kind::InvalidName:
    case Kind::NameNotHeld: return UndoText::tr("the file system cannot take the name %1%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    case Kind::NameTooLong: return UndoText::tr("%1 is too long for the file system%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    case Kind::NoPermission: return UndoText::tr("there is no permission to look at %1%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    case Kind::FolderMissing: return UndoText::tr("the folder %1 goes back into is not there%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    case Kind::CannotCheck: return UndoText::tr("the system cannot say whether %1 is free%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    default: break;
    }
    return UndoText::tr("the move was refused%1").arg(systemError(problem.error));
}

} // namespace

QString shortFolder(const std::string& folder) {
    const QString shown = toDisplayText(folder);
    const QString name = QFileInfo(shown).fileName();
    return name.isEmpty() ? shown : name;
}

QString menuItem(const std::string& folder, std::uint64_t files) {
    if (files == 0) return UndoText::tr("Undo Rename");
    return UndoText::tr("Undo Rename (%Ln files in %1)", nullptr, static_cast<int>(files)).arg(shortFolder(folder));
}

QString preview(const std::string& what, const std::string& folder, std::uint64_t files) {
    return UndoText::tr("Puts back the names of the %Ln files \"%1\" renamed in \"%2\".", nullptr, static_cast<int>(files))
        .arg(toDisplayText(what), toDisplayText(folder));
}

QString outcome(const norvane::UndoOutcome& outcome) {
    const QString folder = toDisplayText(outcome.folder);
    if (outcome.notJournaled)
        return UndoText::tr("No file in \"%1\" was put back: the journal that keeps the way back could not be written%2. Another undo "
                  "tries again.")
            .arg(folder, systemError(outcome.notJournaled));
    if (outcome.folderReplaced)
        return UndoText::tr("No file was put back: \"%1\" is no longer the folder the files were renamed in (it was moved or replaced, "
                  "or a link to it now leads elsewhere). Another undo tries again once it is back.")
            .arg(folder);
    const std::size_t tried = outcome.restored + outcome.leftAlone.size() + outcome.remaining.size();
    const QLocale locale;
    QString text = outcome.restored == tried
                       ? UndoText::tr("All %Ln files in \"%1\" got their names back.", nullptr, static_cast<int>(tried)).arg(folder)
                       : UndoText::tr("%1 of %Ln files in \"%2\" got their names back.", nullptr, static_cast<int>(tried))
                             .arg(locale.toString(static_cast<qulonglong>(outcome.restored)), folder);
    constexpr std::size_t listed = 10;
    if (!outcome.leftAlone.empty()) text += QLatin1Char(' ') + UndoText::tr("These stay as they are:");
    for (std::size_t i = 0; i < outcome.leftAlone.size() && i < listed; ++i)
        text += QStringLiteral("\n- ") + inQuotes(outcome.leftAlone[i].name) + QStringLiteral(": ") + reason(outcome.leftAlone[i]) +
                QLatin1Char('.');
    if (outcome.leftAlone.size() > listed)
        text += QStringLiteral("\n- ") + UndoText::tr("and %Ln more.", nullptr, static_cast<int>(outcome.leftAlone.size() - listed));
    const int remaining = static_cast<int>(outcome.remaining.size());
    if (outcome.stoppedAt)
        text += QLatin1Char('\n') + UndoText::tr("The undo stopped at %1: %2.").arg(inQuotes(outcome.stoppedAt->name), reason(*outcome.stoppedAt)) +
                QLatin1Char(' ') + UndoText::tr("%Ln files were not put back yet; another undo tries again.", nullptr, remaining);
    else if (outcome.cancelled)
        text += QLatin1Char('\n') +
                UndoText::tr("The undo was cancelled: %Ln files were not put back yet; another undo takes them back.", nullptr, remaining);
    return text;
}

QString whyNot(const norvane::Journal::Batch& batch) {
    using State = norvane::Journal::Batch::State;
    const QString error = systemError(batch.error);
    switch (batch.state) {
    case State::Ready: return {};
    case State::FolderAway: return UndoText::tr("its folder cannot be reached now (a card out, a drive unplugged)%1; it waits for it").arg(error);
    case State::OtherFolder:
        return UndoText::tr("the folder at its path now is another one (another card, or a folder made again); it waits for its own");
    case State::NothingFound: return UndoText::tr("no file of it is in its folder under either name%1; it is kept until you give it up").arg(error);
    case State::HeldElsewhere: return UndoText::tr("another Norvane is working on it");
    case State::TakenBack: return UndoText::tr("it was taken back; it is kept until the folder holds the old names for sure");
    case State::Unreadable: return UndoText::tr("its file in the journal cannot be read now%1; it is left as it is").arg(error);
    }
    return {};
}

QString canGoBack(const norvane::Journal::Batch& batch) {
    if (batch.state == norvane::Journal::Batch::State::Ready) return UndoText::tr("yes");
    return UndoText::tr("no: %1").arg(whyNot(batch));
}

QString latestWaits(const norvane::Journal::Batch& batch) {
    return UndoText::tr("Nothing was moved. The latest batch, \"%1\" in \"%2\", cannot be taken back now: %3. Ctrl+Z takes no older "
              "batch before it; \"Undo History\" (Ctrl+H) in the file list's menu shows every batch and takes back any that can go "
              "back.")
        .arg(toDisplayText(batch.what), toDisplayText(batch.folder), whyNot(batch));
}

QString nothingToTakeBack() { return UndoText::tr("Nothing to take back: the journal keeps no batch now."); }

QString inFileList(const std::optional<norvane::Journal::Batch>& latest) {
    if (!latest) return UndoText::tr("Ctrl+Z in the file list has nothing to take back: the journal keeps no batch now.");
    if (latest->state != norvane::Journal::Batch::State::Ready)
        return UndoText::tr("Ctrl+Z in the file list cannot take back \"%1\" in %2 now: %3.")
            .arg(toDisplayText(latest->what), shortFolder(latest->folder), whyNot(*latest));
    return UndoText::tr("Ctrl+Z in the file list takes back \"%1\" in %2, %Ln files.", nullptr, static_cast<int>(latest->files))
        .arg(toDisplayText(latest->what), shortFolder(latest->folder));
}

QString result(const norvane::TakeBackResult& result) {
    if (result.outcome) return outcome(*result.outcome);
    if (!result.refusal) return {};
    using Kind = norvane::Journal::Refusal::Kind;
    const QString folder = toDisplayText(result.folder), error = systemError(result.refusal->error);
    switch (result.refusal->kind) {
    case Kind::NotKept:
        return UndoText::tr("Nothing was moved: that batch is no longer in the journal; another Norvane took it back or it was given up "
                  "meanwhile.");
    case Kind::HeldElsewhere:
        return UndoText::tr("Nothing was moved: another Norvane is working on the batch in \"%1\"; try again when it is done.").arg(folder);
    case Kind::FolderAway:
        return UndoText::tr("Nothing was moved: the folder \"%1\" cannot be reached now%2. The batch is kept and offered again once the "
                  "folder is back.")
            .arg(folder, error);
    case Kind::OtherFolder:
        return UndoText::tr("Nothing was moved: the folder at \"%1\" is not the one the batch renamed in (another card, or a folder made "
                  "again). The batch is kept and offered again once its own folder is back.")
            .arg(folder);
    case Kind::NothingFound:
        return UndoText::tr("Nothing was moved: no file of the batch is in \"%1\" under either name. The batch is kept; \"Undo History\" "
                  "can give it up.")
            .arg(folder);
    case Kind::CannotRecordEnd:
        return UndoText::tr("Nothing was moved in \"%1\": the journal could not write down the undo%2, and without that it would not be "
                  "safe. Another undo tries again.")
            .arg(folder, error);
    case Kind::Unreadable:
        return UndoText::tr("Nothing was moved in \"%1\": the journal's file of the batch cannot be read%2.").arg(folder, error);
    case Kind::NoJournal: return UndoText::tr("Nothing was moved: the journal has no folder it can use.");
    }
    return {};
}

QString when(std::int64_t startedAt) {
    return QLocale().toString(QDateTime::fromMSecsSinceEpoch(startedAt / 1000000), QLocale::ShortFormat);
}

} // namespace undo_text
