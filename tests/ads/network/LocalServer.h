#pragma once
// Test helper: the local HTTP server of tools/adserver on 127.0.0.1, started
// per test and stopped when it goes, plus a real-time bounded pump of the main
// run loop for waiting on network callbacks.

#include "platform/RunLoop.h"
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Runs the main loop until `done` holds or `seconds` of real time pass.
inline bool pumpUntil(const std::function<bool()>& done, double seconds = 10)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        platform::RunLoop::main().runPending();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Keeps pumping for a short while, for checks that something does NOT happen.
inline void pumpFor(double seconds)
{
    pumpUntil([] { return false; }, seconds);
}

class LocalServer {
public:
    LocalServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::string script = std::string(TOLVANE_SOURCE_DIR) + "/tools/adserver/adserver.py";
            execlp("python3", "python3", script.c_str(), "--port", "0", "--exit-with-parent",
                static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd p { fds[0], POLLIN, 0 };
            if (poll(&p, 1, 100) <= 0)
                continue;
            char buf[64];
            ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0)
                break;
            line.append(buf, size_t(n));
        }
        close(fds[0]);
        if (line.rfind("PORT ", 0) == 0)
            port_ = std::stoi(line.substr(5));
    }

    ~LocalServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }

    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;

    bool running() const { return port_ > 0; }
    int port() const { return port_; }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    // A blocking GET of the server's own bookkeeping routes; the body, or "" on failure.
    std::string fetch(const std::string& path) const
    {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        if (s < 0)
            return {};
        sockaddr_in addr {};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(uint16_t(port_));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        std::string reply;
        if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
            std::string req = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
            if (send(s, req.data(), req.size(), 0) == ssize_t(req.size())) {
                char buf[4096];
                ssize_t n;
                while ((n = recv(s, buf, sizeof buf, 0)) > 0)
                    reply.append(buf, size_t(n));
            }
        }
        close(s);
        size_t body = reply.find("\r\n\r\n");
        return body == std::string::npos ? std::string() : reply.substr(body + 4);
    }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};
