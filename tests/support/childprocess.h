#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A program started for a test, with its standard output captured. Killed if still running
// when destroyed.
class ChildProcess {
public:
    // `checkLeaks`: a sanitizer build's leak check stays on at the program's exit, and its
    // standard error joins the captured output, so that the reports reach the test.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory, bool checkLeaks = false);
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
