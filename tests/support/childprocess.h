#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A program started for a test, with its standard output captured. Killed if still running
// when destroyed. It never sees the real home: HOME and the XDG folders (data, config, cache,
// state) point into a scratch home folder, XDG_PICTURES_DIR and QUORL_DATA are unset, so that
// whatever it saves for the player (levels, settings, screenshots, a driver's cache) stays out
// of the checkout and out of the tester's home.
class ChildProcess {
public:
    // `checkLeaks`: a sanitizer build's leak check stays on at the program's exit, and its
    // standard error joins the captured output, so that the reports reach the test.
    // `home`: the scratch home to use, which the caller made and removes (for runs that share a
    // player's files); empty for one of the process's own, removed with it. `environment`:
    // "NAME=value" to set and "NAME" to unset, after all that.
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& workingDirectory, bool checkLeaks = false,
                 const std::string& home = "", const std::vector<std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running();
    // Sends the signal `number` (SIGTERM, SIGINT...) to the program if it is still running.
    void signal(int number);
    // Waits up to `seconds` for the program to end; returns its exit status, or -1 on timeout
    // or when it was ended by a signal.
    int waitForExit(double seconds);
    // Everything the program has written to standard output so far.
    const std::string& output();
    // The scratch home folder the program runs with.
    const std::string& homeFolder() const { return home; }

private:
    void drain();

    pid_t pid = -1;
    int outputFd = -1;
    int status = 0;
    bool exited = false;
    std::string captured;
    std::string home;
    bool ownHome = false; // made here, removed here
};

// A scratch folder to be a program's home; empty if none could be made.
std::string makeScratchHome();
