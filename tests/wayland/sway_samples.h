// sway's answers as the unit tests write them: containers, workspaces and
// trees in the shape of GET_TREE and window events.
#pragma once

#include <string>

namespace sway_samples {

// A container as sway describes it: `rect` without the title bar, whose
// height `deco_rect` gives.
inline std::string Con(int id, const std::string& type, const std::string& name, bool focused,
                       int x, int y, int width, int height, int title_bar,
                       const std::string& extra = "")
{
    return R"({"id":)" + std::to_string(id) + R"(,"type":")" + type + R"(","name":")" + name +
           R"(","focused":)" + (focused ? "true" : "false") + R"(,"rect":{"x":)" +
           std::to_string(x) + R"(,"y":)" + std::to_string(y) + R"(,"width":)" +
           std::to_string(width) + R"(,"height":)" + std::to_string(height) +
           R"(},"deco_rect":{"x":0,"y":0,"width":)" + std::to_string(width) + R"(,"height":)" +
           std::to_string(title_bar) + "}" + extra + R"(,"nodes":[],"floating_nodes":[]})";
}

inline std::string Workspace(const std::string& nodes, const std::string& floating,
                             bool focused = false)
{
    return R"({"id":5,"type":"workspace","name":"1","focused":)" +
           std::string(focused ? "true" : "false") + R"(,"nodes":[)" + nodes +
           R"(],"floating_nodes":[)" + floating + "]}";
}

inline std::string Tree(const std::string& first_output, const std::string& second_output = "")
{
    std::string outputs = R"({"id":3,"type":"output","name":"HEADLESS-1","nodes":[)" +
                          first_output + "]}";
    if (!second_output.empty())
        outputs += R"(,{"id":4,"type":"output","name":"HEADLESS-2","nodes":[)" + second_output +
                   "]}";
    return R"({"id":1,"type":"root","name":"root","focused":false,"nodes":[)" + outputs + "]}";
}

// A window event: `change` (focus, title, close, ...) of a container.
inline std::string WindowEvent(const std::string& change, const std::string& container)
{
    return R"({"change":")" + change + R"(","container":)" + container + "}";
}

} // namespace sway_samples
