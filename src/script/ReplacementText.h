#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace cvn {

// Replaces every occurrence of name in text, without regard to ASCII case, left to
// right; the search goes on behind each inserted value. One pass over the text.
void ReplaceAllNoCase(std::string& text, std::string_view name, std::string_view value);

// A text that receives many such replacements of "%Name%" names (percent signs at
// both ends, none inside) in turn, with the same result as applying
// ReplaceAllNoCase once per name, but without a pass over the whole text per name.
//
// The text is held as the pieces between its "%" signs. An occurrence of a
// delimited name is exactly a piece, enclosed by "%" on both sides, whose text is
// the name's inner part; replacing it joins the piece before, the value and the
// piece after. Pieces are found through an index of their upper-cased texts, and
// pieces longer than every name to come are never indexed or spelled out, so work
// stays proportional to the text plus the number of occurrences.
class TReplacementText {
public:
    // longestName: the length of the longest name that will be replaced.
    TReplacementText(std::string_view text, size_t longestName);
    TReplacementText(const TReplacementText&) = delete;
    TReplacementText& operator=(const TReplacementText&) = delete;

    // name: a delimited name in upper case, no longer than longestName.
    void Replace(std::string_view upperName, std::string value);
    std::string Result() const;

private:
    struct TFragment {
        std::string_view text;
        int next = -1;
    };
    struct TPiece {
        int prev = -1, next = -1; // neighbouring pieces; -1 at the ends of the text
        int head = -1, tail = -1; // fragment list
        size_t length = 0;
        bool alive = true; // false once joined into a new piece
        unsigned pass = 0; // the Replace call that found it as an occurrence
    };

    int NewPiece(int head, int tail, size_t length);
    int AddFragments(std::string_view text, int& head, int& tail); // returns added length
    void Index(int piece);
    std::string Upper(int piece) const;
    // Replaces occurrence s; returns the piece that follows the inserted value.
    int ReplaceAt(int s, std::string_view value);

    std::string source_;
    std::deque<std::string> values_; // stable storage for inserted values
    std::vector<TFragment> fragments_;
    std::vector<TPiece> pieces_;
    std::unordered_map<std::string, std::vector<int>> index_;
    int first_ = -1;
    size_t maxInner_;
    unsigned pass_ = 0;
};

} // namespace cvn
