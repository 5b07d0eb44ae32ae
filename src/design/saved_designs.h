#pragma once
// Named designs kept inside the cruise file (SVSaveDesignTable): a snapshot of the
// design, method and setup work tables per ID, and the Save/Load Designs dialog.
#include <string>
#include <vector>

#include "mk/mk.h"
#include "ui/form.h"
#include "ui/ui_port.h"

namespace design {

inline constexpr const char* kSavedDesignsFormId = "design.saved_designs";

inline constexpr const char* kNoDesignIdText = "No Design ID Provided.";
inline constexpr const char* kDesignIdNotFoundText = "Design ID Not Found.";
inline constexpr const char* kReplaceDesignText = "\r\n\r\nDesign ID Exists.\r\n\r\n  Do you want to replace it?";
inline constexpr const char* kDeleteDesignText = "\r\n\r\nDo you wish to delete selected design?";
inline constexpr const char* kDesignSavedText = "Design specifications have been saved.";
inline constexpr const char* kDesignLoadedText = "Design specifications have been loaded.";
inline constexpr const char* kNoSavedDesignsText = "No Saved Designs";

enum class DesignsMode { Save, Load, Remove };

// Results of the dialog: a row index, a new ID (saving), or cancelled. "New" is no
// row number, so it can never be taken for a saved design, however many there are.
constexpr int kDesignCancelled = -1;
constexpr int kNewDesign = -2;

class SavedDesignsForm : public ui::Form {
public:
    SavedDesignsForm(ui::UiPort& ui, DesignsMode mode, std::vector<std::string> ids)
        : ids(std::move(ids)), ui_(ui), mode_(mode) {}
    std::string FormId() const override { return kSavedDesignsFormId; }
    std::string Title() const override { return "Save/Load Designs"; }
    DesignsMode Mode() const { return mode_; }
    std::string ActionText() const;  // "Save", "Load" or "Remove"

    std::vector<std::string> ids;  // the list box, in table order
    std::string id;                // the "Design ID" edit box

    // Selecting or double-clicking a list entry copies it into the edit box.
    void Pick(std::size_t index);
    // The action button; true when the dialog closes with a result.
    bool OnAction();
    int Result() const { return result_; }

private:
    ui::UiPort& ui_;
    DesignsMode mode_;
    int result_ = kDesignCancelled;
};

// IDs compare without regard to letter case.
bool SameDesignId(const std::string& a, const std::string& b);

// The work tables a snapshot holds, and the nested view that holds each.
struct SnapshotPart {
    const char* nested;
    const char* table;
    const char* description;  // how to create the table when the file lacks it
};
const std::vector<SnapshotPart>& SnapshotParts();

std::vector<std::string> SavedDesignIds(mk::Storage& storage);
// Copies the current tables into row `row` (kNewDesign appends a row with `id`; an
// existing row keeps its ID). Returns the row written, -1 on failure.
int WriteDesignSnapshot(mk::Storage& storage, int row, const std::string& id);
// Replaces the work tables by the snapshot of `row`; false for a bad row.
bool ReadDesignSnapshot(mk::Storage& storage, int row);
bool RemoveDesignSnapshot(mk::Storage& storage, int row);
// Big BAF is not part of a snapshot: after a load it follows from the loaded sizes
// and plot sizes again (0 for methods without one).
void RecomputeBigBaf(mk::Storage& storage);

}  // namespace design
