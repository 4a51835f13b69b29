// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Moves that never replace anything, and across volumes a copy whose source
// goes only once the copy is complete and the source unchanged.

#include "platform/windows/windows.h"
#include "platform/copying_hook.h"

#include "platform/windows/windows_path.h"


namespace norvane::platform {

namespace windows {

namespace {

SystemError changedWhileCopied() {
    return SystemError{ERROR_BUSY, {}, SystemError::Reason::ChangedWhileCopied};
}

// A file written to in place keeps its identity but not its size or last write time.
bool unchanged(const BY_HANDLE_FILE_INFORMATION& before, const BY_HANDLE_FILE_INFORMATION& now) {
    return sameFile(before, now) && before.nFileSizeHigh == now.nFileSizeHigh && before.nFileSizeLow == now.nFileSizeLow &&
           ::CompareFileTime(&before.ftLastWriteTime, &now.ftLastWriteTime) == 0;
}

// Deletes the file at path only if it is still `expected` (and, for a source,
// unchanged). One handle both looks and deletes, so a file that takes the name
// meanwhile is never touched. A move takes a read-only file along: the flag is
// lifted for the delete, through a second handle to the same file, and put
// back if the delete fails.
std::optional<SystemError> deleteIfSame(const std::wstring& path, const std::optional<BY_HANDLE_FILE_INFORMATION>& expected,
                                        bool unchangedToo) {
    constexpr DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    constexpr DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    const HANDLE opened = ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_EXISTING, flags, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return lastError();
    const Handle handle(opened);
    BY_HANDLE_FILE_INFORMATION now{};
    if (!::GetFileInformationByHandle(opened, &now)) return lastError();
    if (!expected || !(unchangedToo ? unchanged(*expected, now) : sameFile(*expected, now))) return changedWhileCopied();

    Handle attributes;
    FILE_BASIC_INFO basic{}; // zero times: left as they are
    if (now.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        const HANDLE reopened = ::ReOpenFile(opened, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, share, flags);
        if (reopened == INVALID_HANDLE_VALUE) return lastError();
        attributes.reset(reopened);
        basic.FileAttributes = now.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (!::SetFileInformationByHandle(reopened, FileBasicInfo, &basic, sizeof basic)) return lastError();
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (::SetFileInformationByHandle(opened, FileDispositionInfo, &disposition, sizeof disposition)) return std::nullopt;
    const SystemError error = lastError();
    if (attributes) {
        basic.FileAttributes = now.dwFileAttributes;
        ::SetFileInformationByHandle(attributes.get(), FileBasicInfo, &basic, sizeof basic);
    }
    return error;
}

// Learns, from the handle the copy writes through, which file it made.
DWORD CALLBACK recordCopy(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE made,
                          LPVOID data) {
    auto& copy = *static_cast<std::optional<BY_HANDLE_FILE_INFORMATION>*>(data);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!copy && ::GetFileInformationByHandle(made, &information)) copy = information;
    return PROGRESS_CONTINUE;
}

// MOVEFILE_COPY_ALLOWED would report success while leaving the source behind
// when it cannot delete it, and leave its copy behind when it fails. Here the
// copy is made only where nothing is, it is deleted only when this copy made
// it, and the source goes only once the copy is complete and only if it did not
// change meanwhile (a program saving over it, or writing to it). A symbolic
// link is copied as the link, not as what it points to.
std::optional<SystemError> moveAcrossVolumes(const std::string& source, const std::wstring& from, const std::wstring& to,
                                             const std::optional<BY_HANDLE_FILE_INFORMATION>& original) {
    std::optional<BY_HANDLE_FILE_INFORMATION> copy;
    const bool copied =
        ::CopyFileExW(from.c_str(), to.c_str(), recordCopy, &copy, nullptr, COPY_FILE_FAIL_IF_EXISTS | COPY_FILE_COPY_SYMLINK);
    std::optional<SystemError> failure;
    if (!copied) failure = lastError();
    // Wine's copy reports no progress: its copy is then known as what is there
    // right after it was made, and a failed one, not known to be ours, stays.
    if (copied && !copy) copy = informationOf(to);
    copyingDone(source);
    if (!failure) failure = deleteIfSame(from, original, true);
    if (failure && copy) deleteIfSame(to, copy, false); // keep one copy only: the original
    return failure;
}

// A name ending in a dot or a space, or named like a device, is a name the
// `\\?\` form moves to as it is: an undo puts a file back under such a name.
// The batch's check keeps new names to what Windows programs can open.
bool unnameable(const std::wstring& path) {
    const std::wstring_view name = lastComponent(path);
    return windows_path::unnameable({reinterpret_cast<const char16_t*>(name.data()), name.size()});
}

} // namespace

std::optional<SystemError> moveNoReplace(const std::string& source, const std::string& destination) {
    const std::optional<std::wstring> from = systemPath(source);
    if (!from) return unusablePath(source);
    const std::optional<std::wstring> to = systemPath(destination);
    if (!to) return unusablePath(destination);
    if (unnameable(*to)) return errorOf(ERROR_INVALID_NAME);
    if (*from == *to) return errorOf(ERROR_ALREADY_EXISTS);
    const auto original = informationOf(*from);
    // Another name of the same file (a hard link) is an existing destination.
    if (sameFile(original, informationOf(*to)) && ::CompareStringOrdinal(from->c_str(), -1, to->c_str(), -1, TRUE) != CSTR_EQUAL)
        return errorOf(ERROR_ALREADY_EXISTS);
    // No MOVEFILE_REPLACE_EXISTING: an existing destination is refused by the system itself.
    if (::MoveFileExW(from->c_str(), to->c_str(), 0)) return std::nullopt;
    if (::GetLastError() != ERROR_NOT_SAME_DEVICE) return lastError();
    return moveAcrossVolumes(source, *from, *to, original);
}

} // namespace windows

} // namespace norvane::platform
