// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The crash driver as a process of its own, what it says read through a
// pipe: the kill rounds and the power-cut rounds start, watch, stop and kill
// it the same way.

#ifndef _WIN32

#include <chrono>
#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace norvane::testing {

class DriverProcess {
public:
    DriverProcess(const std::vector<std::string>& arguments, const std::filesystem::path& stateHome) {
        int ends[2];
        if (::pipe(ends) != 0) throw std::runtime_error("no pipe");
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(ends[1], STDOUT_FILENO);
            ::dup2(ends[1], STDERR_FILENO);
            ::close(ends[0]);
            ::close(ends[1]);
            ::setenv("XDG_STATE_HOME", stateHome.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(NORVANE_CRASH_DRIVER)};
            for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(NORVANE_CRASH_DRIVER, argv.data());
            ::_exit(127);
        }
        ::close(ends[1]);
        out_ = ends[0];
    }
    ~DriverProcess() {
        kill();
        ::close(out_);
    }
    DriverProcess(const DriverProcess&) = delete;
    DriverProcess& operator=(const DriverProcess&) = delete;

    // Until it says `line` (true), or ends first (false).
    bool waitFor(const std::string& line) {
        while (said_.find(line + "\n") == std::string::npos)
            if (!readSome(-1)) return false;
        return true;
    }
    void stop() {
        if (pid_ > 0) ::kill(pid_, SIGSTOP);
    }
    // Whether it has exited (not merely stopped).
    bool ended() {
        if (pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = -1;
        return pid_ < 0;
    }
    // Kills it unless it ended already; says whether it was still running.
    bool kill() {
        if (ended()) return false;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status_, 0);
        pid_ = -1;
        return true;
    }
    // Its exit status, or -1 when it had to be killed after `limit`.
    int wait(std::chrono::seconds limit = std::chrono::seconds(120)) {
        for (const auto until = std::chrono::steady_clock::now() + limit; !ended() && std::chrono::steady_clock::now() < until;)
            readSome(100);
        if (!ended()) {
            kill();
            return -1;
        }
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    // All it said, once it has ended.
    const std::string& said() {
        while (readSome(1000)) {
        }
        return said_;
    }

private:
    bool readSome(int milliseconds) {
        pollfd ready{out_, POLLIN, 0};
        if (::poll(&ready, 1, milliseconds) <= 0) return pid_ > 0;
        char buffer[512];
        const ssize_t got = ::read(out_, buffer, sizeof buffer);
        if (got <= 0) return false;
        said_.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int status_ = 0;
    std::string said_;
};

} // namespace norvane::testing

#endif
