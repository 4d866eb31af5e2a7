// The direction of includes between the folders of the module and the platform: platform and
// format (which produces text and writes nothing) <- help, engine, register <- report, close,
// amort, form4562 <- entry. A file includes its own folder and the layers below it; within a
// layer only the uses named in kSideways. kToBeRemoved would list includes against the direction
// still to go (none are left); an entry that no longer occurs fails too, so the list only shrinks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::map<std::string, int> kLayer = {
    {"platform", 0}, {"format", 0}, {"help", 1},  {"engine", 1},   {"register", 1},
    {"report", 2},   {"close", 2},  {"amort", 2}, {"form4562", 2}, {"entry", 3},
};

// Uses within one layer: the engine reads the register's record layouts, the register's dialog
// shows the help; the amortization and Form 4562 print through the report's print-out.
const std::set<std::pair<std::string, std::string>> kSideways = {
    {"engine", "register"},
    {"register", "help"},
    {"amort", "report"},
    {"form4562", "report"},
};

// File (below the source directory) and the header it includes against the direction.
using Include = std::pair<std::string, std::string>;

const std::set<Include> kToBeRemoved = {};

bool allowed(const std::string& from, const std::string& to) {
    if (from == to) return true;
    const auto f = kLayer.find(from), t = kLayer.find(to);
    if (f == kLayer.end() || t == kLayer.end()) return true;  // not a folder of the module
    if (t->second < f->second) return true;
    return t->second == f->second && kSideways.count({from, to}) > 0;
}

struct Source {
    std::string path;    // below the source directory
    std::string folder;  // its folder of the module
};

std::vector<Source> sources() {
    const fs::path root(DP_SOURCE_DIR);
    std::vector<Source> out;
    auto add = [&](const fs::path& dir, const std::string& folder) {
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            const std::string ext = e.path().extension().string();
            if (e.is_regular_file() && (ext == ".h" || ext == ".cpp"))
                out.push_back({fs::relative(e.path(), root).generic_string(), folder});
        }
    };
    for (const auto& [folder, layer] : kLayer) {
        if (folder == "platform") continue;
        add(root / "module" / folder, folder);
    }
    add(root / "platform", "platform");
    return out;
}

// The quoted includes of a file that name a folder ("entry/session.h").
std::vector<std::string> includes(const std::string& path) {
    static const std::regex line(R"(^\s*#\s*include\s*"([a-z0-9_]+)/[^"]+")");
    std::ifstream in(fs::path(DP_SOURCE_DIR) / path);
    std::vector<std::string> out;
    std::string s;
    std::smatch m;
    while (std::getline(in, s)) {
        if (!std::regex_search(s, m, line)) continue;
        const std::string text = s.substr(s.find('"') + 1);
        out.push_back(text.substr(0, text.find('"')));
    }
    return out;
}

std::set<Include> againstTheDirection() {
    std::set<Include> found;
    for (const Source& src : sources())
        for (const std::string& inc : includes(src.path))
            if (!allowed(src.folder, inc.substr(0, inc.find('/')))) found.insert({src.path, inc});
    return found;
}

TEST(IncludeDirection, TheRule) {
    EXPECT_TRUE(allowed("report", "engine"));
    EXPECT_TRUE(allowed("entry", "report"));
    EXPECT_TRUE(allowed("engine", "register"));
    EXPECT_TRUE(allowed("register", "platform"));
    EXPECT_FALSE(allowed("format", "platform"));
    EXPECT_FALSE(allowed("platform", "format"));
    EXPECT_FALSE(allowed("register", "engine"));
    EXPECT_FALSE(allowed("register", "entry"));
    EXPECT_FALSE(allowed("report", "entry"));
    EXPECT_FALSE(allowed("close", "amort"));
    EXPECT_FALSE(allowed("engine", "report"));
}

TEST(IncludeDirection, EveryFolderIsRead) {
    std::set<std::string> folders;
    for (const Source& s : sources()) folders.insert(s.folder);
    EXPECT_EQ(folders.size(), kLayer.size());
    EXPECT_FALSE(includes("module/report/report_layout.cpp").empty());
}

TEST(IncludeDirection, NoIncludeAgainstTheDirectionBeyondTheListToBeRemoved) {
    const std::set<Include> found = againstTheDirection();
    for (const Include& i : found)
        EXPECT_TRUE(kToBeRemoved.count(i)) << i.first << " includes " << i.second << " against the direction";
    for (const Include& i : kToBeRemoved)
        EXPECT_TRUE(found.count(i)) << i.first << " no longer includes " << i.second << ": take it off the list";
}

// Two headers of the module defining a type of the same name in namespace dp break the one
// definition rule: the linker keeps one of the two destructors for both (the amortization's
// ReportHeading was once destroyed as the depreciation report's).
TEST(TypeNames, NoTwoHeadersDefineTheSameType) {
    static const std::regex definition(R"(^(?:struct|class) ([A-Za-z_][A-Za-z0-9_]*)\b[^;]*$)");
    std::map<std::string, std::string> definedIn;
    for (const Source& src : sources()) {
        if (src.folder == "platform" || fs::path(src.path).extension() != ".h") continue;
        std::ifstream in(fs::path(DP_SOURCE_DIR) / src.path);
        std::string s;
        std::smatch m;
        while (std::getline(in, s)) {
            if (!std::regex_search(s, m, definition)) continue;
            const auto [at, added] = definedIn.emplace(m[1].str(), src.path);
            EXPECT_TRUE(added) << m[1] << " is defined in " << at->second << " and in " << src.path;
        }
    }
    EXPECT_GT(definedIn.size(), 20u);
}

// ---- function sizes and names -----------------------------------------------------------------

// The code of a file with comments, string and character literals blanked (line ends kept), so
// that braces and names are only the code's own.
std::string codeOnly(const std::string& text) {
    std::string out = text;
    enum { Code, Line, Block, Str, Chr } state = Code;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char c = text[i], next = i + 1 < text.size() ? text[i + 1] : '\0';
        switch (state) {
        case Code:
            if (c == '/' && next == '/') state = Line;
            else if (c == '/' && next == '*') state = Block;
            else if (c == '"') state = Str;
            else if (c == '\'') state = Chr;
            else continue;
            if (state == Str || state == Chr) continue;
            out[i] = ' ';
            break;
        case Line:
            if (c == '\n') state = Code;
            else out[i] = ' ';
            break;
        case Block:
            if (c == '*' && next == '/') {
                out[i] = out[i + 1] = ' ';
                ++i;
                state = Code;
            } else if (c != '\n') {
                out[i] = ' ';
            }
            break;
        case Str:
        case Chr:
            if (c == '\\') {
                out[i] = ' ';
                if (i + 1 < out.size()) out[++i] = ' ';
            } else if (c == (state == Str ? '"' : '\'')) {
                state = Code;
            } else if (c != '\n') {
                out[i] = ' ';
            }
            break;
        }
    }
    return out;
}

