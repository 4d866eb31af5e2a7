// The help viewer's command line and the help text that stands for its compiled help file: what
// the terminal's pager and the Windows help window both show.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

struct HelpRequest {
    std::string topic;   // after -I; empty for the whole file
    std::string file;    // as named on the command line
};
// The help viewer's command line ("winhlp32 [-I TOPIC] FILE"), or nullopt for any other.
std::optional<HelpRequest> parseHelpCommand(const std::string& commandLine);
// The text file that stands for a compiled help file: same name, ".txt" for ".hlp".
std::string helpTextName(const std::string& helpFile);
// The places looked at, in order: the current directory, DP_DATA_DIR, the module's directory,
// and the installation's data directory (empty ones left out, none twice).
std::vector<std::string> helpSearchDirs(const std::string& currentDir, const std::string& dataDirEnv,
                                        const std::string& moduleDir, const std::string& installDir);
// The lines of one topic of a help text. Topics start with a line "@topic NAME"; a missing
// topic (or an empty name) gives the whole text with the topic lines left out.
std::vector<std::string> helpTopicLines(const std::string& fileText, const std::string& topic,
                                        bool* found = nullptr);
// A text split at CR LF, CR or LF.
std::vector<std::string> splitTextLines(const std::string& text);

struct HelpText {
    std::string title;
    std::vector<std::string> lines;
    bool found = false;  // false: the lines say why there is none (where it was looked for, or why it cannot be read)
};
// The help for a request, from the first of `dirs` that holds its text file: the topic's lines,
// titled with its heading (its first line, which the lines then leave out); all of the text,
// with a note first, titled with the file's name when the topic is not in it.
HelpText findHelpText(const HelpRequest& request, const std::vector<std::string>& dirs);

}  // namespace platform
