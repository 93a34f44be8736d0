// Records "args: <command line after the program>" and, for each quoted argument,
// "file: <path>" followed by the file's text, in calls.txt beside the program.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

int main() {
    std::string line = GetCommandLineA();
    // Skip the program's own (quoted or bare) name.
    size_t start = line[0] == '"' ? line.find('"', 1) + 1 : line.find(' ');
    std::string args = start == std::string::npos || start >= line.size() ? "" : line.substr(start);
    while (!args.empty() && args[0] == ' ')
        args.erase(0, 1);

    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder(self);
    folder.resize(folder.find_last_of('\\') + 1);
    std::ofstream out(folder + "calls.txt", std::ios::app | std::ios::binary);
    out << "args: " << args << "\n";
    for (size_t q = args.find('"'); q != std::string::npos; q = args.find('"', q + 1)) {
        size_t end = args.find('"', q + 1);
        if (end == std::string::npos) break;
        const std::string path = args.substr(q + 1, end - q - 1);
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        out << "file: " << path << "\n" << text.str();
        q = end;
    }
    return 0;
}
