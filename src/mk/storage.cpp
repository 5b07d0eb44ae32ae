#include <algorithm>

#include "mk/convert.h"
#include "mk/file_io.h"
#include "mk/mk.h"
#include "mk/reader.h"
#include "mk/view_impl.h"
#include "mk/writer.h"

namespace mk {

using detail::Table;
using detail::ViewImpl;

namespace detail {

struct StorageImpl {
    std::string path;
    OpenMode mode = OpenMode::ReadWrite;
    std::unique_ptr<File> file;
    bool open = true;
    bool held = false;
    bool recovered = false;
    bool scratch = false;  // commits stay in memory
    std::shared_ptr<Table> root;
    Committed state;

    StorageImpl() : root(std::make_shared<Table>(std::vector<Field>{})) { root->Resize(1); }
};

namespace {

// Adds to t every described column it lacks (defaults in every row), recursively.
void MergeInto(Table& t, const std::vector<Field>& want) {
    for (const Field& w : want) {
        int i = t.Find(w.name);
        if (i < 0) {
            t.AddColumn(w);
            continue;
        }
        Field& have = t.fields[size_t(i)];
        if (have.type != Type::View || w.type != Type::View || have.recursive || w.recursive) continue;
        Table layout(have.subfields);
        MergeInto(layout, w.subfields);
        if (FormatFields(layout.fields) != FormatFields(have.subfields)) {
            have.subfields = layout.fields;
            t.Touch();
        }
        for (uint32_t r = 0; r < t.rows; ++r)
            if (auto& sub = t.cols[size_t(i)].Sub(r)) MergeInto(*sub, w.subfields);
    }
    // A recursive subview has t's columns: every stored level gets the same additions,
    // or the walk would no longer match the structure text.
    for (size_t c = 0; c < t.fields.size(); ++c) {
        if (t.fields[c].type != Type::View || !t.fields[c].recursive) continue;
        for (uint32_t r = 0; r < t.rows; ++r)
            if (auto& sub = t.cols[c].Sub(r)) MergeInto(*sub, want);
    }
}

// Stores the spelling of the description for every column it names.
void Respell(Table& t, const std::vector<Field>& want) {
    for (const Field& w : want) {
        int i = t.Find(w.name);
        if (i < 0) continue;
        Field& have = t.fields[size_t(i)];
        if (have.name != w.name) {
            have.name = w.name;
            t.Touch();
        }
        if (have.type != Type::View || w.type != Type::View || have.recursive || w.recursive) continue;
        Table layout(have.subfields);
        Respell(layout, w.subfields);
        have.subfields = layout.fields;
        for (uint32_t r = 0; r < t.rows; ++r)
            if (auto& sub = t.cols[size_t(i)].Sub(r)) Respell(*sub, w.subfields);
    }
}

// Brings t to exactly the layout want: columns dropped, added, reordered, converted.
void Restructure(Table& t, const std::vector<Field>& want) {
    Table next(want);
    next.Resize(t.rows);
    for (size_t c = 0; c < want.size(); ++c) {
        const Field& w = want[c];
        int i = t.Find(w.name);
        if (i < 0) continue;
        const Field& have = t.fields[size_t(i)];
        if (have.type == w.type && w.type == Type::View) {
            std::vector<Field> layout = w.recursive ? want : w.subfields;
            for (uint32_t r = 0; r < t.rows; ++r)
                if (auto& sub = t.cols[size_t(i)].Sub(r)) Restructure(*sub, layout);
            next.cols[c] = std::move(t.cols[size_t(i)]);
        } else if (have.type == w.type) {
            next.cols[c] = std::move(t.cols[size_t(i)]);
        } else if (w.type != Type::View && have.type != Type::View) {
            for (uint32_t r = 0; r < t.rows; ++r) CopyCell(t, r, i, next, r, static_cast<int>(c));
        }
    }
    t.fields = want;
    t.cols = std::move(next.cols);
    t.Touch();
}

}  // namespace
}  // namespace detail

namespace {

// A top-level view cannot repeat the storage's own columns: no reader could walk it.
Error TopLevelRecursive(const std::string& name) {
    return Error{Errc::BadDescription, "view \"" + name + "\" cannot be recursive at the top level"};
}

}  // namespace

using detail::StorageImpl;

namespace {

// The storage works on the state just read from its file.
void AdoptLoaded(StorageImpl& st, const detail::Loaded& loaded) {
    st.recovered = loaded.recovered;
    st.root = loaded.root;
    st.state = detail::Committed{};
    st.state.base = loaded.base;
    st.state.big = loaded.big;
    st.state.hasData = loaded.hasData;
    st.state.walk = loaded.walk;
    st.state.walkRef = loaded.walkRef;
    st.state.tailEnd = loaded.tailEnd;
    if (st.state.hasData) detail::CollectUsed(*st.root, st.state);
}

}  // namespace

Storage::Storage() : impl_(std::make_unique<StorageImpl>()) {}
Storage::~Storage() = default;
Storage::Storage(Storage&&) noexcept = default;
Storage& Storage::operator=(Storage&&) noexcept = default;

Result<Storage> Storage::Open(const std::string& path, OpenMode mode) {
    auto file = detail::File::Open(path, mode == OpenMode::ReadWrite);
    if (!file) return file.error();
    auto image = std::make_shared<detail::Image>();
    Status read = (*file)->ReadAll(*image);
    if (!read) return read.error();
    auto loaded = detail::Load(image);
    if (!loaded) return Error{loaded.error().code, path + ": " + loaded.error().message};
    Storage s;
    StorageImpl& st = *s.impl_;
    st.path = path;
    st.mode = mode;
    st.file = std::move(*file);
    AdoptLoaded(st, *loaded);
    if (mode == OpenMode::ReadWrite) detail::RemoveStaleTempFiles(path);
    return s;
}

Result<Storage> Storage::FromBytes(std::string_view bytes) {
    auto image = std::make_shared<detail::Image>(bytes.begin(), bytes.end());
    auto loaded = detail::Load(image);
    if (!loaded) return loaded.error();
    Storage s;
    s.impl_->mode = OpenMode::ReadOnly;
    s.impl_->recovered = loaded->recovered;
    s.impl_->root = loaded->root;
    s.impl_->state.big = loaded->big;
    return s;
}

Result<Storage> Storage::Scratch(std::string_view bytes) {
    auto s = FromBytes(bytes);
    if (!s) return s;
    s->impl_->mode = OpenMode::ReadWrite;
    s->impl_->scratch = true;
    return s;
}

Result<std::string> Storage::Packed() const {
    if (!impl_->open) return Error{Errc::NotOpen, "storage is closed"};
    return detail::BuildPacked(*impl_->root);
}

Result<Storage> Storage::Create(const std::string& path) {
    auto file = detail::File::Create(path);
    if (!file) return file.error();
    detail::RemoveStaleTempFiles(path);
    Storage s;
    s.impl_->path = path;
    s.impl_->file = std::move(*file);
    return s;
}

bool Storage::IsOpen() const { return impl_ && impl_->open; }

void Storage::Close() {
    if (!impl_) return;
    impl_ = std::make_unique<StorageImpl>();
    impl_->open = false;
}

const std::string& Storage::Path() const { return impl_->path; }
ByteOrder Storage::Order() const { return impl_->state.big ? ByteOrder::Big : ByteOrder::Little; }
bool Storage::Recovered() const { return impl_->recovered; }

std::string Storage::Structure() const { return FormatFields(impl_->root->fields); }

std::string Storage::Structure(std::string_view view) const {
    int i = impl_->root->Find(view);
    if (i < 0 || impl_->root->fields[size_t(i)].type != Type::View) return {};
    return FormatFields(impl_->root->fields[size_t(i)].subfields);
}

std::vector<std::string> Storage::ViewNames() const {
    std::vector<std::string> out;
    for (const Field& f : impl_->root->fields)
        if (f.type == Type::View) out.push_back(f.name);
    return out;
}

bool Storage::HasView(std::string_view name) const {
    int i = impl_->root->Find(name);
    return i >= 0 && impl_->root->fields[size_t(i)].type == Type::View;
}

View Storage::GetView(std::string_view name) {
    Table& root = *impl_->root;
    int i = root.Find(name);
    if (!impl_->open || i < 0 || root.fields[size_t(i)].type != Type::View) return View();
    root.SubAt(0, i);
    return View(ViewImpl::OnTable(root.cols[size_t(i)].Sub(0), root.fields[size_t(i)].subfields));
}

Result<View> Storage::GetAs(std::string_view description) {
    if (!impl_->open) return Error{Errc::NotOpen, "storage is closed"};
    auto parsed = ParseFields(description);
    if (!parsed) return parsed.error();
    if (parsed->size() != 1) return Error{Errc::BadDescription, "not one view: \"" + std::string(description) + "\""};
    Field want = (*parsed)[0];
    if (want.type != Type::View) want = Field{want.name, Type::View, {}, false};
    if (want.recursive) return TopLevelRecursive(want.name);
    Table& root = *impl_->root;
    int i = root.Find(want.name);
    if (i < 0) {
        root.AddColumn(want);
        i = static_cast<int>(root.fields.size()) - 1;
    } else if (root.fields[size_t(i)].type != Type::View) {
        return Error{Errc::NotFound, "\"" + want.name + "\" is not a view"};
    } else {
        Field& have = root.fields[size_t(i)];
        std::string wantText = FormatFields({want});
        if (!SameName(FormatFields({have}), wantText)) {
            // A description that differs in more than letter case stores its spelling.
            Table probe({have});
            detail::Respell(probe, {want});
            detail::MergeInto(probe, {want});
            have = probe.fields[0];
            root.Touch();
            Table& t = root.SubAt(0, i);
            detail::Respell(t, want.subfields);
            detail::MergeInto(t, want.subfields);
        }
    }
    root.SubAt(0, i);
    return View(ViewImpl::OnTable(root.cols[size_t(i)].Sub(0), want.subfields));
}

Status Storage::SetStructure(std::string_view structure) {
    if (!impl_->open) return Error{Errc::NotOpen, "storage is closed"};
    auto parsed = ParseFields(structure);
    if (!parsed) return parsed.error();
    Table& root = *impl_->root;
    if (SameName(FormatFields(*parsed), FormatFields(root.fields))) return {};
    // Plain top-level columns exist in some files, but the library does not read them
    // back reliably: keep those already stored, never create new ones.
    for (const Field& f : *parsed) {
        if (f.recursive) return TopLevelRecursive(f.name);
        int i = root.Find(f.name);
        if (f.type != Type::View && (i < 0 || root.fields[size_t(i)].type != f.type))
            return Error{Errc::BadDescription, "top-level field \"" + f.name + "\" is not a view"};
    }
    detail::Restructure(root, *parsed);
    return {};
}

void Storage::Hold(bool held) { impl_->held = held; }
bool Storage::Held() const { return impl_->held; }

Status Storage::Rollback() {
    StorageImpl& st = *impl_;
    if (!st.open) return Error{Errc::NotOpen, "storage is closed"};
    if (!st.file || !st.state.hasData) {
        st.root = std::make_shared<detail::Table>(std::vector<Field>{});
        st.root->Resize(1);
        return {};
    }
    auto image = std::make_shared<detail::Image>();
    Status read = st.file->ReadAll(*image);
    if (!read) return read;
    auto loaded = detail::Load(image);
    if (!loaded) return Error{loaded.error().code, st.path + ": " + loaded.error().message};
    AdoptLoaded(st, *loaded);
    return {};
}

Status Storage::Commit() {
    StorageImpl& st = *impl_;
    if (!st.open) return Error{Errc::NotOpen, "storage is closed"};
    if (st.mode == OpenMode::ReadOnly) return Error{Errc::ReadOnly, "storage is open read-only"};
    if (st.scratch) return {};
    if (!st.file) return Error{Errc::Io, "storage is bound to no file"};
    if (st.held) return {};
    if (st.state.hasData) {
        // A file opened at the state before an interrupted commit still shows other
        // programs that commit's remains: it gets a clean commit even without changes.
        Status s = detail::CommitInPlace(*st.file, *st.root, st.state, st.recovered);
        if (s) st.recovered = false;
        return s;
    }
    // A file without a storage yet: write it whole, so a crash leaves the empty file.
    auto built = detail::BuildPacked(*st.root);
    if (!built) return built.error();
    const std::string& packed = *built;
    if (packed.empty()) return {};
    Status s = detail::WriteFileAtomically(st.path, packed);
    if (!s) return s;
    auto file = detail::File::Open(st.path, true);
    if (!file) return file.error();
    st.file = std::move(*file);
    detail::AdoptPacked(*st.root, st.state, packed.size());
    return {};
}

Status Storage::SaveAs(const std::string& path) const {
    StorageImpl& st = *impl_;
    if (!st.open) return Error{Errc::NotOpen, "storage is closed"};
    bool ownFile = st.file && st.file->IsFile(path);
    auto built = detail::BuildPacked(*st.root);
    if (!built) return built.error();
    const std::string& packed = *built;
    Status s = detail::WriteFileAtomically(path, packed);
    if (!s || !ownFile) return s;
    // Our own file was replaced: go on working on the new one.
    auto file = detail::File::Open(path, st.mode == OpenMode::ReadWrite);
    if (!file) return file.error();
    st.file = std::move(*file);
    st.path = path;
    detail::AdoptPacked(*st.root, st.state, packed.size());
    return {};
}

}  // namespace mk
