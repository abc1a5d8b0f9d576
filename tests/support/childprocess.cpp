#include "support/childprocess.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

std::string makeScratchHome() {
    char pattern[] = "/tmp/quorl-home-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "";
}

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::string& workingDirectory, bool checkLeaks,
                           const std::string& givenHome,
                           const std::vector<std::string>& environment)
    : home(givenHome) {
    if (home.empty()) {
        home = makeScratchHome();
        ownHome = true;
    }
    int fds[2];
    if (home.empty() || pipe(fds) != 0)
        return;
    pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        if (checkLeaks)
            dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        if (chdir(workingDirectory.c_str()) != 0)
            _exit(126);
        // Unless asked, a sanitizer build's leak check is off at the program's exit: most runs
        // end the game from outside; sanitizer builds check leaks in the unit tests.
        std::string asan = checkLeaks ? "" : "detect_leaks=0";
        if (const char* options = getenv("ASAN_OPTIONS"))
            asan = std::string(options) + ":" + asan;
        setenv("ASAN_OPTIONS", asan.c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
        setenv("XDG_STATE_HOME", (home + "/.local/state").c_str(), 1);
        unsetenv("XDG_PICTURES_DIR");
        unsetenv("QUORL_DATA");
        for (const std::string& variable : environment) {
            size_t equals = variable.find('=');
            if (equals == std::string::npos)
                unsetenv(variable.c_str());
            else
                setenv(variable.substr(0, equals).c_str(), variable.c_str() + equals + 1, 1);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : arguments)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(fds[1]);
    outputFd = fds[0];
    fcntl(outputFd, F_SETFL, O_NONBLOCK);
}

void ChildProcess::signal(int number) {
    if (running())
        kill(pid, number);
}

ChildProcess::~ChildProcess() {
    if (pid > 0 && running()) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    if (outputFd >= 0)
        close(outputFd);
    std::error_code ignored;
    if (ownHome && !home.empty())
        std::filesystem::remove_all(home, ignored);
}

bool ChildProcess::running() {
    if (pid <= 0 || exited)
        return false;
    if (waitpid(pid, &status, WNOHANG) == pid)
        exited = true;
    return !exited;
}

int ChildProcess::waitForExit(double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (running() && std::chrono::steady_clock::now() < deadline) {
        drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    drain();
    if (!exited || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

const std::string& ChildProcess::output() {
    drain();
    return captured;
}

void ChildProcess::drain() {
    if (outputFd < 0)
        return;
    char buffer[4096];
    ssize_t n;
    while ((n = read(outputFd, buffer, sizeof buffer)) > 0)
        captured.append(buffer, static_cast<size_t>(n));
}
