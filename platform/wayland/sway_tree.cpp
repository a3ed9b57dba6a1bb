#include "platform/wayland/sway_tree.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace sway_tree {

namespace {

// Beyond this a number is no layout's coordinate; kept within it, the sums
// that place a window cannot overflow.
constexpr int64_t kFarthest = int64_t(1) << 24;

int Clamped(int64_t value) { return int(std::clamp(value, -kFarthest, kFarthest)); }

int Number(const nlohmann::json& object, const char* key)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_number_integer()
               ? Clamped(found->get<int64_t>())
               : 0;
}

// What a container node says about where it is: `rect` leaves out the
// title bar, `deco_rect`'s height.
struct Geometry {
    int x = 0, y = 0, width = 0, height = 0, title_bar = 0;
};

void Place(FocusedWindow& window, const Geometry& at)
{
    window.left = at.x;
    window.top = at.y - at.title_bar;
    window.right = at.x + at.width;
    window.bottom = at.y + at.height;
}

// Reads a tree as it is parsed, keeping only what the nodes on the way down
// say of themselves, and stops at the end of the focused node: the tree of
// a busy desktop is read every tick, and most of it is of no interest.
class FocusedNodeReader final : public nlohmann::json_sax<nlohmann::json> {
public:
    std::optional<FocusedWindow> found;
    bool floating = false;

    bool null() override { return true; }
    bool boolean(bool value) override
    {
        if (Top() == Kind::kNode && key_ == "focused")
            nodes_.back().focused = value;
        return true;
    }
    bool number_integer(number_integer_t value) override { return Number(value); }
    bool number_unsigned(number_unsigned_t value) override
    {
        if (Top() == Kind::kNode && key_ == "id")
            nodes_.back().window.id = value;
        return Number(int64_t(value));
    }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t& value) override
    {
        if (Top() == Kind::kNode && key_ == "name")
            nodes_.back().window.title = std::move(value);
        else if (Top() == Kind::kNode && key_ == "type")
            nodes_.back().type = std::move(value);
        return true;
    }
    bool binary(binary_t&) override { return true; }
    bool key(string_t& name) override
    {
        key_ = std::move(name);
        return true;
    }
    bool start_object(std::size_t) override
    {
        const Kind top = Top();
        Kind kind = Kind::kOther;
        if (top == Kind::kNone || top == Kind::kNodeList)
            kind = Kind::kNode;
        else if (top == Kind::kNode && key_ == "rect")
            kind = Kind::kRect;
        else if (top == Kind::kNode && key_ == "deco_rect")
            kind = Kind::kDecoration;
        if (kind == Kind::kNode)
            nodes_.emplace_back();
        stack_.push_back(kind);
        return true;
    }
    bool end_object() override
    {
        const Kind kind = Top();
        stack_.pop_back();
        if (kind != Kind::kNode)
            return true;
        Node node = std::move(nodes_.back());
        nodes_.pop_back();
        if (!node.focused)
            return true;
        if (node.type == "con" || node.type == "floating_con") {
            Place(node.window, node.at);
            found = std::move(node.window);
            floating = node.type == "floating_con";
        }
        return false; // the one focused node: nothing further to read
    }
    bool start_array(std::size_t) override
    {
        const bool children = Top() == Kind::kNode && (key_ == "nodes" || key_ == "floating_nodes");
        stack_.push_back(children ? Kind::kNodeList : Kind::kOther);
        return true;
    }
    bool end_array() override
    {
        stack_.pop_back();
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        return false;
    }

private:
    enum class Kind { kNone, kNode, kNodeList, kRect, kDecoration, kOther };
    struct Node {
        FocusedWindow window;
        Geometry at;
        std::string type;
        bool focused = false;
    };

    Kind Top() const { return stack_.empty() ? Kind::kNone : stack_.back(); }
    bool Number(int64_t value)
    {
        const Kind top = Top();
        if (top != Kind::kRect && top != Kind::kDecoration)
            return true;
        Geometry& at = nodes_.back().at;
        const int number = Clamped(value);
        if (top == Kind::kDecoration) {
            if (key_ == "height")
                at.title_bar = number;
        } else if (key_ == "x") {
            at.x = number;
        } else if (key_ == "y") {
            at.y = number;
        } else if (key_ == "width") {
            at.width = number;
        } else if (key_ == "height") {
            at.height = number;
        }
        return true;
    }

    std::vector<Kind> stack_;
    std::vector<Node> nodes_; // the nodes open on the way down
    std::string key_;
};

} // namespace

FocusedWindow WindowOf(const nlohmann::json& container)
{
    FocusedWindow window;
    const auto id = container.find("id");
    if (id != container.end() && id->is_number_unsigned())
        window.id = id->get<uint64_t>();
    const auto name = container.find("name");
    if (name != container.end() && name->is_string())
        window.title = name->get<std::string>();
    const auto rect = container.find("rect");
    const auto deco = container.find("deco_rect");
    if (rect != container.end() && rect->is_object()) {
        const int title_bar = deco != container.end() && deco->is_object()
                                  ? Number(*deco, "height")
                                  : 0;
        Place(window, Geometry{Number(*rect, "x"), Number(*rect, "y"), Number(*rect, "width"),
                               Number(*rect, "height"), title_bar});
    }
    return window;
}

std::optional<FocusedWindow> FocusedIn(std::string_view tree_json, bool* floating)
{
    FocusedNodeReader reader;
    nlohmann::json::sax_parse(tree_json, &reader);
    if (floating)
        *floating = reader.floating;
    return reader.found;
}

} // namespace sway_tree
