#include "native_interop/system_settings_rules.hpp"

namespace native_interop {

bool store_system_dark(state::AppState* state, bool dark) noexcept {
    if (state == nullptr || state->system_dark == dark) {
        return false;
    }
    state->system_dark = dark;
    return true;
}

}  // namespace native_interop
