#include "protocol/ObdProtocols.h"

namespace {

struct Word {
    const char* text;
    bool ObdProtocols::*flag;
};
constexpr Word kWords[] = {
    {"fast", &ObdProtocols::fast},
    {"slow", &ObdProtocols::slow},
    {"iso9141", &ObdProtocols::iso9141},
};

}  // namespace

std::optional<ObdProtocols> ObdProtocols::Parse(std::string_view list) {
    ObdProtocols protocols{false, false, false};
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view word = list.substr(0, comma);
        bool known = false;
        for (const Word& w : kWords) {
            if (word == w.text && !(protocols.*w.flag)) {
                protocols.*w.flag = true;
                known = true;
            }
        }
        if (!known) {
            return std::nullopt;
        }
        if (comma == std::string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
    }
    return protocols;
}

std::string ObdProtocols::Text() const {
    std::string text;
    for (const Word& w : kWords) {
        if (this->*w.flag) {
            if (!text.empty()) text += ',';
            text += w.text;
        }
    }
    return text;
}
