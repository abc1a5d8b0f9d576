#pragma once

// Session floor: scripted play: options, scripts, traces and the play session. May use screens
// and everything below them.

#include <memory>
#include <string>

struct MatchRecord;

// --replay FILE --verify: re-plays the record without a window, its diagnostics silenced, and
// prints the verdict naming `path`. Returns the exit status: 0 when every recorded state
// agrees, 1 when one differs (naming the first tick that does and the last that agreed), 2
// when the record cannot be replayed or is cut short (what it holds is still checked).
int verifyRun(const std::string& path, std::shared_ptr<const MatchRecord> record);
