#include "engine/segment_plan.h"

#include <algorithm>

namespace qnb::engine {

std::vector<ByteRange> Normalise(std::vector<ByteRange> ranges) {
    ranges.erase(std::remove_if(ranges.begin(), ranges.end(), [](const ByteRange& r) { return r.end <= r.begin; }),
                 ranges.end());
    std::sort(ranges.begin(), ranges.end(), [](const ByteRange& a, const ByteRange& b) { return a.begin < b.begin; });
    std::vector<ByteRange> merged;
    for (const ByteRange& r : ranges) {
        if (!merged.empty() && r.begin <= merged.back().end) {
            merged.back().end = std::max(merged.back().end, r.end);
        } else {
            merged.push_back(r);
        }
    }
    return merged;
}

SegmentPlan::SegmentPlan(uint64_t total, std::vector<ByteRange> remaining, uint64_t minPiece)
    : total_(total), minPiece_(minPiece == 0 ? 1 : minPiece) {
    for (ByteRange& r : remaining) {
        r.begin = std::min(r.begin, total);
        r.end = std::min(r.end, total);
    }
    free_ = Normalise(std::move(remaining));
    for (const ByteRange& r : free_) remainingBytes_ += r.size();
}

int SegmentPlan::Assign(ByteRange range) {
    int id = nextId_++;
    assigned_[id] = range;
    return id;
}

std::optional<int> SegmentPlan::Take(uint64_t maxPiece) {
    if (!free_.empty()) {
        ByteRange& first = free_.front();
        uint64_t size = std::max<uint64_t>(1, std::min(first.size(), maxPiece));
        ByteRange r{first.begin, first.begin + size};
        first.begin += size;
        if (first.size() == 0) free_.erase(free_.begin());
        return Assign(r);
    }
    // Split the running assignment with the most left to fetch.
    auto largest = assigned_.end();
    for (auto it = assigned_.begin(); it != assigned_.end(); ++it) {
        if (largest == assigned_.end() || it->second.size() > largest->second.size()) largest = it;
    }
    if (largest == assigned_.end() || largest->second.size() < 2 * minPiece_) return std::nullopt;
    ByteRange& victim = largest->second;
    uint64_t middle = victim.begin + (victim.size() + 1) / 2;
    ByteRange back{middle, victim.end};
    victim.end = middle;
    return Assign(back);
}

std::optional<int> SegmentPlan::TakeAt(uint64_t begin, uint64_t maxPiece) {
    for (auto it = free_.begin(); it != free_.end(); ++it) {
        if (it->begin == begin) {
            uint64_t size = std::max<uint64_t>(1, std::min(it->size(), maxPiece));
            ByteRange r{begin, begin + size};
            it->begin += size;
            if (it->size() == 0) free_.erase(it);
            return Assign(r);
        }
    }
    return std::nullopt;
}

ByteRange SegmentPlan::Current(int id) const {
    auto it = assigned_.find(id);
    return it == assigned_.end() ? ByteRange{} : it->second;
}

uint64_t SegmentPlan::Advance(int id, uint64_t n) {
    auto it = assigned_.find(id);
    if (it == assigned_.end()) return 0;
    uint64_t kept = std::min<uint64_t>(n, it->second.size());
    it->second.begin += kept;
    remainingBytes_ -= kept;
    return kept;
}

void SegmentPlan::Release(int id) {
    auto it = assigned_.find(id);
    if (it == assigned_.end()) return;
    ByteRange rest = it->second;
    assigned_.erase(it);
    if (rest.size() == 0) return;
    free_.push_back(rest);
    free_ = Normalise(std::move(free_));
}

std::vector<ByteRange> SegmentPlan::Remaining() const {
    std::vector<ByteRange> all = free_;
    for (const auto& [id, r] : assigned_) all.push_back(r);
    return Normalise(std::move(all));
}

}  // namespace qnb::engine
