#include "register/asset_picker.h"

#include <algorithm>
#include <cmath>

#include "platform/files.h"
#include "register/asset_files.h"

namespace dp {
namespace {

constexpr int kListId = 601;
constexpr int kOkId = 602;
constexpr int kCancelId = 603;

// A list line is plain text: a stored field ends at its first NUL, as it would in a list box.
std::string upToNul(const std::string& s) { return s.substr(0, s.find('\0')); }

}  // namespace

int pickerListHeight(std::size_t entries) {
    const long h = std::lround(8.6 * static_cast<double>(entries) + 4.0);
    return static_cast<int>(std::max(100L, std::min(h, 170L)));
}

std::vector<std::string> pickerLines(const Client& s) {
    std::vector<std::string> lines;
    const std::size_t count = static_cast<std::size_t>(std::max<int>(s.entryCount, 0));
    lines.reserve(count);
    // The listing reads into a buffer of its own: a record being edited stays as it is.
    AssetRecord rec;
    for (std::size_t i = 1; i <= count; ++i) {
        const IndexBytes e = i < s.AssetIndex.size() ? s.AssetIndex[i] : IndexBytes{};
        readAssetRecord(s.fil, indexRecordNumber(e), rec);  // unreadable: the previous description
        lines.push_back(fixedText(upToNul(indexKey(e)), 6) + "  " + upToNul(rec.Description));
    }
    return lines;
}

platform::DialogTemplate buildPickerDialog(const std::string& clientCode, int h, bool offerOk) {
    using platform::ControlKind;
    platform::DialogTemplate t;
    t.caption = "Asset Listing (" + trimBoth(clientCode) + ")";
    t.x = 40;
    t.y = 30;
    t.width = 150;
    t.height = h + 32;
    t.centred = false;
    t.systemMenu = true;
    t.topmost = true;
    t.controls = {
        {ControlKind::Label, 599, "", 5, 3, 150, 10},
        {ControlKind::ListBox, kListId, "", 5, 12, 140, h,
         platform::StyleVScroll | platform::StyleHScroll | platform::StyleSunken | platform::StyleFixedFont},
    };
    if (offerOk) {
        t.controls.push_back({ControlKind::Button, kOkId, "&OK", 30, h + 16, 40, 14, platform::StyleDefault});
        t.controls.push_back({ControlKind::Button, kCancelId, "&Cancel", 75, h + 16, 40, 14});
    } else {
        t.controls.push_back({ControlKind::Button, kCancelId, "&Cancel", t.width / 2 - 20, h + 16, 40, 14});
    }
    return t;
}

std::string PickAsset(Client& s, std::int32_t pickMarker, std::string& sharedText, int mode) {
    (void)sharedText;
    (void)mode;
    const std::string& clientCode = s.code();
    s.idx.close();
    s.fil.close();
    s.idx.open(s.path("depr.idx"), kIndexEntryLength, false, kMaxIndexFileBytes);
    s.fil.open(s.path("depr.fil"), kAssetRecordLength, false, kMaxAssetFileBytes);
    s.entryCount = static_cast<std::int16_t>(std::min<std::int64_t>(s.idx.recordCount(), kMaxRecords));

    std::vector<std::string> lines = pickerLines(s);
    const bool offerOk = pickMarker == kPickFromNumberBox;
    std::string selected;
    platform::showModal(buildPickerDialog(clientCode, pickerListHeight(lines.size()), offerOk),
                        [&](platform::Dialog& dlg, const platform::Event& ev) {
                            switch (ev.kind) {
                                case platform::EventKind::Init:
                                    dlg.setListLines(kListId, lines);
                                    break;
                                case platform::EventKind::Notify:
                                    if (ev.id == kListId) {
                                        const int sel = dlg.listSelection(kListId);
                                        const auto all = dlg.listLines(kListId);
                                        selected = sel >= 0 ? all[static_cast<std::size_t>(sel)] : std::string();
                                        // The close box chooses the selected line, as "&OK" does.
                                        const std::string number = trimRight(selected.substr(0, 6));
                                        dlg.setEscapeHint(offerOk && !number.empty() ? "open " + number : "close");
                                    }
                                    break;
                                case platform::EventKind::Command:
                                    if (ev.id == kOkId) {
                                        dlg.end();
                                    } else if (ev.id == kCancelId) {
                                        selected.clear();
                                        dlg.end();
                                    }
                                    break;
                                case platform::EventKind::Close:
                                    s.closeFiles();
                                    break;
                            }
                        });
    if (!offerOk || selected.empty()) return {};
    return selected.substr(0, 6);
}

}  // namespace dp
