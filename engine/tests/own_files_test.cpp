// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program's own files: made exclusively, held by one process at a time
// (another process is refused at once, never kept waiting), the hold gone with
// a holder that is killed; and the folder they live in.

#include "platform/own_files.h"

#include "temp_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace norvane {
namespace {

using platform::OwnFile;
using platform::SystemError;
using testing::TempFolder;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What the other process saw, as its exit code.
enum Seen : int { Busy = 40, Held = 41, Failed = 42, Timeout = 43 }; // none a test program ends with

std::unique_ptr<OwnFile> opened(std::variant<std::unique_ptr<OwnFile>, SystemError> result) {
    if (const auto* error = std::get_if<SystemError>(&result)) {
        ADD_FAILURE() << error->description;
        return nullptr;
    }
    return std::move(std::get<std::unique_ptr<OwnFile>>(result));
}

std::string contentOf(OwnFile& file) {
    auto content = file.read();
    if (const auto* error = std::get_if<SystemError>(&content)) return "error: " + error->description;
    return std::get<std::string>(content);
}

// The other process's part: hold the file, then either end at once or keep
// it, saying so with a file of its own, until killed.
int otherHolder(const std::string& path, bool keep) {
    auto result = OwnFile::hold(path);
    if (const auto* error = std::get_if<SystemError>(&result)) return OwnFile::busy(*error) ? Busy : Failed;
    if (!keep) return Held;
    OwnFile::create(path + ".held");
    std::this_thread::sleep_for(60s);
    return Timeout;
}

#ifdef _WIN32
constexpr wchar_t holderVariable[] = L"NORVANE_TEST_OTHER_HOLDER"; // "try:PATH" or "keep:PATH"

// The test program started again as the other process does its part before any test runs.
[[maybe_unused]] const bool startedAsOtherHolder = [] {
    wchar_t value[32768];
    const DWORD length = ::GetEnvironmentVariableW(holderVariable, value, 32768);
    if (length == 0 || length >= 32768) return false;
    const std::string text = testing::toText(fs::path(std::wstring(value, length)));
    std::exit(otherHolder(text.substr(text.find(':') + 1), text.rfind("keep:", 0) == 0));
}();

class OtherProcess {
public:
    OtherProcess(const std::string& path, bool keep) {
        wchar_t program[MAX_PATH];
        ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        ::SetEnvironmentVariableW(holderVariable, testing::toPath((keep ? "keep:" : "try:") + path).c_str());
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION information{};
        if (::CreateProcessW(program, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &information)) {
            ::CloseHandle(information.hThread);
            process_ = information.hProcess;
        }
        ::SetEnvironmentVariableW(holderVariable, nullptr);
    }
    ~OtherProcess() {
        kill();
        if (process_ != nullptr) ::CloseHandle(process_);
    }
    bool started() const { return process_ != nullptr; }
    int exitCode() {
        DWORD code = Timeout;
        if (::WaitForSingleObject(process_, 10000) != WAIT_OBJECT_0) return Timeout;
        ::GetExitCodeProcess(process_, &code);
        return static_cast<int>(code);
    }
    void kill() {
        if (process_ != nullptr && ::TerminateProcess(process_, 9)) ::WaitForSingleObject(process_, 10000);
    }

private:
    HANDLE process_ = nullptr;
};
#else
class OtherProcess {
public:
    OtherProcess(const std::string& path, bool keep) : process_(::fork()) {
        if (process_ == 0) ::_exit(otherHolder(path, keep));
    }
    ~OtherProcess() { kill(); }
    bool started() const { return process_ > 0; }
    int exitCode() {
        for (auto waited = 0ms; waited < 10s; waited += 10ms) {
            int status = 0;
            if (::waitpid(process_, &status, WNOHANG) == process_) {
                process_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : Failed;
            }
            std::this_thread::sleep_for(10ms);
        }
        return Timeout;
    }
    void kill() {
        if (process_ <= 0) return;
        ::kill(process_, SIGKILL);
        ::waitpid(process_, nullptr, 0);
        process_ = -1;
    }

private:
    pid_t process_;
};
#endif

TEST(OwnFile, IsMadeOnlyWhereNoneIsAppendsCutsSyncsAndReadsBack) {
    TempFolder folder;
    folder.addFolder("sub");
    const std::string path = folder.pathOf("batch");
    auto file = opened(OwnFile::create(path));
    ASSERT_TRUE(file);
    const auto again = OwnFile::create(path);
    ASSERT_TRUE(std::holds_alternative<SystemError>(again));
    EXPECT_EQ(platform::errorKind(std::get<SystemError>(again)), platform::ErrorKind::Exists);

    for (const char* bytes : {"abc", "", "def"}) EXPECT_FALSE(file->append(bytes));
    EXPECT_FALSE(file->sync());
    EXPECT_EQ(contentOf(*file), "abcdef");
    EXPECT_FALSE(file->cut(3));
    EXPECT_FALSE(file->append("x"));
    EXPECT_FALSE(file->sync());
    file.reset();
    file = opened(OwnFile::hold(path));
    ASSERT_TRUE(file);
    EXPECT_EQ(contentOf(*file), "abcx");

    folder.addFile("other");
    const auto names = platform::fileNames(folder.text());
    ASSERT_TRUE(std::holds_alternative<std::vector<std::string>>(names));
    const auto& listed = std::get<std::vector<std::string>>(names);
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), (std::set<std::string>{"batch", "other"}));

    const std::optional<SystemError> refused = platform::renameOwnFile(path, folder.pathOf("other"));
    ASSERT_TRUE(refused);
    EXPECT_EQ(platform::errorKind(*refused), platform::ErrorKind::Exists);
    EXPECT_EQ(folder.contentOf("other"), "other");
    EXPECT_FALSE(platform::renameOwnFile(path, folder.pathOf("set aside")));
    EXPECT_EQ(contentOf(*file), "abcx") << "still held under its new name";
    file.reset();
    EXPECT_FALSE(platform::removeOwnFile(folder.pathOf("set aside")));
    EXPECT_EQ(folder.names(), (std::set<std::string>{"other", "sub"}));
}

