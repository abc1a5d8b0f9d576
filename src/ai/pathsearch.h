#pragma once

// AI floor: computer players, input sources that read the world as a player sees it. May use
// match, entities, input and the layers below; no window, no drawing, no files.

#include <cstdint>
#include <vector>

class FaceGrid;

// A shortest way over a face grid's open cells (eight neighbours, diagonals cost sqrt 2, no
// corner cutting past a closed cell), searched best first towards the goal (A*) a budget of
// cells at a time, so a long search spreads over several ticks. Owns its tables, sized to the
// grid and kept from search to search; the grid must stay unchanged while a search runs (start
// again after a rebuild). Deterministic: ties are broken by cell number.
class PathSearch {
public:
    enum class State { IDLE, RUNNING, FOUND, FAILED };

    // A new search from cell `from` to cell `to` (both must be open) that gives up after
    // looking at `limit` cells.
    void start(const FaceGrid& grid, int from, int to, int limit);
    // Looks at up to `budget` more cells; FOUND fills `path`. Costs about 0.1 us a cell.
    State run(const FaceGrid& grid, int budget);
    void cancel() { state = State::IDLE; }

    State state = State::IDLE;
    int goal = -1;
    std::vector<int> path; // cells from the start to the goal, both included, once FOUND

private:
    struct Entry {
        float f; // cost so far plus the straight way on
        int cell;
    };
    static bool later(const Entry& a, const Entry& b); // heap order: smallest f (then cell) first
    float estimate(const FaceGrid& grid, int cell) const;

    std::vector<float> cost;         // by cell, valid where stamp == search
    std::vector<int> parent;         // by cell
    std::vector<uint32_t> stamp;     // by cell: the search that last reached it
    std::vector<unsigned char> done; // by cell: expanded in this search (with a current stamp)
    std::vector<Entry> open;         // a heap
    uint32_t search = 0;
    int looked = 0, limit = 0;
};
