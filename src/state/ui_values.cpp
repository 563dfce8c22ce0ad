#include "state/ui_values.hpp"

namespace state {

UiValues& ui_values() {
    static UiValues* values = new UiValues();  // never destroyed: detached threads may still use it
    return *values;
}

}  // namespace state
