#include "ai/pathsearch.h"

#include <algorithm>
#include <cmath>

#include "ai/facegrid.h"

namespace {

constexpr float DIAGONAL = 1.41421356f;

} // namespace

bool PathSearch::later(const Entry& a, const Entry& b) {
    if (a.f != b.f)
        return a.f > b.f;
    return a.cell > b.cell;
}

// Octile distance in cells: never more than the way itself, so the first way found is a
// shortest one.
float PathSearch::estimate(const FaceGrid& grid, int cell) const {
    int di = std::abs(cell % grid.side - goal % grid.side);
    int dj = std::abs(cell / grid.side - goal / grid.side);
    int lo = std::min(di, dj), hi = std::max(di, dj);
    return static_cast<float>(hi - lo) + DIAGONAL * static_cast<float>(lo);
}

void PathSearch::start(const FaceGrid& grid, int from, int to, int searchLimit) {
    size_t cells = static_cast<size_t>(grid.side) * grid.side;
    if (stamp.size() != cells) {
        cost.assign(cells, 0.0f);
        parent.assign(cells, -1);
        stamp.assign(cells, 0);
        done.assign(cells, 0);
        search = 0;
    }
    ++search;
    if (search == 0) { // the stamps came round: start them afresh
        std::fill(stamp.begin(), stamp.end(), 0);
        search = 1;
    }
    goal = to;
    limit = searchLimit;
    looked = 0;
    path.clear();
    open.clear();
    if (!grid.open(from) || !grid.open(to)) {
        state = State::FAILED;
        return;
    }
    stamp[from] = search;
    cost[from] = 0;
    parent[from] = -1;
    done[from] = 0;
    open.push_back({estimate(grid, from), from});
    state = State::RUNNING;
}

PathSearch::State PathSearch::run(const FaceGrid& grid, int budget) {
    // Invariant: every cell in `open` has a current stamp, and its cost is the shortest known
    // way to it; a cell marked done has its shortest way.
    while (state == State::RUNNING && budget-- > 0) {
        if (open.empty() || looked >= limit) {
            state = State::FAILED;
            break;
        }
        std::pop_heap(open.begin(), open.end(), later);
        Entry entry = open.back();
        open.pop_back();
        int cell = entry.cell;
        if (done[cell])
            continue; // an older, longer entry of a cell already expanded
        done[cell] = 1;
        ++looked;
        if (cell == goal) {
            for (int c = goal; c >= 0; c = parent[c])
                path.push_back(c);
            std::reverse(path.begin(), path.end());
            state = State::FOUND;
            break;
        }
        int ci = cell % grid.side, cj = cell / grid.side;
        for (int dj = -1; dj <= 1; ++dj)
            for (int di = -1; di <= 1; ++di) {
                int i = ci + di, j = cj + dj;
                if ((di == 0 && dj == 0) || i < 0 || j < 0 || i >= grid.side || j >= grid.side)
                    continue;
                int next = j * grid.side + i;
                if (!grid.open(next))
                    continue;
                bool diagonal = di != 0 && dj != 0;
                // A diagonal step may not cut the corner of a closed cell.
                if (diagonal && (!grid.open(cj * grid.side + i) || !grid.open(j * grid.side + ci)))
                    continue;
                float through = cost[cell] + (diagonal ? DIAGONAL : 1.0f);
                if (stamp[next] == search && (done[next] || cost[next] <= through))
                    continue;
                stamp[next] = search;
                done[next] = 0;
                cost[next] = through;
                parent[next] = cell;
                open.push_back({through + estimate(grid, next), next});
                std::push_heap(open.begin(), open.end(), later);
            }
    }
    return state;
}
