#include "script/ReplacementText.h"

#include "script/VariableList.h"

#include <cstring>

namespace cvn {

namespace {

size_t FindNoCase(std::string_view text, std::string_view name, size_t from) {
    const size_t n = name.size();
    if (n == 0 || text.size() < n) return std::string_view::npos;
    const char first = AsciiUpper(name[0]);
    const bool letter = first >= 'A' && first <= 'Z';
    const size_t last = text.size() - n;
    for (size_t i = from; i <= last; ++i) {
        if (!letter) {
            // Names nearly always start with "%": jump from one to the next.
            const void* p = std::memchr(text.data() + i, first, last - i + 1);
            if (!p) return std::string_view::npos;
            i = size_t(static_cast<const char*>(p) - text.data());
        } else if (AsciiUpper(text[i]) != first) {
            continue;
        }
        if (EqualsNoCase(text.substr(i, n), name)) return i;
    }
    return std::string_view::npos;
}

} // namespace

void ReplaceAllNoCase(std::string& text, std::string_view name, std::string_view value) {
    size_t pos = FindNoCase(text, name, 0);
    if (pos == std::string_view::npos) return;
    std::string out;
    out.reserve(text.size() + value.size());
    size_t done = 0;
    while (pos != std::string_view::npos) {
        out.append(text, done, pos - done);
        out.append(value);
        done = pos + name.size();
        pos = FindNoCase(text, name, done);
    }
    out.append(text, done, std::string::npos);
    text.swap(out);
}

TReplacementText::TReplacementText(std::string_view text, size_t longestName)
    : source_(text), maxInner_(longestName >= 2 ? longestName - 2 : 0) {
    std::string_view s = source_;
    int prev = -1;
    for (;;) {
        size_t cut = s.find('%');
        int head = -1, tail = -1;
        size_t length = AddFragments(s.substr(0, cut), head, tail);
        int p = NewPiece(head, tail, length);
        pieces_[size_t(p)].prev = prev;
        if (prev < 0)
            first_ = p;
        else
            pieces_[size_t(prev)].next = p;
        prev = p;
        if (cut == std::string_view::npos) break;
        s.remove_prefix(cut + 1);
    }
    for (size_t p = 0; p < pieces_.size(); ++p)
        Index(int(p));
}

int TReplacementText::NewPiece(int head, int tail, size_t length) {
    TPiece piece;
    piece.head = head;
    piece.tail = tail;
    piece.length = length;
    pieces_.push_back(piece);
    return int(pieces_.size() - 1);
}

int TReplacementText::AddFragments(std::string_view text, int& head, int& tail) {
    if (text.empty()) return 0;
    fragments_.push_back({text, -1});
    int f = int(fragments_.size() - 1);
    if (tail < 0)
        head = f;
    else
        fragments_[size_t(tail)].next = f;
    tail = f;
    return int(text.size());
}

std::string TReplacementText::Upper(int piece) const {
    std::string s;
    s.reserve(pieces_[size_t(piece)].length);
    for (int f = pieces_[size_t(piece)].head; f >= 0; f = fragments_[size_t(f)].next)
        for (char c : fragments_[size_t(f)].text)
            s += AsciiUpper(c);
    return s;
}

void TReplacementText::Index(int piece) {
    if (pieces_[size_t(piece)].length <= maxInner_) index_[Upper(piece)].push_back(piece);
}

int TReplacementText::ReplaceAt(int s, std::string_view value) {
    TPiece& occurrence = pieces_[size_t(s)];
    const int before = occurrence.prev, after = occurrence.next;
    const int outerPrev = pieces_[size_t(before)].prev, outerNext = pieces_[size_t(after)].next;
    occurrence.alive = pieces_[size_t(before)].alive = pieces_[size_t(after)].alive = false;

    // The piece before the occurrence, the value cut at its own "%" signs, and the
    // piece after become the new pieces; the fragment lists are moved, not copied.
    std::vector<int> created;
    int head = pieces_[size_t(before)].head, tail = pieces_[size_t(before)].tail;
    size_t length = pieces_[size_t(before)].length;
    for (;;) {
        size_t cut = value.find('%');
        length += size_t(AddFragments(value.substr(0, cut), head, tail));
        if (cut == std::string_view::npos) break;
        created.push_back(NewPiece(head, tail, length));
        head = tail = -1;
        length = 0;
        value.remove_prefix(cut + 1);
    }
    const TPiece& rest = pieces_[size_t(after)];
    if (rest.head >= 0) {
        if (tail < 0)
            head = rest.head;
        else
            fragments_[size_t(tail)].next = rest.head;
        tail = rest.tail;
    }
    length += rest.length;
    created.push_back(NewPiece(head, tail, length));

    int prev = outerPrev;
    for (int p : created) {
        pieces_[size_t(p)].prev = prev;
        if (prev < 0)
            first_ = p;
        else
            pieces_[size_t(prev)].next = p;
        prev = p;
    }
    pieces_[size_t(prev)].next = outerNext;
    if (outerNext >= 0) pieces_[size_t(outerNext)].prev = prev;
    for (int p : created)
        Index(p);
    return outerNext;
}

void TReplacementText::Replace(std::string_view upperName, std::string value) {
    if (upperName.size() < 2) return;
    auto it = index_.find(std::string(upperName.substr(1, upperName.size() - 2)));
    if (it == index_.end()) return;
    ++pass_;
    // Only the occurrences present now: pieces made by this call's own
    // replacements start inside an inserted value, where the search does not look.
    const std::vector<int> found = it->second;
    auto isOccurrence = [&](int p) {
        return p >= 0 && pieces_[size_t(p)].alive && pieces_[size_t(p)].pass == pass_;
    };
    for (int p : found) {
        TPiece& piece = pieces_[size_t(p)];
        if (piece.alive && piece.prev >= 0 && piece.next >= 0) piece.pass = pass_;
    }
    values_.push_back(std::move(value));
    const std::string_view v = values_.back();
    for (int p : found) {
        if (!isOccurrence(p)) continue;
        // Adjacent occurrences share a "%": from the leftmost of the run, every
        // second one is found, as a left-to-right search finds them.
        int s = p;
        while (isOccurrence(pieces_[size_t(s)].prev))
            s = pieces_[size_t(s)].prev;
        for (;;) {
            int following = ReplaceAt(s, v);
            if (!isOccurrence(following)) break;
            s = following;
        }
    }
}

std::string TReplacementText::Result() const {
    std::string out;
    for (int p = first_; p >= 0; p = pieces_[size_t(p)].next) {
        for (int f = pieces_[size_t(p)].head; f >= 0; f = fragments_[size_t(f)].next)
            out += fragments_[size_t(f)].text;
        if (pieces_[size_t(p)].next >= 0) out += '%';
    }
    return out;
}

} // namespace cvn
