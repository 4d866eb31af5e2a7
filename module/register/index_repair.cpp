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

bool readRegisterBytes(const Client& client, std::vector<unsigned char>& index, std::vector<unsigned char>& assets) {
    return platform::readWholeFile(client.path("depr.idx"), index) &&
           platform::readWholeFile(client.path("depr.fil"), assets);
}

std::vector<unsigned char> indexFileBytes(const std::vector<IndexBytes>& entries) {
    std::vector<unsigned char> bytes;
    bytes.reserve(entries.size() * kIndexEntryLength);
    for (const IndexBytes& e : entries) bytes.insert(bytes.end(), e.begin(), e.end());
    return bytes;
}

}  // namespace

bool rebuildAssetIndex(Client& client, const std::string& title) {
    client.closeFiles();
    std::vector<unsigned char> index, assets;
    bool ok = readRegisterBytes(client, index, assets);
    const std::string damaged = client.path("depr.idx");
    if (ok && platform::fileExists(damaged)) ok = platform::copyFile(damaged, client.path(kDamagedIndexName));
    const std::vector<IndexBytes> rebuilt = rebuildIndex(assets);
    if (ok) ok = platform::writeWholeFile(damaged, indexFileBytes(rebuilt));
    if (!ok) {
        platform::messageBox("depr.idx could not be rebuilt: " + lastReason() + ".\r\nNothing was changed.", title,
                             platform::MsgIcon::Error);
        return false;
    }
    platform::messageBox("depr.idx was rebuilt from depr.fil: it now lists " + std::to_string(rebuilt.size()) +
                             " assets in asset number order.\r\nThe damaged index is kept as " + kDamagedIndexName + ".",
                         title, platform::MsgIcon::Information);
    return true;
}

IndexVerdict verifyAssetIndex(Client& client, const std::string& title, const std::string& work) {
    std::vector<unsigned char> index, assets;
    if (!readRegisterBytes(client, index, assets)) {
        platform::messageBox("The asset files cannot be read: " + lastReason() + ".\r\n" + sentenceStart(work) + " stops; nothing was changed.",
                             title, platform::MsgIcon::Error);
        return IndexVerdict::Refused;
    }
    const IndexCheck check = checkIndex(index, assets);
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
