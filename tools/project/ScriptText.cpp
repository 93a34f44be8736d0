#include "ScriptText.h"

#include "package/StatementCodes.h"

#include <optional>

namespace cvn::project {

namespace {

uint8_t Code(StatementCommand c) {
    return uint8_t(c);
}

// How a block statement reads as text: the parameter holding its label (the
// compiler fills it) and, for If and While, that the one text is the condition.
struct TBlockForm {
    int labelParam = -1;
    bool opens = false;
    bool conditionIsText = false;
    uint8_t opener = 0; // for Else and the end statements: the statement they close
};

TBlockForm BlockFormOf(uint8_t code) {
    switch (StatementCommand(code)) {
    case StatementCommand::scIf:
    case StatementCommand::scWhile:
        return {0, true, true, 0};
    case StatementCommand::scFor:
        return {3, true, false, 0};
    case StatementCommand::scForEachSelected:
        return {2, true, false, 0};
    case StatementCommand::scElse:
    case StatementCommand::scEndIf:
        return {0, false, false, Code(StatementCommand::scIf)};
    case StatementCommand::scEndWhile:
        return {0, false, false, Code(StatementCommand::scWhile)};
    case StatementCommand::scEndFor:
        return {0, false, false, Code(StatementCommand::scFor)};
    case StatementCommand::scEndForEachSelected:
        return {0, false, false, Code(StatementCommand::scForEachSelected)};
    default:
        return {};
    }
}

bool IsBlock(const TBlockForm& f) {
    return f.labelParam >= 0;
}

std::string Label(int number) {
    std::string label = "@";
    return label += std::to_string(number);
}

std::string NameOf(uint8_t code) {
    std::string_view name = StatementName(code);
    return name.empty() ? std::to_string(code) : std::string(name);
}

// One statement's words as written.
struct TLine {
    int line = 0;
    bool raw = false;
    std::string name;
    std::vector<std::string> texts;
    std::optional<std::string> when;
};

class TCompiler {
public:
    TCompiler(std::string_view text, int firstLine, std::vector<TTextError>& errors)
        : text_(text), line_(firstLine), errors_(errors) {}

    bool Run(TScript& out) {
        size_t before = errors_.size();
        TScript script;
        while (auto words = NextLine())
            if (!words->name.empty()) Add(*words, script);
        for (const TOpen& open : stack_)
            Error(open.line, std::string(StatementName(open.code)) + " is never closed");
        if (errors_.size() != before) return false;
        out = std::move(script);
        return true;
    }

private:
    struct TOpen {
        uint8_t code;
        std::string label;
        int line;
        bool hasElse;
    };

    void Error(int line, std::string message) { errors_.push_back({line, std::move(message)}); }

    // The next statement's words; nullopt at the end of the text.
    std::optional<TLine> NextLine() {
        if (pos_ >= text_.size()) return std::nullopt;
        TLine words;
        words.line = line_;
        bool expectWhen = false;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++pos_;
                ++line_;
                break;
            }
            if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else if (c == '#') {
                while (pos_ < text_.size() && text_[pos_] != '\n')
                    ++pos_;
            } else if (c == '"') {
                int start = line_;
                std::optional<std::string> t = Quoted();
                if (!t) {
                    Error(start, "a text is not closed by a quote");
                    words.name.clear();
                    return words;
                }
                if (words.name.empty())
                    Error(start, "a line starts with a text instead of a statement name");
                else if (expectWhen)
                    words.when = std::move(*t);
                else if (words.when)
                    Error(start, "a text follows the condition after \"when\"");
                else
                    words.texts.push_back(std::move(*t));
                expectWhen = false;
            } else {
                std::string word = Word();
                if (word.empty()) {
                    Error(line_, std::string("unexpected character '") + c + "'");
                    ++pos_;
                } else if (words.name.empty() && !words.raw && word == "raw") {
                    words.raw = true;
                } else if (words.name.empty()) {
                    words.name = word;
                } else if (word == "when" && !words.when && !expectWhen) {
                    expectWhen = true;
                } else {
                    Error(line_, "unexpected word \"" + word + "\" (parameters are quoted texts)");
                }
            }
        }
        if (expectWhen) Error(words.line, "\"when\" needs a quoted condition");
        if (words.raw && words.name.empty()) Error(words.line, "\"raw\" needs a statement name");
        return words;
    }

