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

}  // namespace
