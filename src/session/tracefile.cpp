#include "session/tracefile.h"

#include <cerrno>
#include <cstring>

TraceFile::~TraceFile() {
    close();
}

bool TraceFile::open(const std::string& path, std::string& error) {
    close();
    file = std::fopen(path.c_str(), "w");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

bool TraceFile::write(const TraceLine& line, std::string& error) {
    if (!file) {
        error = "the trace file is not open";
        return false;
    }
    std::string text = line.text() + "\n";
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size() || std::fflush(file) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

void TraceFile::close() {
    if (file)
        std::fclose(file);
    file = nullptr;
}
