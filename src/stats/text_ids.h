#pragma once
// Small integer ids for the texts of a column read row by row (unit codes, plot
// numbers, species), and for tuples of such ids: the first seen gets 0, the next new
// one 1, and so on.
// Made for a hundred thousand look-ups of a few short texts, so nothing on the way
// calls out of line: the last text is kept for the common run of equal rows, and the
// table is open-addressed with an inline hash and compare.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace stats {

class TextIds {
public:
    // The id of `text`, made when new. Inline: most calls end at the first check.
    [[gnu::always_inline]] int Id(std::string_view text) {
        if (last_ >= 0 && Equal(texts_[static_cast<size_t>(last_)], text)) return last_;
        // Then a small table by first and last byte and length, which tells apart the
        // few codes of a column like species without hashing the text.
        int& quick = quick_[Quick(text)];
        if (quick >= 0 && Equal(texts_[static_cast<size_t>(quick)], text)) return last_ = quick;
        return quick = Look(text);
    }
    // The id of `text`; -1 when it was never seen.
    int Find(std::string_view text) const {
        if (slots_.empty()) return -1;
        return slots_[Slot(text)];
    }
    const std::string& Text(int id) const { return texts_[static_cast<size_t>(id)]; }
    int size() const { return static_cast<int>(texts_.size()); }

private:
    // Out of line, so that the check of the last text above stays small enough to inline.
    [[gnu::noinline]] int Look(std::string_view text) {
        if ((texts_.size() + 1) * 2 > slots_.size()) Grow();
        size_t at = Slot(text);
        if (slots_[at] < 0) {
            slots_[at] = static_cast<int>(texts_.size());
            texts_.emplace_back(text);
        }
        return last_ = slots_[at];
    }
    static size_t Quick(std::string_view s) {
        if (s.empty()) return 0;
        return (static_cast<unsigned char>(s.front()) * 7u + static_cast<unsigned char>(s.back()) * 31u +
                static_cast<unsigned>(s.size())) & 255u;
    }
    static bool Equal(const std::string& a, std::string_view b) {
        if (a.size() != b.size()) return false;
        for (size_t i = 0; i < b.size(); ++i)
            if (a[i] != b[i]) return false;
        return true;
    }
    // Eight bytes at a time: the texts are codes of a few characters.
    static uint64_t Hash(std::string_view s) {
        uint64_t h = s.size() * 0x9E3779B97F4A7C15ULL;
        size_t i = 0;
        for (; i + 8 <= s.size(); i += 8) {
            uint64_t w;
            std::memcpy(&w, s.data() + i, 8);
            h = (h ^ w) * 0xFF51AFD7ED558CCDULL;
        }
        uint64_t tail = 0;
        for (size_t k = 0; i + k < s.size(); ++k) tail |= static_cast<uint64_t>(static_cast<unsigned char>(s[i + k])) << (8 * k);
        h = (h ^ tail) * 0xC4CEB9FE1A85EC53ULL;
        return h ^ (h >> 32);
    }
    // The slot holding `text`, or the empty slot where it would go.
    size_t Slot(std::string_view text) const {
        const size_t mask = slots_.size() - 1;
        size_t at = static_cast<size_t>(Hash(text)) & mask;
        while (slots_[at] >= 0 && !Equal(texts_[static_cast<size_t>(slots_[at])], text)) at = (at + 1) & mask;
        return at;
    }
    void Grow() {
        slots_.assign(slots_.empty() ? 16 : slots_.size() * 2, -1);
        for (size_t id = 0; id < texts_.size(); ++id) slots_[Slot(texts_[id])] = static_cast<int>(id);
    }

    std::vector<std::string> texts_;
    std::vector<int> slots_;  // ids; -1 empty; size a power of two, at most half full
    std::array<int, 256> quick_ = Empty();
    int last_ = -1;

    static std::array<int, 256> Empty() {
        std::array<int, 256> a;
        a.fill(-1);
        return a;
    }
};

// Ids of tuples of N small integers, the same way.
template <int N>
class TupleIds {
public:
    using Tuple = std::array<int, N>;
    int Id(const Tuple& t) {
        if ((tuples_.size() + 1) * 2 > slots_.size()) Grow();
        size_t at = Slot(t);
        if (slots_[at] < 0) {
            slots_[at] = static_cast<int>(tuples_.size());
            tuples_.push_back(t);
        }
        return slots_[at];
    }
    int Find(const Tuple& t) const { return slots_.empty() ? -1 : slots_[Slot(t)]; }
    int size() const { return static_cast<int>(tuples_.size()); }
    static bool Equal(const Tuple& a, const Tuple& b) {
        for (int i = 0; i < N; ++i)  // not ==, which calls memcmp for so few bytes
            if (a[i] != b[i]) return false;
        return true;
    }

private:
    static uint64_t Hash(const Tuple& t) {
        uint64_t h = 0;
        for (int v : t) h = (h ^ static_cast<uint32_t>(v)) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 33;  // the slot is taken from the low bits: fold the high ones in
        h *= 0xFF51AFD7ED558CCDULL;
        return h ^ (h >> 33);
    }
    size_t Slot(const Tuple& t) const {
        const size_t mask = slots_.size() - 1;
        size_t at = static_cast<size_t>(Hash(t)) & mask;
        while (slots_[at] >= 0 && !Equal(tuples_[static_cast<size_t>(slots_[at])], t)) at = (at + 1) & mask;
        return at;
    }
    void Grow() {
        slots_.assign(slots_.empty() ? 16 : slots_.size() * 2, -1);
        for (size_t id = 0; id < tuples_.size(); ++id) slots_[Slot(tuples_[id])] = static_cast<int>(id);
    }

    std::vector<Tuple> tuples_;
    std::vector<int> slots_;
};

}  // namespace stats
