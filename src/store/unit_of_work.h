#pragma once
// One step on an open cruise file, landing whole or not at all. While the step runs,
// commits wait (the commits inside the step's code included); when it completes its
// changes are committed once, and a step that stops early (refused, failed,
// cancelled) drops them, so the file keeps every byte it had. A step that changed
// nothing writes nothing: tables it only created, still empty, are left out, and the
// engine writes no value that is as committed.
//
// A step begun inside another joins it: completing it leaves the commit to the
// enclosing step, and discarding it drops the enclosing step's changes as well.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mk/mk.h"

namespace store {

class CCruiseStore;

class UnitOfWork {
public:
    // The storage (or store) must be open; the step begins at once.
    explicit UnitOfWork(mk::Storage& storage);
    explicit UnitOfWork(CCruiseStore& store);
    // Discards unless the step completed.
    ~UnitOfWork();
    UnitOfWork(const UnitOfWork&) = delete;
    UnitOfWork& operator=(const UnitOfWork&) = delete;

    // The step went through: its changes are committed. False when the commit failed;
    // then the file and the storage keep the state from before the step.
    bool Complete();
    // The step stopped: its changes are dropped. A store's slots are all closed.
    void Discard();
    // Neither completed nor discarded yet.
    bool Running() const { return running_; }

private:
    void DropNewEmptyTables();
    void Rollback();

    mk::Storage& storage_;
    CCruiseStore* store_ = nullptr;
    std::vector<std::string> tables_;  // the tables the file had when the step began
    bool was_held_ = false;
    bool running_ = true;
};

// Copies of some tables, to tell later whether a step changed them and to put them
// back when a form is cancelled.
class TableSnapshot {
public:
    TableSnapshot(mk::Storage& storage, const std::vector<std::string>& tables);
    // Whether any of the tables now holds other rows or values (a table the file did
    // not have counts as one without rows).
    bool Changed(mk::Storage& storage) const;
    // Puts the rows back as they were (a table the file did not have is emptied).
    void Restore(mk::Storage& storage) const;

private:
    std::vector<std::pair<std::string, std::optional<mk::View>>> copies_;
};

// Same columns (by name and type), rows and values, subviews included.
bool SameRows(const mk::View& a, const mk::View& b);
// Gives `target` the rows of `rows` (matching columns by name); a target that holds
// them already is left untouched, so putting back what is there writes nothing.
void PutRows(mk::View& target, const mk::View& rows);

}  // namespace store
