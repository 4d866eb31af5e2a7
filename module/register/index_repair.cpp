#include "register/index_repair.h"

#include "platform/message.h"
#include "register/index_check.h"

namespace dp {
namespace {

std::string lastReason() { return platform::describeFileError(platform::lastFileError()); }

// The name of the work as the first word of a sentence.
std::string sentenceStart(std::string work) {
    if (!work.empty() && work[0] >= 'a' && work[0] <= 'z') work[0] = static_cast<char>(work[0] - 'a' + 'A');
    return work;
}

// One file of the register, checked to be an ordinary file no larger than the register can
// address. False with why (naming the file) when it cannot be read.
bool readRegisterFile(const Client& client, const char* name, std::int64_t most, std::vector<unsigned char>& bytes,
                      std::string& why) {
    if (platform::readWholeFile(client.path(name), bytes, most)) return true;
    why = std::string(name) + ": " + lastReason();
    return false;
}

// The index check of both files. An index larger than the register can address is damaged as a
// whole: it is not read, and the rebuild is offered all the same.
bool checkRegister(const Client& client, IndexCheck& check, std::string& why) {
    std::vector<unsigned char> index, assets;
    if (!readRegisterFile(client, "depr.fil", kMaxAssetFileBytes, assets, why)) return false;
    if (readRegisterFile(client, "depr.idx", kMaxIndexFileBytes, index, why)) {
        check = checkIndex(index, assets);
        return true;
    }
    if (platform::lastFileError() != platform::FileError::TooLarge) return false;
    const std::int64_t entries = platform::fileSize(client.path("depr.idx")) / static_cast<std::int64_t>(kIndexEntryLength);
    check = IndexCheck{{{IndexProblem::Kind::TooManyEntries, entries, 0, {}}}, 1};
    return true;
}

std::vector<unsigned char> indexFileBytes(const std::vector<IndexBytes>& entries) {
    std::vector<unsigned char> bytes;
    bytes.reserve(entries.size() * kIndexEntryLength);
    for (const IndexBytes& e : entries) bytes.insert(bytes.end(), e.begin(), e.end());
    return bytes;
}

// The records the rebuild listed although their numbers need a look.
std::string oddNumbersText(const RebuiltIndex& rebuilt) {
    if (rebuilt.noteCount == 0) return {};
    std::string text = "\r\nCheck these records; each is listed so that nothing is lost:";
    for (const std::string& n : rebuilt.notes) text += "\r\n" + n;
    const auto shown = static_cast<std::int64_t>(rebuilt.notes.size());
    if (rebuilt.noteCount > shown) text += "\r\nand " + std::to_string(rebuilt.noteCount - shown) + " more.";
    return text;
}

}  // namespace

bool rebuildAssetIndex(Client& client, const std::string& title) {
    client.closeFiles();
    std::vector<unsigned char> assets;
    std::string why;
    bool ok = readRegisterFile(client, "depr.fil", kMaxAssetFileBytes, assets, why);
    const std::string damaged = client.path("depr.idx");
    if (ok && platform::fileExists(damaged)) ok = platform::copyFile(damaged, client.path(kDamagedIndexName));
    const RebuiltIndex rebuilt = rebuildIndex(assets);
    if (ok) ok = platform::writeWholeFile(damaged, indexFileBytes(rebuilt.entries));
    if (!ok) {
        if (why.empty()) why = lastReason();
        platform::messageBox("depr.idx could not be rebuilt: " + why + ".\r\nNothing was changed.", title,
                             platform::MsgIcon::Error);
        return false;
    }
    platform::messageBox("depr.idx was rebuilt from depr.fil: it now lists " + std::to_string(rebuilt.entries.size()) +
                             " assets in asset number order.\r\nThe damaged index is kept as " + kDamagedIndexName + "." +
                             oddNumbersText(rebuilt),
                         title, platform::MsgIcon::Information);
    return true;
}

IndexVerdict verifyAssetIndex(Client& client, const std::string& title, const std::string& work) {
    IndexCheck check;
    std::string why;
    if (!checkRegister(client, check, why)) {
        platform::messageBox("The asset files cannot be read: " + why + ".\r\n" + sentenceStart(work) + " stops; nothing was changed.",
                             title, platform::MsgIcon::Error);
        return IndexVerdict::Refused;
    }
    if (check.trusted()) return IndexVerdict::Trusted;
    const platform::MsgResult answer = platform::messageBox(
        "The asset index depr.idx does not match the asset file depr.fil:\r\n" + check.describe() +
            "\r\n\r\nRebuild depr.idx from depr.fil now? The damaged index is kept as " + kDamagedIndexName +
            ".\r\nWith No, " + work + " stops and nothing is changed.",
        title, platform::MsgIcon::Error, platform::MsgButtons::YesNo);
    if (answer != platform::MsgResult::Yes) return IndexVerdict::Refused;
    return rebuildAssetIndex(client, title) ? IndexVerdict::Repaired : IndexVerdict::Refused;
}

}  // namespace dp
