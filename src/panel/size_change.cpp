#include "panel/size_change.hpp"

namespace panel {

std::optional<std::string> size_change_line(const std::optional<Size>& previous, Size now, bool visible) {
    if (!previous || *previous == now || !visible) {
        return std::nullopt;
    }
    return "render_layered size changed Some((" + std::to_string(previous->width) + ", " +
           std::to_string(previous->height) + ")) -> " + std::to_string(now.width) + "x" +
           std::to_string(now.height) + "; re-anchoring";
}

}  // namespace panel
