// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/blocks.h"

#include <algorithm>

#include "session/source_text.h"
#include "session/time_text.h"

namespace session {
namespace {

struct Target {
    int set = -1;    // a tone-set's index, or
    int block = -1;  // a block's; neither when the name is unknown
};

class Expander {
  public:
    Expander(const std::vector<TimedLine>& top, const std::vector<Block>& blocks, int maxErrors)
        : top_(top),
          blocks_(blocks),
          root_(static_cast<int>(blocks.size())),
          maxErrors_(maxErrors) {}

    Expansion Run(const std::map<std::string, int, std::less<>>& sets,
                  const std::map<std::string, int, std::less<>>& blockIndex) {
        resolve(sets, blockIndex);
        if (out_.errorCount == 0 && noCircles() && withinBounds()) {
            expand();
        }
        if (out_.errorCount != 0) {
            out_.entries.clear();
        }
        return std::move(out_);
    }

  private:
    struct Frame {
        int block;
        std::size_t next;   // the block's line to expand next
        std::int64_t base;  // the calling line's time
        int callLine;       // index into the file's lines
    };

    const std::vector<TimedLine>& lines(int block) const {
        return block == root_ ? top_ : blocks_[block].lines;
    }

    void fail(int line, std::size_t offset, std::string message) {
        if (static_cast<int>(out_.errors.size()) < maxErrors_) {
            out_.errors.push_back({line, offset, std::move(message)});
        }
        ++out_.errorCount;
    }

    // Every name to its tone-set or block; a call with FF or "->" and an unknown name are
    // errors of the line itself, whoever calls it.
    void resolve(const std::map<std::string, int, std::less<>>& sets,
                 const std::map<std::string, int, std::less<>>& blockIndex) {
        targets_.resize(blocks_.size() + 1);
        for (int b = 0; b <= root_; ++b) {
            for (const TimedLine& l : lines(b)) {
                Target t;
                if (const auto set = sets.find(l.name); set != sets.end()) {
                    t.set = set->second;
                } else if (const auto block = blockIndex.find(l.name); block != blockIndex.end()) {
                    t.block = block->second;
                    if (l.callOffset != std::string_view::npos) {
                        fail(l.line, l.callOffset,
                             "a call of block " + Quoted(l.name) +
                                 " takes no FF and no '->': the block's own lines say how they "
                                 "change");
                    }
                } else {
                    fail(l.line, l.nameOffset, "unknown tone-set " + Quoted(l.name));
                }
                targets_[b].push_back(t);
            }
        }
    }

    // Depth first without recursion, each block once: a call of a block still open on the
    // path closes a circle. Counts each block's entries and calls on the way out, once its
    // callees are counted, saturating just past the bounds.
    bool noCircles() {
        enum { kNew, kOpen, kDone };
        std::vector<int> state(blocks_.size(), kNew);
        entries_.assign(blocks_.size(), 0);
        calls_.assign(blocks_.size(), 0);
        std::vector<std::pair<int, std::size_t>> path;  // block, next line to look at
        bool circle = false;
        for (int start = 0; start < root_; ++start) {
            if (state[start] != kNew) {
                continue;
            }
            state[start] = kOpen;
            path.emplace_back(start, 0);
            while (!path.empty()) {
                auto& [b, next] = path.back();
                if (next < lines(b).size()) {
                    const std::size_t at = next++;
                    const int callee = targets_[b][at].block;
                    if (callee >= 0 && state[callee] == kOpen) {
                        circle = true;
                        reportCircle(path, callee, lines(b)[at]);
                    } else if (callee >= 0 && state[callee] == kNew) {
                        state[callee] = kOpen;
                        path.emplace_back(callee, 0);
                    }
                    continue;
                }
                count(b);
                state[b] = kDone;
                path.pop_back();
            }
        }
        return !circle;
    }

    void count(int b) {
        std::int64_t entries = 0;
        std::int64_t calls = 0;
        for (const Target& t : targets_[b]) {
            entries += t.block >= 0 ? entries_[t.block] : 1;
            calls += t.block >= 0 ? 1 + calls_[t.block] : 0;
            entries = std::min<std::int64_t>(entries, kMaxExpandedEntries + 1);
            calls = std::min<std::int64_t>(calls, kMaxExpandedCalls + 1);
        }
        entries_[b] = entries;
        calls_[b] = calls;
    }

    void reportCircle(const std::vector<std::pair<int, std::size_t>>& path, int callee,
                      const TimedLine& call) {
        std::size_t from = path.size();
        while (path[from - 1].first != callee) {
            --from;
        }
        --from;
        // A long circle is shown by its ends: its names could fill a screen.
        constexpr std::size_t kShown = 8;
        std::string names;
        for (std::size_t k = from; k < path.size(); ++k) {
            if (k - from == kShown && path.size() - from > kShown + 1) {
                names += "... -> ";
                k = path.size() - 1;
            }
            names += std::string(blocks_[path[k].first].name) + " -> ";
        }
        names += std::string(blocks_[callee].name);
        fail(call.line, call.nameOffset,
             "block " + Quoted(blocks_[callee].name) + " calls itself: " + names);
    }

