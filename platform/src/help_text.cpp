#include "help_text.h"

#include <algorithm>
#include <cstdint>

#include "platform/files.h"

namespace platform {
namespace {

std::string lowered(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool blank(const std::string& line) { return line.find_first_not_of(' ') == std::string::npos; }

// The help text, when it is an ordinary file of a sound size.
bool readText(const std::string& path, std::string& text) {
    constexpr std::int64_t kMaxHelpBytes = 4 << 20;
    std::vector<unsigned char> bytes;
    if (!readWholeFile(path, bytes, kMaxHelpBytes, false)) return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
}

HelpText unreadable(const std::string& path) {
    HelpText t;
    t.title = "Help - help file cannot be read";
    t.lines = {"The help file " + path + " cannot be read: " + describeFileError(lastFileError()) + "."};
    return t;
}

// The topic's heading, its first line, taken off the text with the blank lines after it: the
// window's title says it.
std::string takeHeading(std::vector<std::string>& lines) {
    if (lines.empty()) return "Help";
    std::string heading = lines.front();
    heading.erase(heading.find_last_not_of(' ') + 1);
    lines.erase(lines.begin());
    while (!lines.empty() && blank(lines.front())) lines.erase(lines.begin());
    return heading;
}

HelpText notFound(const std::string& name, const std::vector<std::string>& dirs) {
    HelpText t;
    t.title = "Help - help file not found";
    t.lines = {"Help file not found.", "", "The help viewer looked for " + name + " in:"};
    for (const std::string& dir : dirs) t.lines.push_back("    " + dir);
    t.lines.insert(t.lines.end(), {"", "Put the file in one of these directories (or set DP_DATA_DIR to the",
                                   "directory that holds it) and open the help again."});
    return t;
}

}  // namespace

std::vector<std::string> splitTextLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty() || lines.empty()) lines.push_back(cur);
    return lines;
}

std::optional<HelpRequest> parseHelpCommand(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string cur;
    for (char c : commandLine) {
        if (c == ' ' || c == '\t') {
            if (!cur.empty()) words.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) words.push_back(cur);
    if (words.empty()) return std::nullopt;
    std::string program = lowered(words[0]);
    const std::size_t slash = program.find_last_of("/\\");
    if (slash != std::string::npos) program = program.substr(slash + 1);
    if (program != "winhlp32" && program != "winhlp32.exe") return std::nullopt;
    HelpRequest req;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() >= 2 && (w[0] == '-' || w[0] == '/')) {
            if ((w[1] == 'I' || w[1] == 'i') && w.size() == 2) {
                if (i + 1 < words.size()) req.topic = words[++i];
            } else if (w[1] == 'I' || w[1] == 'i') {
                req.topic = w.substr(2);
            }
            continue;
        }
        req.file = w;
    }
    return req;
}

std::string helpTextName(const std::string& helpFile) {
    std::string name = helpFile;
    const std::size_t slash = name.find_last_of("/\\");
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
        if (lowered(name.substr(dot)) == ".hlp") return name.substr(0, dot) + ".txt";
        return name;
    }
    return name + ".txt";
}

std::vector<std::string> helpSearchDirs(const std::string& currentDir, const std::string& dataDirEnv,
                                        const std::string& moduleDir, const std::string& installDir) {
    std::vector<std::string> dirs;
    for (const std::string& d : {currentDir, dataDirEnv, moduleDir, installDir})
        if (!d.empty() && std::find(dirs.begin(), dirs.end(), d) == dirs.end()) dirs.push_back(d);
    return dirs;
}

std::vector<std::string> helpTopicLines(const std::string& fileText, const std::string& topic, bool* found) {
    const std::vector<std::string> lines = splitTextLines(fileText);
    std::vector<std::string> all, chosen;
    bool inTopic = false, seen = false;
    const std::string wanted = lowered(topic);
    for (const std::string& l : lines) {
        if (l.rfind("@topic", 0) == 0) {
            std::string name = l.substr(6);
            const std::size_t a = name.find_first_not_of(" \t");
            const std::size_t b = name.find_last_not_of(" \t");
            name = a == std::string::npos ? std::string() : name.substr(a, b - a + 1);
            inTopic = !wanted.empty() && lowered(name) == wanted;
            seen = seen || inTopic;
            continue;
        }
        all.push_back(l);
        if (inTopic) chosen.push_back(l);
    }
    if (found) *found = seen;
    std::vector<std::string>& out = seen ? chosen : all;
    while (!out.empty() && blank(out.front())) out.erase(out.begin());
    while (!out.empty() && blank(out.back())) out.pop_back();
    return out;
}

HelpText findHelpText(const HelpRequest& request, const std::vector<std::string>& dirs) {
    const std::string name = helpTextName(request.file.empty() ? std::string("writeup.hlp") : request.file);
    for (const std::string& dir : dirs) {
        const std::string path = resolvePath(dir, name);
        if (!fileExists(path)) continue;
        std::string text;
        if (!readText(path, text)) return unreadable(path);
        HelpText t;
        t.found = true;
        bool topicFound = false;
        t.lines = helpTopicLines(text, request.topic, &topicFound);
        // A topic is titled with its heading; the whole text (no topic, or one not in it) with its file.
        t.title = topicFound ? takeHeading(t.lines) : "Help - " + name;
        if (!request.topic.empty() && !topicFound)
            t.lines.insert(t.lines.begin(),
                           {"(The topic " + request.topic + " is not in " + name + "; the whole help text follows.)", ""});
        return t;
    }
    return notFound(name, dirs);
}

}  // namespace platform
