// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sentences/system_errors.h"

#include "engine_text.h"

#include <QCoreApplication>

// The catalogue's context for these sentences.
class SystemErrors {
    Q_DECLARE_TR_FUNCTIONS(SystemErrors)
};

namespace sentences {

namespace {

using Reason = norvane::platform::SystemError::Reason;

QString reasonText(const norvane::platform::SystemError& error) {
    switch (error.reason) {
    case Reason::System: break;
    case Reason::NoStateFolder: return SystemErrors::tr("there is no folder for it: neither XDG_STATE_HOME nor HOME names one");
    case Reason::FolderNotOwned: return SystemErrors::tr("the folder belongs to another user");
    case Reason::OthersCanWrite: return SystemErrors::tr("others can write to the folder");
    case Reason::NotEnoughMemory: return SystemErrors::tr("there is not enough memory to read it");
    case Reason::HeldByAnotherNorvane: return SystemErrors::tr("another Norvane holds it");
    case Reason::JournalNotWritable: return SystemErrors::tr("the journal's folder cannot be written to");
    case Reason::CutPastSize: return SystemErrors::tr("a file is cut only to a size it has");
    case Reason::NotARegularFile: return SystemErrors::tr("it is not a regular file");
    case Reason::ChangedWhileCopied:
        return SystemErrors::tr("the file changed while it was being copied; it was left where it was");
    case Reason::NoTemporaryName:
        return SystemErrors::tr("every temporary name for the change of letter case is taken (\"%1\" to \"%2\")")
            .arg(toDisplayText(error.first), toDisplayText(error.last));
    }
    // The system's own words, where it has any; the number alone where it has none.
    if (error.description.empty()) return SystemErrors::tr("error %1").arg(error.number);
    if (error.number == 0) return toDisplayText(error.description);
    return SystemErrors::tr("error %1: %2").arg(error.number).arg(toDisplayText(error.description));
}

} // namespace

QString errorText(const norvane::platform::SystemError& error) {
    QString text = reasonText(error);
    if (!error.leftAs.empty()) text += SystemErrors::tr("; the file is left as \"%1\"").arg(toDisplayText(error.leftAs));
    return text;
}

QString systemError(const std::optional<norvane::platform::SystemError>& error) {
    if (!error) return {};
    return SystemErrors::tr(" (%1)").arg(errorText(*error));
}

} // namespace sentences