    // The file's own lines in order, each call's entries and calls added up: the first that
    // takes the session past a bound is the error.
    bool withinBounds() {
        std::int64_t entries = 0;
        std::int64_t calls = 0;
        for (std::size_t k = 0; k < top_.size(); ++k) {
            const int callee = targets_[root_][k].block;
            entries += callee >= 0 ? entries_[callee] : 1;
            calls += callee >= 0 ? 1 + calls_[callee] : 0;
            if (entries > kMaxExpandedEntries) {
                fail(top_[k].line, top_[k].nameOffset,
                     "the blocks called up to here expand to more than 100000 entries");
                return false;
            }
            if (calls > kMaxExpandedCalls) {
                fail(top_[k].line, top_[k].nameOffset,
                     "the blocks called up to here make more than 1000000 calls, nested ones "
                     "counted each time");
                return false;
            }
        }
        return true;
    }

    void expand() {
        for (std::size_t k = 0; k < top_.size(); ++k) {
            const TimedLine& l = top_[k];
            const Target t = targets_[root_][k];
            if (t.block < 0) {
                emit(l, l.ms, t.set);
                continue;
            }
            stack_.push_back({t.block, 0, l.ms, l.line});
            while (!stack_.empty()) {
                Frame& f = stack_.back();
                if (f.next == lines(f.block).size()) {
                    stack_.pop_back();
                    continue;
                }
                const std::size_t at = f.next++;
                const TimedLine& inner = lines(f.block)[at];
                const Target it = targets_[f.block][at];
                const std::int64_t ms = f.base + inner.ms;
                if (it.block < 0) {
                    emit(inner, ms, it.set);
                } else {
                    stack_.push_back({it.block, 0, ms, inner.line});  // f is stale from here
                }
            }
        }
        // Times count from the first entry, which a call's first line may place after the
        // calling line.
        out_.firstMs = out_.entries.empty() ? 0 : out_.entries.front().ms;
        for (Entry& e : out_.entries) {
            e.ms -= out_.firstMs;
        }
    }

    void emit(const TimedLine& l, std::int64_t ms, int set) {
        const Entry entry{ms, set, l.fadeIn, l.fadeOut, l.arrow, l.nextDay, l.line + 1};
        if (!out_.entries.empty()) {
            const Entry& before = out_.entries.back();
            if (ms <= before.ms) {
                fail(l.line, l.timeOffset,
                     (ms == before.ms ? "the same time as the entry on line "
                                      : "earlier than the entry on line ") +
                         std::to_string(before.line) + ": entries come in time order" + within());
                return;
            }
            if (ms - out_.entries.front().ms > SessionClock::kMaxMs) {
                fail(l.line, l.timeOffset,
                     "more than 1000 days after the session's start" + within());
                return;
            }
        }
        out_.entries.push_back(entry);
    }

    // " (in block 'b', called on line 20)", innermost first; a deep nest shows its innermost
    // calls and the file's line that started it.
    std::string within() const {
        if (stack_.empty()) {
            return "";
        }
        constexpr std::size_t kShown = 3;
        std::string out = " (";
        for (std::size_t k = stack_.size(); k-- > 0;) {
            if (stack_.size() - k > kShown && k > 0) {
                out += "; " + std::to_string(k + 1) + " more blocks out, from line " +
                       std::to_string(stack_[0].callLine + 1);
                break;
            }
            out += std::string(k + 1 == stack_.size() ? "" : "; ") + "in block " +
                   Quoted(blocks_[stack_[k].block].name) + ", called on line " +
                   std::to_string(stack_[k].callLine + 1);
        }
        return out + ")";
    }

    const std::vector<TimedLine>& top_;
    const std::vector<Block>& blocks_;
    const int root_;  // the file's own lines, as a block after the others
    const int maxErrors_;
    std::vector<std::vector<Target>> targets_;  // per block, root last; per line
    std::vector<std::int64_t> entries_;         // per block, saturating
    std::vector<std::int64_t> calls_;
    std::vector<Frame> stack_;
    Expansion out_;
};

}  // namespace

Expansion ExpandBlocks(const std::vector<TimedLine>& top, const std::vector<Block>& blocks,
                       const std::map<std::string, int, std::less<>>& sets,
                       const std::map<std::string, int, std::less<>>& blockIndex, int maxErrors) {
    return Expander(top, blocks, maxErrors).Run(sets, blockIndex);
}

}  // namespace session
