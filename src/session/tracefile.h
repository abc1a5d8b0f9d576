#pragma once

// Session floor: scripted play: options, scripts, traces and the play session. May use screens
// and everything below them.

#include <cstdio>
#include <string>

#include "platform/traceline.h"

// The trace file: one line per frame, flushed as it is written so that a run that ends
// abruptly keeps every frame it finished.
class TraceFile {
public:
    TraceFile() = default;
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // False, with `error` saying why, when the file cannot be created.
    bool open(const std::string& path, std::string& error);
    bool isOpen() const { return file != nullptr; }
    // False, with `error` saying why, when the line could not be written.
    bool write(const TraceLine& line, std::string& error);
    void close();

private:
    std::FILE* file = nullptr; // owned
};
