#include "gfx/screen/driver_choice.hpp"

#include <strings.h>
#include <cstdlib>
#include <string>

#include "gfx/drivers/platform_drivers.hpp"
#if !defined(_WIN32)
#include "gfx/input/console_keys.hpp"
#endif
#include "gfx/screen.hpp"

namespace gfx {
namespace {

std::string presetName;
std::vector<const DisplayDriver*> presetCandidates;

bool sameName(const char* a, const char* b) {
    return a != nullptr && b != nullptr && strcasecmp(a, b) == 0;
}

// Twice per driver: the requested refresh rate first, then none. A refusal is
// followed at once by exit so the back end can undo half-done work.
bool attempt(const DisplayDriver& driver, const DriverRequest& request, std::int32_t flags) {
    for (std::int32_t refresh : {request.refresh, 0}) {
        if (driver.init == nullptr) return false;
        if (driver.init(request.title, request.width, request.height, request.depth, refresh,
                        flags) == 0) {
            return true;
        }
        if (driver.exit != nullptr) driver.exit();
    }
    return false;
}

const DisplayDriver* attemptAll(const std::vector<const DisplayDriver*>& candidates,
                                const DriverRequest& request, std::int32_t flags) {
    for (const DisplayDriver* driver : candidates) {
        if (driver != nullptr && attempt(*driver, request, flags)) return driver;
    }
    return nullptr;
}

const DisplayDriver* attemptNamed(const std::vector<const DisplayDriver*>& candidates,
                                  const char* name, const DriverRequest& request,
                                  std::int32_t flags) {
    for (const DisplayDriver* driver : candidates) {
        if (driver != nullptr && sameName(driver->name, name)) {
            return attempt(*driver, request, flags) ? driver : nullptr;
        }
    }
    return nullptr;
}

const char* requestedName() {
    if (!presetName.empty()) return presetName.c_str();
    const char* fromEnvironment = std::getenv("LETTERMOOR_DRIVER");
    if (fromEnvironment != nullptr && fromEnvironment[0] != '\0') return fromEnvironment;
    return nullptr;
}

}  // namespace

void presetDriverName(const char* name) {
    presetName = name == nullptr ? "" : name;
}

void setDriverCandidates(std::vector<const DisplayDriver*> candidates) {
    presetCandidates = std::move(candidates);
}

std::vector<const DisplayDriver*> driverCandidates() {
    return presetCandidates.empty() ? platformDrivers() : presetCandidates;
}

const DisplayDriver* chooseDriver(const DriverRequest& request) {
    const char* name = requestedName();
    if (request.flags == NoDriver || sameName(name, "null")) {
#if !defined(_WIN32)
        // A player who asked for no window still ends the program with Esc
        // typed in the terminal; programs that chose it themselves read no keys.
        if (presetName.empty() && sameName(name, "null")) installConsoleKeys();
#endif
        return &nullDriver();
    }

    const std::vector<const DisplayDriver*> candidates = driverCandidates();
    const std::int32_t toggled = request.flags ^ FullScreen;
    for (std::int32_t flags : {request.flags, toggled}) {
        if (name != nullptr) {
            if (const DisplayDriver* named = attemptNamed(candidates, name, request, flags)) {
                return named;
            }
        }
        if (const DisplayDriver* any = attemptAll(candidates, request, flags)) return any;
    }
    // The program says what that means to its user; openScreen reports BadCall.
    return nullptr;
}

}  // namespace gfx
