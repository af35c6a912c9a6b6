// Which bytes of a download each connection fetches next. The file is a set
// of byte ranges still to fetch; a connection takes the first unassigned
// range, or, when none is left, the back half of the largest range another
// connection is still working on. Not thread-safe: the task holds its lock.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace qnb::engine {

struct ByteRange {
    uint64_t begin = 0;
    uint64_t end = 0;  // one past the last byte
    uint64_t size() const { return end - begin; }
    bool operator==(const ByteRange& o) const { return begin == o.begin && end == o.end; }
};

class SegmentPlan {
public:
    // remaining: the ranges still to fetch (any order, may touch); they are
    // clipped to [0, total). A range is split only when both halves are at
    // least minPiece bytes.
    SegmentPlan(uint64_t total, std::vector<ByteRange> remaining, uint64_t minPiece);

    // A new assignment for a connection: the front of the first unassigned
    // range, at most maxPiece bytes of it; when nothing is unassigned, the
    // back half of the running assignment with the most left. Nothing when
    // every byte is assigned and no running assignment is worth splitting.
    std::optional<int> Take(uint64_t maxPiece = UINT64_MAX);
    // An assignment that starts exactly at begin (at most maxPiece bytes),
    // taken from the unassigned ranges: for the connection whose request
    // already started there.
    std::optional<int> TakeAt(uint64_t begin, uint64_t maxPiece = UINT64_MAX);
    // The part of an assignment still to fetch; empty once it is done or cut off.
    ByteRange Current(int id) const;
    // n bytes arrived for id at its current position. Returns how many of
    // them lie inside the assignment (it may have been cut since the request
    // was made); those count as done.
    uint64_t Advance(int id, uint64_t n);
    // Gives the unfinished part of an assignment back, for another connection.
    void Release(int id);

    uint64_t Total() const { return total_; }
    uint64_t Done() const { return total_ - remainingBytes_; }
    bool Complete() const { return remainingBytes_ == 0; }
    // Everything not yet fetched, sorted and merged: what a resume records.
    std::vector<ByteRange> Remaining() const;
    int Running() const { return static_cast<int>(assigned_.size()); }

private:
    int Assign(ByteRange range);

    uint64_t total_;
    uint64_t minPiece_;
    uint64_t remainingBytes_ = 0;
    std::vector<ByteRange> free_;        // unassigned, sorted by begin
    std::map<int, ByteRange> assigned_;  // id -> [position, end)
    int nextId_ = 1;
};

// Sorts ranges, drops empty ones and merges those that overlap or touch.
std::vector<ByteRange> Normalise(std::vector<ByteRange> ranges);

}  // namespace qnb::engine
