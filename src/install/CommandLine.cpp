#include "install/CommandLine.h"

namespace cvn {

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> args;
    size_t i = 0, n = commandLine.size();
    for (;;) {
        for (;;) {
            while (i < n && IsBlank(commandLine[i]))
                ++i;
            if (i + 1 < n && commandLine[i] == '"' && commandLine[i + 1] == '"')
                i += 2;
            else
                break;
        }
        if (i >= n) break;
        std::string arg;
        while (i < n && !IsBlank(commandLine[i])) {
            if (commandLine[i] == '"') {
                ++i;
                while (i < n && commandLine[i] != '"')
                    arg += commandLine[i++];
                if (i < n) ++i;
            } else {
                arg += commandLine[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

} // namespace cvn
