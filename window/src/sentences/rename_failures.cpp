// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sentences/rename_failures.h"

#include "engine_text.h"
#include "tooltip_text.h"
#include "sentences/system_errors.h"

#include <QCoreApplication>
#include <QLocale>

// The catalogue's context for these sentences.
class RenameFailures {
    Q_DECLARE_TR_FUNCTIONS(RenameFailures)
};

namespace sentences {

namespace {

using Kind = norvane::RenameFailure::Kind;

QString quoted(std::string_view text) { return QLatin1Char('"') + toDisplayText(text) + QLatin1Char('"'); }
QString number(std::size_t n) { return QLocale().toString(static_cast<qulonglong>(n)); }
int count(std::size_t n) { return static_cast<int>(n); }

QString notHeld(const std::optional<norvane::platform::NotHeld>& why) {
    using Why = norvane::platform::NotHeld::Why;
    switch (why ? why->why : Why::DeviceName) {
    case Why::NotText: return RenameFailures::tr("its bytes are not UTF-8 text, and names there are kept as text");
    case Why::TooLong: return RenameFailures::tr("it is longer than 255 characters");
    case Why::EndsWithDot: return RenameFailures::tr("it ends with a dot");
    case Why::EndsWithSpace: return RenameFailures::tr("it ends with a space");
    case Why::ControlCharacter: return RenameFailures::tr("it holds a control character");
    case Why::ReservedCharacter: return RenameFailures::tr("it holds \"%1\"").arg(QLatin1Char(why->character));
    case Why::DeviceName: break;
    }
    return RenameFailures::tr("it is the name of a device");
}

// The first sentence of a failure: the file, its position, its new name and the reason.
QString cannotRename(const norvane::RenameFailure& failure) {
    const QString reason = failureReason(failure);
    if (failure.newName)
        return RenameFailures::tr("Cannot rename %1 (file %2 of %3) to %4: %5.")
            .arg(quoted(failure.name), number(failure.position + 1), number(failure.count), quoted(*failure.newName), reason);
    return RenameFailures::tr("Cannot rename %1 (file %2 of %3): %4.")
        .arg(quoted(failure.name), number(failure.position + 1), number(failure.count), reason);
}

} // namespace

QString failureReason(const norvane::RenameFailure& failure) {
    const QString error = systemError(failure.error), destination = quoted(failure.destination);
    switch (failure.kind) {
    case Kind::MissingPart:
        return RenameFailures::tr("the name has no part %1 (parts are counted from 0, one at each \".\")").arg(failure.missingPart);
    case Kind::EmptyName: return RenameFailures::tr("the new name would be empty");
    case Kind::InvalidName:
        if (failure.error) return RenameFailures::tr("the file system cannot take that name%1").arg(error);
        return RenameFailures::tr("the new name holds a NUL byte, which no file name may hold");
    case Kind::NameNotHeld:
        return RenameFailures::tr("the file system it would go to cannot hold that name: %1").arg(notHeld(failure.notHeld));
    case Kind::NameTooLong: return RenameFailures::tr("the new name is too long for the file system%1").arg(error);
    case Kind::NoPermission: return RenameFailures::tr("there is no permission to look at %1%2").arg(destination, error);
    case Kind::TooManyLinks:
        return RenameFailures::tr("the way to %1 leads through too many symbolic links%2").arg(destination, error);
    case Kind::CannotCheck: return RenameFailures::tr("the system cannot say whether %1 is free%2").arg(destination, error);
    case Kind::DuplicateName:
        return RenameFailures::tr("file %1, %2, would get the same name").arg(number(failure.otherPosition + 1), quoted(failure.otherName));
    case Kind::NameTaken:
        if (!failure.detail.empty())
            return RenameFailures::tr("%1 already holds that name in a folder where letter case does not count").arg(quoted(failure.detail));
        return RenameFailures::tr("%1 already exists").arg(destination);
    case Kind::FolderMissing: return RenameFailures::tr("the folder it names is not there%1").arg(error);
    case Kind::SourceGone: return RenameFailures::tr("it is no longer in the folder under that name%1").arg(error);
    case Kind::SourceReplaced: return RenameFailures::tr("another file has taken its name since");
    // Where numbers are handed out afresh (memory cards, shares) a file is known by its size and last write alone.
    case Kind::SourceChanged:
        return RenameFailures::tr("it is not the file as it was renamed: it was changed since, or another file has taken its name "
                                  "(on this file system a file is known by its size and time)");
    case Kind::IdentityUnknown: return RenameFailures::tr("the system cannot tell whether it is the file that was renamed");
    case Kind::BlockedByAnother: return RenameFailures::tr("%1 is held by a file that cannot move").arg(destination);
    case Kind::MoveRefused:
    case Kind::Cancelled:
    case Kind::JournalUnwritable:
    case Kind::RefreshFailed: break;
    }
    return RenameFailures::tr("the move was refused%1").arg(error);
}

QString renameFailure(const norvane::RenameFailure& failure) {
    const QString error = systemError(failure.error);
    const int renamed = count(failure.renamed);
    switch (failure.kind) {
    case Kind::Cancelled:
        if (renamed == 0) return RenameFailures::tr("Cancelled before any file was renamed.");
        return RenameFailures::tr("Cancelled: %Ln files were renamed; the others keep their names.", nullptr, renamed);
    case Kind::JournalUnwritable:
        // With no folder to name, none is named.
        if (failure.destination.empty())
            return RenameFailures::tr("No file was renamed: Norvane writes every batch down before its first move, so that it can "
                                      "be taken back even after a crash, and there is no folder to keep its journal in%1.")
                .arg(error);
        return RenameFailures::tr("No file was renamed: Norvane writes every batch down before its first move, so that it can be "
                                  "taken back even after a crash, and its journal in %1 could not be written%2.")
            .arg(quoted(failure.destination), error);
    case Kind::RefreshFailed:
        if (renamed == 0) return RenameFailures::tr("Cannot read the folder %1%2. No file was renamed.").arg(quoted(failure.name), error);
        return RenameFailures::tr("%Ln files were renamed, but the folder %1 could not be listed again%2.", nullptr, renamed)
            .arg(quoted(failure.name), error);
    default: break;
    }
    if (failure.beforeAnyMove()) return cannotRename(failure) + QLatin1Char(' ') + RenameFailures::tr("No file was renamed.");
    return cannotRename(failure) + QLatin1Char(' ') +
           RenameFailures::tr("%Ln files were renamed before it; it and the files after it keep their names.", nullptr, renamed);
}

QString preview(const norvane::Preview& preview, Qt::LayoutDirection direction) {
    if (preview.refusal) return RenameFailures::tr("Would stop before moving anything: %1").arg(cannotRename(*preview.refusal));
    if (preview.renamed == 0) return RenameFailures::tr("Would rename no file: every listed file keeps its name.");
    QString text = RenameFailures::tr("Would rename %Ln files and leave %1 alone:", nullptr, count(preview.renamed))
                       .arg(number(preview.leftAlone));
    // The names as they are: an arrow between, nothing to translate.
    for (const auto& [name, newName] : preview.first)
        text += QLatin1Char('\n') + inOwnOrder(toDisplayText(name), direction) + QStringLiteral(" -> ") +
                inOwnOrder(toDisplayText(newName), direction);
    if (preview.renamed > preview.first.size())
        text += QLatin1Char('\n') + RenameFailures::tr("and %Ln more", nullptr, count(preview.renamed - preview.first.size()));
    return text;
}

QString renamedFiles(std::size_t files) {
    if (files == 0) return RenameFailures::tr("Renamed no files.");
    return RenameFailures::tr("Renamed %Ln files.", nullptr, count(files));
}

} // namespace sentences
