// Reads a version resource as the tree it is: each node a key, a value
// (binary, or UTF-16 text) and children, so a test can list every entry
// and not only ask for the ones it knows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct VersionNode {
    std::string key;            // ASCII keys only
    bool text = false;          // the value is UTF-16 text
    std::vector<uint8_t> value; // as stored; text without its padding
    std::vector<VersionNode> children;

    // The text value up to its terminating NUL, narrowed (ASCII only).
    std::string Text() const;
    const VersionNode* Child(const std::string& key) const;
};

// Throws std::runtime_error when the block is malformed.
VersionNode ParseVersionBlock(std::span<const uint8_t> block);
