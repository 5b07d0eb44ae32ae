#include "store/unit_of_work.h"

#include <algorithm>
#include <cstring>

#include "store/cruise_store.h"

namespace store {

namespace {

std::vector<mk::Field> FieldsOf(const mk::View& v) {
    std::vector<mk::Field> fields;
    for (int c = 0; c < v.ColumnCount(); ++c) fields.push_back(v.Column(c));
    return fields;
}

}  // namespace

UnitOfWork::UnitOfWork(mk::Storage& storage)
    : storage_(storage), tables_(storage.ViewNames()), was_held_(storage.Held()) {
    storage_.Hold(true);
}

UnitOfWork::UnitOfWork(CCruiseStore& store) : UnitOfWork(*store.Storage()) { store_ = &store; }

UnitOfWork::~UnitOfWork() {
    if (running_) Discard();
}

void UnitOfWork::DropNewEmptyTables() {
    auto fields = mk::ParseFields(storage_.Structure());
    if (!fields) return;
    const size_t before = fields->size();
    std::erase_if(*fields, [&](const mk::Field& f) {
        return f.type == mk::Type::View &&
               std::find(tables_.begin(), tables_.end(), f.name) == tables_.end() &&
               storage_.GetView(f.name).RowCount() == 0;
    });
    if (fields->size() == before) return;
    if (store_) {
        // Slots on a dropped table would write into nothing.
        for (const std::string& name : storage_.ViewNames())
            if (!std::any_of(fields->begin(), fields->end(), [&](const mk::Field& f) { return f.name == name; }))
                store_->DeleteView(name);
    } else {
        (void)storage_.SetStructure(mk::FormatFields(*fields));
    }
}

bool UnitOfWork::Complete() {
    if (!running_) return false;
    running_ = false;
    DropNewEmptyTables();
    storage_.Hold(was_held_);
    // Inside an enclosing step the commit waits for that one.
    if (was_held_) return true;
    const int rc = store_ ? store_->Commit() : (storage_.Commit() ? 0 : -1);
    if (rc == 0) return true;
    Rollback();
    return false;
}

void UnitOfWork::Discard() {
    if (!running_) return;
    running_ = false;
    storage_.Hold(was_held_);
    Rollback();
}

void UnitOfWork::Rollback() {
    if (store_) (void)store_->Rollback();
    else (void)storage_.Rollback();
}

// ---- snapshots --------------------------------------------------------------------

bool SameRows(const mk::View& a, const mk::View& b) {
    if (a.RowCount() != b.RowCount() || a.ColumnCount() != b.ColumnCount()) return false;
    for (int c = 0; c < a.ColumnCount(); ++c) {
        const mk::Field& f = a.Column(c);
        const int bc = b.FindColumn(f.name);
        if (bc < 0 || b.Column(bc).type != f.type) return false;
        for (int r = 0; r < a.RowCount(); ++r) {
            switch (f.type) {
            case mk::Type::Int:
            case mk::Type::Long:
                if (a.GetLong(r, c) != b.GetLong(r, bc)) return false;
                break;
            case mk::Type::Float:
            case mk::Type::Double: {
                // Bit for bit: a value written again must not count as a change, nor
                // a NaN as equal to itself being different.
                const double x = a.GetDouble(r, c), y = b.GetDouble(r, bc);
                if (std::memcmp(&x, &y, sizeof x) != 0) return false;
                break;
            }
            case mk::Type::Bytes:
                if (a.GetBytes(r, c) != b.GetBytes(r, bc)) return false;
                break;
            case mk::Type::View:
                if (!SameRows(a.GetSubview(r, c), b.GetSubview(r, bc))) return false;
                break;
            case mk::Type::String:
                if (a.GetString(r, c) != b.GetString(r, bc)) return false;
                break;
            }
        }
    }
    return true;
}

TableSnapshot::TableSnapshot(mk::Storage& storage, const std::vector<std::string>& tables) {
    for (const std::string& name : tables) {
        std::optional<mk::View> copy;
        if (storage.HasView(name)) copy = storage.GetView(name).Clone();
        copies_.emplace_back(name, std::move(copy));
    }
}

bool TableSnapshot::Changed(mk::Storage& storage) const {
    for (const auto& [name, copy] : copies_) {
        const bool has = storage.HasView(name);
        if (!copy) {
            if (has && storage.GetView(name).RowCount() > 0) return true;
        } else if (!has ? copy->RowCount() > 0 : !SameRows(*copy, storage.GetView(name))) {
            return true;
        }
    }
    return false;
}

void TableSnapshot::Restore(mk::Storage& storage) const {
    for (const auto& [name, copy] : copies_) {
        if (!copy) {
            if (storage.HasView(name)) storage.GetView(name).RemoveAll();
            continue;
        }
        auto table = storage.GetAs(name + "[" + mk::FormatFields(FieldsOf(*copy)) + "]");
        if (table) PutRows(*table, *copy);
    }
}

void PutRows(mk::View& target, const mk::View& rows) {
    if (SameRows(rows, target)) return;
    target.RemoveAll();
    for (int r = 0; r < rows.RowCount(); ++r) target.AddRowFrom(rows, r);
}

}  // namespace store
