#include "start_arguments.h"

namespace viewer {

StartArguments ParseStartArguments(const std::vector<std::u16string>& arguments) {
    if (arguments.size() == 1 && !arguments.front().empty() && arguments.front().front() != u'-') {
        return {arguments.front(), {}};
    }
    return {std::nullopt, arguments};
}

std::u16string IgnoredArgumentsMessage(const StartArguments& start) {
    if (start.ignored.empty()) return {};
    std::u16string message =
        u"Hue Viewer opens one hue file given to it and has no options, so it ignored ";
    message += start.ignored.size() == 1 ? u"this argument: " : u"these arguments: ";
    for (std::size_t i = 0; i < start.ignored.size(); ++i) {
        message += (i == 0 ? u"\"" : u", \"") + start.ignored[i] + u"\"";
    }
    return message + u". It opened with the default path instead.";
}

}  // namespace viewer
