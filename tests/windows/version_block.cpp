#include "tests/windows/version_block.h"

#include <stdexcept>

namespace {

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t(3); }

uint16_t Word(std::span<const uint8_t> block, std::size_t offset)
{
    if (offset + 2 > block.size())
        throw std::runtime_error("version block cut short");
    return uint16_t(block[offset] | block[offset + 1] << 8);
}

std::string Narrow(std::span<const uint8_t> block, std::size_t& offset, std::size_t end)
{
    std::string text;
    while (offset + 2 <= end) {
        uint16_t unit = Word(block, offset);
        offset += 2;
        if (unit == 0)
            return text;
        text.push_back(unit < 0x80 ? char(unit) : '?');
    }
    throw std::runtime_error("unterminated key in version block");
}

// Parses the node at `offset`; returns where it ends.
std::size_t ParseNode(std::span<const uint8_t> block, std::size_t offset, VersionNode& node)
{
    const std::size_t length = Word(block, offset);
    const std::size_t value_length = Word(block, offset + 2);
    const uint16_t type = Word(block, offset + 4);
    const std::size_t end = offset + length;
    if (length < 6 || end > block.size() || type > 1)
        throw std::runtime_error("bad version node header");
    std::size_t at = offset + 6;
    node.key = Narrow(block, at, end);
    node.text = type == 1;
    at = Align4(at);
    const std::size_t value_bytes = node.text ? 2 * value_length : value_length;
    if (at + value_bytes > end)
        throw std::runtime_error("version value overruns its node");
    node.value.assign(block.begin() + long(at), block.begin() + long(at + value_bytes));
    at = Align4(at + value_bytes);
    while (at < end) {
        node.children.emplace_back();
        at = Align4(ParseNode(block, at, node.children.back()));
    }
    return end;
}

} // namespace

std::string VersionNode::Text() const
{
    std::size_t at = 0;
    std::string text;
    while (at + 2 <= value.size()) {
        uint16_t unit = uint16_t(value[at] | value[at + 1] << 8);
        at += 2;
        if (unit == 0)
            break;
        text.push_back(unit < 0x80 ? char(unit) : '?');
    }
    return text;
}

const VersionNode* VersionNode::Child(const std::string& wanted) const
{
    for (const VersionNode& child : children)
        if (child.key == wanted)
            return &child;
    return nullptr;
}

VersionNode ParseVersionBlock(std::span<const uint8_t> block)
{
    VersionNode root;
    ParseNode(block, 0, root);
    return root;
}
