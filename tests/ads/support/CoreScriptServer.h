#pragma once
// Test helper: a static-content server on 127.0.0.1 (Python's http.server)
// for the core script, serving a folder the test writes. It answers
// If-Modified-Since with 304 by the file's time, and its request log tells
// which requests came and how they were answered.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

class CoreScriptServer {
public:
    CoreScriptServer()
    {
        dir_ = std::filesystem::temp_directory_path() / ("tolvane-core-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_ / "root" / "ads");
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            dup2(fds[1], STDOUT_FILENO);
            std::FILE* log = std::fopen((dir_ / "requests.log").c_str(), "w");
            if (log)
                dup2(fileno(log), STDERR_FILENO);
            close(fds[0]);
            close(fds[1]);
            execlp("python3", "python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory",
                (dir_ / "root").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd p { fds[0], POLLIN, 0 };
            if (poll(&p, 1, 100) <= 0)
                continue;
            char buf[128];
            ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0)
                break;
            line.append(buf, size_t(n));
        }
        close(fds[0]);
        size_t at = line.find(" port ");
        if (at != std::string::npos)
            port_ = std::atoi(line.c_str() + at + 6);
    }

    ~CoreScriptServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    CoreScriptServer(const CoreScriptServer&) = delete;
    CoreScriptServer& operator=(const CoreScriptServer&) = delete;

    bool running() const { return port_ > 0; }
    std::string origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

    // Writes the core script with the given modification time (seconds since 1970).
    void writeScript(const std::string& text, long long mtime)
    {
        const auto path = dir_ / "root" / "ads" / "sdk-core-v40.js";
        std::ofstream(path, std::ios::trunc) << text;
        std::filesystem::last_write_time(path,
            std::chrono::file_clock::from_sys(std::chrono::sys_seconds(std::chrono::seconds(mtime))));
    }

    // (path, status) of every request so far, oldest first.
    std::vector<std::pair<std::string, int>> requests() const
    {
        std::vector<std::pair<std::string, int>> out;
        std::ifstream log(dir_ / "requests.log");
        std::string line;
        while (std::getline(log, line)) {
            size_t get = line.find("\"GET ");
            if (get == std::string::npos)
                continue;
            size_t pathEnd = line.find(' ', get + 5);
            size_t quote = line.find('"', get + 1);
            if (pathEnd == std::string::npos || quote == std::string::npos)
                continue;
            out.emplace_back(line.substr(get + 5, pathEnd - get - 5), std::atoi(line.c_str() + quote + 2));
        }
        return out;
    }

private:
    std::filesystem::path dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};
