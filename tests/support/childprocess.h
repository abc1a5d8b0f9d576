#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A program started for a test, with its standard output captured. Killed if still running
// when destroyed.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();
    // Waits up to `seconds` for the program to end; returns its exit status, or -1 on timeout
    // or when it was ended by a signal.
    int waitForExit(double seconds);
    // Everything the program has written to standard output so far.
    const std::string& output();

private:
    void drain();

    pid_t pid = -1;
    int outputFd = -1;
    int status = 0;
    bool exited = false;
    std::string captured;
};
