#include "session/verifyrun.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "replay/matchreplay.h"

namespace {

// Standard output goes nowhere while it lives: the simulation's own diagnostics (tanks made,
// bounces, item switches) would bury the verdict.
class Silence {
public:
    Silence() {
        fflush(stdout);
        saved = dup(STDOUT_FILENO);
        int nowhere = open("/dev/null", O_WRONLY);
        if (saved >= 0 && nowhere >= 0)
            dup2(nowhere, STDOUT_FILENO);
        if (nowhere >= 0)
            close(nowhere);
    }
    ~Silence() {
        fflush(stdout);
        if (saved >= 0) {
            dup2(saved, STDOUT_FILENO);
            close(saved);
        }
    }
    Silence(const Silence&) = delete;
    Silence& operator=(const Silence&) = delete;

private:
    int saved = -1;
};

} // namespace

int verifyRun(const std::string& path, std::shared_ptr<const MatchRecord> record) {
    Verification result;
    std::string error;
    bool ran = false;
    {
        Silence quiet;
        ran = verifyRecord(record, result, error);
    }
    if (!ran) {
        printf("Cannot verify %s: %s\n", path.c_str(), error.c_str());
        return 2;
    }
    if (result.differs) {
        int first = result.firstDifferentTick, last = result.lastAgreeingTick;
        std::string where = last >= 0
                                ? "; it agreed after tick " + std::to_string(last) +
                                      ", so it went astray in ticks " + std::to_string(last + 1) +
                                      " to " + std::to_string(first)
                                : "";
        printf("%s: the replay differs from the record: %s%s\n", path.c_str(),
               result.difference.c_str(), where.c_str());
        return 1;
    }
    if (!record->complete) {
        printf("%s is cut short: it ends after tick %d without its end mark; the %d states it "
               "holds agree\n",
               path.c_str(), result.ticks, result.hashesChecked);
        return 2;
    }
    printf("%s: the replay agrees with the record: %d ticks, %d states compared\n", path.c_str(),
           result.ticks, result.hashesChecked);
    return 0;
}
