#include "gfx/driver.hpp"

namespace gfx {
namespace {

int nullInit(const char*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    return 0;
}
void nullExit() {}
void nullLock() {}
void nullUnlock() {}

}  // namespace

const DisplayDriver& nullDriver() {
    static const DisplayDriver driver = [] {
        DisplayDriver d;
        d.name = "Null";
        d.init = nullInit;
        d.exit = nullExit;
        d.lock = nullLock;
        d.unlock = nullUnlock;
        return d;
    }();
    return driver;
}

}  // namespace gfx
