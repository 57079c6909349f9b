// What the recording pass tests feed and watch: blocks at a level, a queue
// of blocks as the capture side, and a number field that keeps its text.
#pragma once
#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "recorder/block_source.h"
#include "common/recorder_shared.h"

namespace suite_test {

using Block = std::vector<int16_t>;

inline Block Filled(int16_t value) { return Block(suite::kBlockSampleCount, value); }

// A block whose largest magnitude gives the level (level * 256).
inline Block AtLevel(int level) {
    Block b(suite::kBlockSampleCount, 0);
    b[100] = static_cast<int16_t>(level * 256);
    return b;
}

class FakeField : public suite::NumberField {
public:
    std::string text;
    std::string Text() const override { return text; }
    void Show(const std::string& t) override { text = t; }
};

class QueueSource : public suite::BlockSource {
public:
    std::deque<Block> blocks;
    bool NextBlock(int16_t* mono) override {
        if (blocks.empty()) return false;
        std::copy(blocks.front().begin(), blocks.front().end(), mono);
        blocks.pop_front();
        return true;
    }
    void Stop() override { blocks.clear(); }
};

}  // namespace suite_test