    std::string Word() {
        size_t start = pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            bool letter =
                (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
            if (!letter) break;
            ++pos_;
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    std::optional<std::string> Quoted() {
        std::string t;
        ++pos_;
        while (pos_ < text_.size()) {
            char c = text_[pos_++];
            if (c == '"') {
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    t += '"';
                    ++pos_;
                    continue;
                }
                return t;
            }
            if (c == '\n') ++line_;
            t += c;
        }
        return std::nullopt;
    }

    std::optional<uint8_t> Lookup(const TLine& w) {
        if (w.raw && w.name.find_first_not_of("0123456789") == std::string::npos && w.name.size() <= 3) {
            int n = std::stoi(w.name);
            if (n <= 255) return uint8_t(n);
        }
        auto code = FindStatementCode(w.name);
        if (!code) Error(w.line, "unknown statement \"" + w.name + "\"");
        return code;
    }

    void Add(const TLine& w, TScript& script) {
        std::optional<uint8_t> code = Lookup(w);
        if (!code) return;
        TScriptStatement st;
        st.code = *code;
        const int stored = StatementParamCount(st.code);
        const TBlockForm form = w.raw ? TBlockForm{} : BlockFormOf(st.code);
        const std::string name = NameOf(st.code);

        int wanted = stored;
        if (form.conditionIsText)
            wanted = 1;
        else if (IsBlock(form))
            wanted = stored - 1;
        if (int(w.texts.size()) != wanted) {
            std::string meaning(StatementParams(st.code));
            if (IsBlock(form) && !form.conditionIsText) {
                // The label is the compiler's: leave it out of the meanings quoted.
                size_t cut = meaning.rfind(", ");
                meaning = wanted == 0 ? std::string() : meaning.substr(0, cut);
            }
            if (form.conditionIsText) meaning = "condition";
            std::string message =
                name + " takes " + std::to_string(wanted) + (wanted == 1 ? " parameter" : " parameters");
            if (!meaning.empty()) message += " (" + meaning + ")";
            message += ", found " + std::to_string(w.texts.size());
            Error(w.line, message);
            return;
        }
        if (w.when && (form.conditionIsText || (IsBlock(form) && !form.opens)))
            Error(w.line, name + " takes no \"when\": " +
                              (form.opens ? "its text is the condition" : "it only closes a block"));

        size_t next = 0;
        for (int i = 0; i < stored; ++i) {
            if (i == form.labelParam) continue;
            if (form.conditionIsText) break;
            st.param[size_t(i)] = w.texts[next++];
        }
        if (form.conditionIsText)
            st.condition = w.texts[0];
        else if (w.when)
            st.condition = *w.when;

        if (IsBlock(form)) {
            if (form.opens) {
                std::string label = Label(++openers_);
                st.param[size_t(form.labelParam)] = label;
                stack_.push_back({st.code, label, w.line, false});
            } else if (stack_.empty() || stack_.back().code != form.opener) {
                std::string opener(StatementName(form.opener));
                if (stack_.empty())
                    Error(w.line, name + " without " + opener);
                else
                    Error(w.line, name + " inside the " + std::string(StatementName(stack_.back().code)) +
                                      " of line " + std::to_string(stack_.back().line) + ", not in an " +
                                      opener);
                return;
            } else {
                st.param[0] = stack_.back().label;
                if (st.code == Code(StatementCommand::scElse)) {
                    if (stack_.back().hasElse)
                        Error(w.line,
                              "a second Else in the If of line " + std::to_string(stack_.back().line));
                    stack_.back().hasElse = true;
                } else {
                    stack_.pop_back();
                }
            }
        }
        script.push_back(std::move(st));
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_;
    std::vector<TTextError>& errors_;
    std::vector<TOpen> stack_;
    int openers_ = 0;
};

std::string Quote(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string RawLine(const TScriptStatement& st) {
    std::string line = "raw " + NameOf(st.code);
    for (int i = 0; i < StatementParamCount(st.code); ++i)
        (line += ' ') += Quote(st.param[size_t(i)]);
    if (!st.condition.empty()) line += " when " + Quote(st.condition);
    return line;
}

std::optional<std::string> StructuredText(const TScript& script) {
    std::string out;
    std::vector<std::pair<uint8_t, std::string>> stack;
    int openers = 0;
    for (const TScriptStatement& st : script) {
        if (st.code > kLastStatementCode) return std::nullopt;
        TBlockForm form = BlockFormOf(st.code);
        std::string line = NameOf(st.code);
        size_t depth = stack.size();
        if (IsBlock(form) && form.opens) {
            if (st.param[size_t(form.labelParam)] != Label(++openers)) return std::nullopt;
            stack.emplace_back(st.code, st.param[size_t(form.labelParam)]);
        } else if (IsBlock(form)) {
            if (stack.empty() || stack.back().first != form.opener || stack.back().second != st.param[0] ||
                !st.condition.empty())
                return std::nullopt;
            --depth;
            if (st.code != Code(StatementCommand::scElse)) stack.pop_back();
        }
        if (form.conditionIsText) {
            (line += ' ') += Quote(st.condition);
        } else {
            for (int i = 0; i < StatementParamCount(st.code); ++i)
                if (i != form.labelParam) (line += ' ') += Quote(st.param[size_t(i)]);
            if (!st.condition.empty()) line += " when " + Quote(st.condition);
        }
        out += std::string(depth * 2, ' ') + line + "\n";
    }
    if (!stack.empty()) return std::nullopt;
    return out;
}

} // namespace

bool CompileScript(std::string_view text, int firstLine, TScript& out, std::vector<TTextError>& errors) {
    return TCompiler(text, firstLine, errors).Run(out);
}

std::string ScriptToText(const TScript& script) {
    // A script the structured form does not give back exactly (a hand-made or
    // damaged block structure, an Else met twice) is kept statement by statement.
    if (std::optional<std::string> text = StructuredText(script)) {
        std::vector<TTextError> errors;
        TScript again;
        if (CompileScript(*text, 1, again, errors) && again == script) return *text;
    }
    std::string out;
    for (const TScriptStatement& st : script)
        out += RawLine(st) + "\n";
    return out;
}

} // namespace cvn::project