TEST(OwnFile, IsHeldByOneProcessAtATimeUntilItsHolderIsKilled) {
    TempFolder folder;
    const std::string path = folder.pathOf("batch");
    auto mine = opened(OwnFile::create(path));
    ASSERT_TRUE(mine);
    {
        OtherProcess other(path, false);
        ASSERT_TRUE(other.started());
        EXPECT_EQ(other.exitCode(), Busy) << "refused at once while this process holds it";
    }
    mine.reset();

    OtherProcess holder(path, true);
    ASSERT_TRUE(holder.started());
    for (auto waited = 0ms; waited < 10s && !fs::exists(folder / "batch.held"); waited += 10ms) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fs::exists(folder / "batch.held"));
    auto refused = OwnFile::hold(path);
    ASSERT_TRUE(std::holds_alternative<SystemError>(refused));
    EXPECT_TRUE(OwnFile::busy(std::get<SystemError>(refused))) << std::get<SystemError>(refused).description;

    holder.kill();
    EXPECT_TRUE(opened(OwnFile::hold(path)));
}

TEST(OwnFolders, MakesMissingParentsPrivateAndRefusesAFileInTheWay) {
    TempFolder folder;
    const std::string deep = folder.pathOf("a") + testing::separator() + "b" + testing::separator() + "c";
    EXPECT_FALSE(platform::makeFolders(deep));
    EXPECT_FALSE(platform::makeFolders(deep)) << "one already there is fine";
    EXPECT_TRUE(fs::is_directory(testing::toPath(deep)));
#ifndef _WIN32
    for (const fs::path& made : {folder / "a", folder / "a" / "b", folder / "a" / "b" / "c"})
        EXPECT_EQ(fs::status(made).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none) << made;
#endif
    folder.addFile("f");
    EXPECT_TRUE(platform::makeFolders(folder.pathOf("f")));
    EXPECT_TRUE(platform::makeFolders(folder.pathOf("f") + testing::separator() + "g"));
}

#ifdef _WIN32
TEST(StateFolder, IsNorvaneInTheLocalApplicationData) {
    wchar_t local[32768];
    const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", local, 32768);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(platform::stateFolder(), testing::toText(fs::path(std::wstring(local, length)) / "Norvane"));
}
#else
TEST(StateFolder, FollowsAnAbsoluteXdgStateHomeElseHome) {
    struct Case {
        const char* state;
        const char* home;
        std::optional<std::string> folder;
    };
    const Case cases[] = {
        {"/x/state", "/home/u", "/x/state/norvane"},
        {"/x/state//", "/home/u", "/x/state/norvane"},
        {"relative/state", "/home/u", "/home/u/.local/state/norvane"},
        {"", "/home/u/", "/home/u/.local/state/norvane"},
        {nullptr, "/", "/.local/state/norvane"},
        {nullptr, "relative", std::nullopt},
        {nullptr, nullptr, std::nullopt},
    };
    const auto kept = [](const char* name) { const char* value = std::getenv(name); return value ? std::optional<std::string>(value) : std::nullopt; };
    const auto set = [](const char* name, const char* value) { value ? ::setenv(name, value, 1) : ::unsetenv(name); };
    const std::optional<std::string> state = kept("XDG_STATE_HOME"), home = kept("HOME");
    for (const Case& c : cases) {
        set("XDG_STATE_HOME", c.state);
        set("HOME", c.home);
        EXPECT_EQ(platform::stateFolder(), c.folder) << (c.state ? c.state : "(unset)") << ", " << (c.home ? c.home : "(unset)");
    }
    set("XDG_STATE_HOME", state ? state->c_str() : nullptr);
    set("HOME", home ? home->c_str() : nullptr);
}
#endif

} // namespace
} // namespace norvane
