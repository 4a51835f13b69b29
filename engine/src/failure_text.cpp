#include "norvane/rename_run.h"

namespace norvane {

namespace {

std::string quoted(std::string_view text) {
    std::string result = "\"";
    result.append(text);
    result += '"';
    return result;
}

std::string fileCount(std::size_t n) { return n == 1 ? "1 file was" : std::to_string(n) + " files were"; }

std::string systemError(const std::optional<platform::SystemError>& error) {
    if (!error) return {};
    return " (error " + std::to_string(error->number) + ": " + error->description + ")";
}

std::string reason(const RenameFailure& failure) {
    using Kind = RenameFailure::Kind;
    switch (failure.kind) {
    case Kind::MissingPart:
        return "the name has no part " + std::to_string(failure.missingPart) +
               " (parts are counted from 0, one at each \".\")";
    case Kind::EmptyName: return "the new name would be empty";
    case Kind::InvalidName:
        if (failure.error) return "the file system cannot take that name" + systemError(failure.error);
        return "the new name holds a NUL byte, which no file name may hold";
    case Kind::NameTooLong: return "the new name is too long for the file system" + systemError(failure.error);
    case Kind::NoPermission:
        return "there is no permission to look at " + quoted(failure.destination) + systemError(failure.error);
    case Kind::TooManyLinks:
        return "the way to " + quoted(failure.destination) + " leads through too many symbolic links" +
               systemError(failure.error);
    case Kind::CannotCheck:
        return "the system cannot say whether " + quoted(failure.destination) + " is free" + systemError(failure.error);
    case Kind::DuplicateName:
        return "file " + std::to_string(failure.otherPosition + 1) + ", " + quoted(failure.otherName) +
               ", would get the same name";
    case Kind::NameTaken: return quoted(failure.destination) + " already exists";
    case Kind::FolderMissing:
        return "the folder it names is not there" + systemError(failure.error);
    case Kind::SourceGone: return "it is no longer in the folder under that name" + systemError(failure.error);
    case Kind::MoveRefused: return "the move was refused" + systemError(failure.error);
    case Kind::RefreshFailed: return {};
    }
    return {};
}

} // namespace

std::string describe(const RenameFailure& failure) {
    if (failure.kind == RenameFailure::Kind::RefreshFailed) {
        if (failure.renamed == 0)
            return "Cannot read the folder " + quoted(failure.name) + systemError(failure.error) + ". No file was renamed.";
        return "All files were renamed (" + std::to_string(failure.renamed) + "), but the folder " +
               quoted(failure.name) + " could not be listed again" + systemError(failure.error) + ".";
    }
    std::string text = "Cannot rename " + quoted(failure.name) + " (file " + std::to_string(failure.position + 1) +
                       " of " + std::to_string(failure.count) + ")";
    if (failure.newName) text += " to " + quoted(*failure.newName);
    text += ": " + reason(failure) + ". ";
    if (failure.beforeAnyMove())
        text += "No file was renamed.";
    else
        text += fileCount(failure.renamed) + " renamed before it; it and the files after it keep their names.";
    return text;
}

} // namespace norvane