struct FunctionBody {
    std::string name;  // the last name before its parameter list
    int firstLine, lines;
};

// The bodies of the functions of a file that stand outside any other function (members defined
// in a class included): a "{" after a parameter list, outside every function body.
std::vector<FunctionBody> functionBodies(const std::string& text) {
    static const std::regex head(R"(([A-Za-z_~][A-Za-z0-9_]*)\s*\([^;{}]*\)\s*(const|override|noexcept|final|mutable|\s|->\s*[A-Za-z_:<>,\s]+)*\s*$)");
    static const std::regex notFunction(R"(\b(if|for|while|switch|catch|return|sizeof|decltype)\s*$)");
    const std::string code = codeOnly(text);
    std::vector<FunctionBody> out;
    int depth = 0, bodyDepth = -1, line = 1, bodyStart = 0;
    std::size_t statementStart = 0;
    std::string name;
    for (std::size_t i = 0; i < code.size(); ++i) {
        const char c = code[i];
        if (c == '\n') ++line;
        if (c == ';' || c == '}') statementStart = i + 1;
        if (c == '{') {
            if (bodyDepth < 0) {
                const std::string before = code.substr(statementStart, i - statementStart);
                std::smatch m;
                if (std::regex_search(before, m, head) && !std::regex_search(std::string(m.prefix()) + m[1].str(), notFunction)) {
                    bodyDepth = depth;
                    bodyStart = line;
                    name = m[1];
                }
            }
            ++depth;
            statementStart = i + 1;
        } else if (c == '}') {
            --depth;
            if (depth == bodyDepth) {
                out.push_back({name, bodyStart, line - bodyStart + 1});
                bodyDepth = -1;
            }
        }
    }
    return out;
}

TEST(FunctionSize, TheScannerFindsBodies) {
    const std::string text =
        "namespace dp {\nint f(int a) {\n  if (a) {\n    return 1;\n  }\n  return \"}\";\n}\n"
        "struct S {\n  void g() const { h(); }\n};\nvoid S::k()\n{\n  auto l = [] { return 2; };\n}\n}\n";
    const std::vector<FunctionBody> b = functionBodies(text);
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(b[0].name, "f");
    EXPECT_EQ(b[0].lines, 6);
    EXPECT_EQ(b[1].name, "g");
    EXPECT_EQ(b[1].lines, 1);
    EXPECT_EQ(b[2].name, "k");
    EXPECT_EQ(b[2].lines, 3);  // from its opening brace
}

// The function bodies of the module's sources (the platform layer left out), with their file.
std::vector<std::pair<std::string, FunctionBody>> moduleFunctionBodies() {
    std::vector<std::pair<std::string, FunctionBody>> all;
    for (const Source& src : sources()) {
        if (src.folder == "platform") continue;
        std::ifstream in(fs::path(DP_SOURCE_DIR) / src.path);
        std::stringstream text;
        text << in.rdbuf();
        for (FunctionBody& b : functionBodies(text.str())) all.emplace_back(src.path, std::move(b));
    }
    return all;
}

// A function of the module reads at once: none is longer than 120 lines.
TEST(FunctionSize, NoFunctionOfTheModuleOverAHundredAndTwentyLines) {
    int bodies = 0;
    for (const auto& [path, b] : moduleFunctionBodies()) {
        ++bodies;
        EXPECT_LE(b.lines, 120) << path << ":" << b.firstLine << " " << b.name << " has " << b.lines << " lines";
    }
    EXPECT_GT(bodies, 300);
}

// No two functions of the module whose names differ only in letter case: the procedures keep
// their names, the functions inside them are named for what they do.
TEST(FunctionNames, NoTwoDifferOnlyInLetterCase) {
    std::map<std::string, std::set<std::string>> byLowerCase;
    for (const auto& [path, b] : moduleFunctionBodies()) {
        std::string lower = b.name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        byLowerCase[lower].insert(b.name);
    }
    for (const auto& [lower, names] : byLowerCase) {
        std::string all;
        for (const std::string& n : names) all += " " + n;
        EXPECT_EQ(names.size(), 1u) << "names that differ only in letter case:" << all;
    }
}

}  // namespace
