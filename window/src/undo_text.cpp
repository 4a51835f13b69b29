// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "undo_text.h"

#include "engine_text.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>

namespace undo_text {

namespace {

QString tr(const char* text, int n = -1) { return QCoreApplication::translate("UndoText", text, nullptr, n); }

QString inQuotes(std::string_view text) { return QLatin1Char('"') + toDisplayText(text) + QLatin1Char('"'); }

// Where numbers are handed out afresh (memory cards, shares) a file is known by what the system keeps of it.
QString reason(const norvane::UndoProblem& problem) {
    using Kind = norvane::RenameFailure::Kind;
    switch (problem.kind) {
    case Kind::SourceGone: return tr("it was moved or deleted since%1").arg(systemError(problem.error));
    case Kind::SourceReplaced: return tr("another file has taken its name since");
    case Kind::SourceChanged:
        return tr("it is not the file as it was renamed: it was changed since, or another file has taken its name");
    case Kind::IdentityUnknown: return tr("the system cannot tell whether it is the file that was renamed");
    case Kind::NameTaken: return tr("%1 is taken by another file").arg(inQuotes(problem.oldName));
    case Kind::BlockedByAnother:
        return tr("%1 is still held by %2, which cannot go back either").arg(inQuotes(problem.oldName), inQuotes(problem.heldBy));
    case Kind::InvalidName:
    case Kind::NameNotHeld: return tr("the file system cannot take the name %1%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    case Kind::NameTooLong: return tr("%1 is too long for the file system%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    case Kind::NoPermission: return tr("there is no permission to look at %1%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    case Kind::FolderMissing: return tr("the folder %1 goes back into is not there%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    case Kind::CannotCheck: return tr("the system cannot say whether %1 is free%2").arg(inQuotes(problem.oldName), systemError(problem.error));
    default: break;
    }
    return tr("the move was refused%1").arg(systemError(problem.error));
}

} // namespace

QString shortFolder(const std::string& folder) {
    const QString shown = toDisplayText(folder);
    const QString name = QFileInfo(shown).fileName();
    return name.isEmpty() ? shown : name;
}

QString systemError(const std::optional<norvane::platform::SystemError>& error) {
    if (!error) return {};
    return tr(" (error %1: %2)").arg(error->number).arg(toDisplayText(error->description));
}

QString menuItem(const std::string& folder, std::uint64_t files) {
    if (files == 0) return tr("Undo Rename");
    return tr("Undo Rename (%Ln files in %1)", static_cast<int>(files)).arg(shortFolder(folder));
}

QString preview(const std::string& what, const std::string& folder, std::uint64_t files) {
    return tr("Puts back the names of the %Ln files \"%1\" renamed in \"%2\".", static_cast<int>(files))
        .arg(toDisplayText(what), toDisplayText(folder));
}

QString outcome(const norvane::UndoOutcome& outcome) {
    const QString folder = toDisplayText(outcome.folder);
    if (outcome.notJournaled)
        return tr("No file in \"%1\" was put back: the journal that keeps the way back could not be written%2. Another undo "
                  "tries again.")
            .arg(folder, systemError(outcome.notJournaled));
    if (outcome.folderReplaced)
        return tr("No file was put back: \"%1\" is no longer the folder the files were renamed in (it was moved or replaced, "
                  "or a link to it now leads elsewhere). Another undo tries again once it is back.")
            .arg(folder);
    const std::size_t tried = outcome.restored + outcome.leftAlone.size() + outcome.remaining.size();
    const QLocale locale;
    QString text = outcome.restored == tried
                       ? tr("All %Ln files in \"%1\" got their names back.", static_cast<int>(tried)).arg(folder)
                       : tr("%1 of %Ln files in \"%2\" got their names back.", static_cast<int>(tried))
                             .arg(locale.toString(static_cast<qulonglong>(outcome.restored)), folder);
    constexpr std::size_t listed = 10;
    if (!outcome.leftAlone.empty()) text += QLatin1Char(' ') + tr("These stay as they are:");
    for (std::size_t i = 0; i < outcome.leftAlone.size() && i < listed; ++i)
        text += QStringLiteral("\n- ") + inQuotes(outcome.leftAlone[i].name) + QStringLiteral(": ") + reason(outcome.leftAlone[i]) +
                QLatin1Char('.');
    if (outcome.leftAlone.size() > listed)
        text += QStringLiteral("\n- ") + tr("and %Ln more.", static_cast<int>(outcome.leftAlone.size() - listed));
    const int remaining = static_cast<int>(outcome.remaining.size());
    if (outcome.stoppedAt)
        text += QLatin1Char('\n') + tr("The undo stopped at %1: %2.").arg(inQuotes(outcome.stoppedAt->name), reason(*outcome.stoppedAt)) +
                QLatin1Char(' ') + tr("%Ln files were not put back yet; another undo tries again.", remaining);
    else if (outcome.cancelled)
        text += QLatin1Char('\n') +
                tr("The undo was cancelled: %Ln files were not put back yet; another undo takes them back.", remaining);
    return text;
}

} // namespace undo_text
