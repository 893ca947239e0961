#include "scripted_driver.hpp"

namespace testing_support {

void resetScriptedDriver() {
    ScriptedDriver::reset();
    gfxtest::driverLog().clear();
}

}  // namespace testing_support
