#include "form_registry.h"

#include <map>

namespace gui {

namespace {
std::map<std::string, FormRunner>& Registry() {
    static std::map<std::string, FormRunner> r;
    return r;
}
}  // namespace

void RegisterForm(const std::string& id, FormRunner runner) { Registry()[id] = std::move(runner); }

const FormRunner* FindForm(const std::string& id) {
    auto it = Registry().find(id);
    return it == Registry().end() ? nullptr : &it->second;
}

}  // namespace gui
