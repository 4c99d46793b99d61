#pragma once
// A small checker of the DOT language, over the UTF-8 bytes a graph writer
// produced. It accepts the grammar Graphviz documents (graph, node, edge and
// attribute statements, subgraphs, ID = ID), IDs as identifiers, numerals,
// quoted strings and HTML strings, and comments. Stricter than Graphviz in
// one place: a NUL byte anywhere is an error, since dot stops reading there.

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace strovex::dotcheck {

enum class Tok { Id, LBrace, RBrace, LBracket, RBracket, Semi, Comma, Equals, Colon, Arrow, Line, End };

struct Token {
    Tok kind;
    std::string text; // the ID's text for identifiers; empty otherwise
    bool keywordCandidate = false;
};

class Checker {
public:
    // Empty when `dot` is one well-formed graph; otherwise what is wrong and where.
    static std::string check(std::string_view dot)
    {
        Checker c(dot);
        std::string error = c.tokenize();
        if (error.empty())
            error = c.parseGraph();
        return error;
    }

private:
    explicit Checker(std::string_view text) : text_(text) {}

    static bool idStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
    static bool idChar(unsigned char c) { return idStart(c) || std::isdigit(c); }

    static bool keyword(const std::string &id, const char *word)
    {
        std::string_view w(word);
        if (id.size() != w.size())
            return false;
        for (std::size_t i = 0; i < id.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(id[i])) != w[i])
                return false;
        }
        return true;
    }
    static bool anyKeyword(const std::string &id)
    {
        for (const char *w : {"node", "edge", "graph", "digraph", "subgraph", "strict"}) {
            if (keyword(id, w))
                return true;
        }
        return false;
    }

    std::string where(std::size_t at) const { return " at byte " + std::to_string(at); }

    std::string tokenize()
    {
        const std::size_t n = text_.size();
        std::size_t i = 0;
        bool lineStart = true;
        while (i < n) {
            const unsigned char c = static_cast<unsigned char>(text_[i]);
            if (c == 0)
                return "NUL byte" + where(i);
            if (c == '\n') {
                lineStart = true;
                ++i;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++i;
                continue;
            }
            if (c == '#' && lineStart) { // a preprocessor line
                while (i < n && text_[i] != '\n')
                    ++i;
                continue;
            }
            lineStart = false;
            if (c == '/' && i + 1 < n && text_[i + 1] == '/') {
                while (i < n && text_[i] != '\n')
                    ++i;
                continue;
            }
            if (c == '/' && i + 1 < n && text_[i + 1] == '*') {
                const std::size_t end = text_.find("*/", i + 2);
                if (end == std::string_view::npos)
                    return "unterminated comment" + where(i);
                i = end + 2;
                continue;
            }
            switch (c) {
            case '{': push(Tok::LBrace); ++i; continue;
            case '}': push(Tok::RBrace); ++i; continue;
            case '[': push(Tok::LBracket); ++i; continue;
            case ']': push(Tok::RBracket); ++i; continue;
            case ';': push(Tok::Semi); ++i; continue;
            case ',': push(Tok::Comma); ++i; continue;
            case '=': push(Tok::Equals); ++i; continue;
            case ':': push(Tok::Colon); ++i; continue;
            default: break;
            }
            if (c == '-' && i + 1 < n && (text_[i + 1] == '>' || text_[i + 1] == '-')) {
                push(text_[i + 1] == '>' ? Tok::Arrow : Tok::Line);
                i += 2;
                continue;
            }
            if (c == '"') {
                std::string value;
                ++i;
                bool closed = false;
                while (i < n) {
                    const char d = text_[i];
                    if (d == '\0')
                        return "NUL byte in a quoted string" + where(i);
                    if (d == '\\' && i + 1 < n) { // an escaped quote or backslash, or a line continuation
                        value += d;
                        value += text_[i + 1];
                        i += 2;
                        continue;
                    }
                    if (d == '"') {
                        closed = true;
                        ++i;
                        break;
                    }
                    value += d;
                    ++i;
                }
                if (!closed)
                    return "unterminated quoted string" + where(i);
                tokens_.push_back({Tok::Id, value, false});
                continue;
            }
            if (c == '<') {
                int depth = 0;
                const std::size_t start = i;
                for (; i < n; ++i) {
                    if (text_[i] == '<')
                        ++depth;
                    else if (text_[i] == '>' && --depth == 0)
                        break;
                }
                if (i >= n)
                    return "unterminated HTML string" + where(start);
                ++i;
                tokens_.push_back({Tok::Id, std::string(text_.substr(start, i - start)), false});
                continue;
            }
            if (idStart(c)) {
                const std::size_t start = i;
                while (i < n && idChar(static_cast<unsigned char>(text_[i])))
                    ++i;
                tokens_.push_back({Tok::Id, std::string(text_.substr(start, i - start)), true});
                continue;
            }
            if (c == '-' || c == '.' || std::isdigit(c)) {
                const std::size_t start = i;
                if (text_[i] == '-')
                    ++i;
                std::size_t digits = 0;
                while (i < n && std::isdigit(static_cast<unsigned char>(text_[i])))
                    ++i, ++digits;
                if (i < n && text_[i] == '.') {
                    ++i;
                    while (i < n && std::isdigit(static_cast<unsigned char>(text_[i])))
                        ++i, ++digits;
                }
                if (digits == 0)
                    return "stray character" + where(start);
                if (i < n && idStart(static_cast<unsigned char>(text_[i])))
                    return "a numeral runs into a name" + where(start);
                tokens_.push_back({Tok::Id, std::string(text_.substr(start, i - start)), false});
                continue;
            }
            return std::string("unexpected character '") + char(c) + "'" + where(i);
        }
        push(Tok::End);
        return {};
    }

    void push(Tok kind) { tokens_.push_back({kind, {}, false}); }

    const Token &peek(std::size_t ahead = 0) const
    {
        const std::size_t at = pos_ + ahead;
        return at < tokens_.size() ? tokens_[at] : tokens_.back();
    }
    bool isKw(const Token &t, const char *word) const { return t.kind == Tok::Id && t.keywordCandidate && keyword(t.text, word); }
    // An ID that is not a keyword used as one.
    bool isId(const Token &t) const { return t.kind == Tok::Id && !(t.keywordCandidate && anyKeyword(t.text)); }
    bool accept(Tok kind)
    {
        if (peek().kind != kind)
            return false;
        ++pos_;
        return true;
    }
    std::string expected(const char *what) const
    {
        return std::string("expected ") + what + " at token " + std::to_string(pos_)
            + (peek().kind == Tok::Id ? " ('" + peek().text + "')" : std::string());
    }

    std::string parseGraph()
    {
        if (isKw(peek(), "strict"))
            ++pos_;
        if (isKw(peek(), "digraph"))
            directed_ = true;
        else if (!isKw(peek(), "graph"))
            return expected("graph or digraph");
        ++pos_;
        if (isId(peek()))
            ++pos_;
        if (std::string e = parseBlock(); !e.empty())
            return e;
        if (peek().kind != Tok::End)
            return expected("the end after the graph");
        return {};
    }

    std::string parseBlock()
    {
        if (!accept(Tok::LBrace))
            return expected("'{'");
        while (peek().kind != Tok::RBrace) {
            if (peek().kind == Tok::End)
                return expected("'}'");
            if (std::string e = parseStatement(); !e.empty())
                return e;
            accept(Tok::Semi);
        }
        ++pos_;
        return {};
    }

    std::string parseAttrList()
    {
        while (accept(Tok::LBracket)) {
            while (!accept(Tok::RBracket)) {
                if (!isId(peek()))
                    return expected("an attribute name");
                ++pos_;
                if (!accept(Tok::Equals))
                    return expected("'=' in an attribute");
                if (!isId(peek()))
                    return expected("an attribute value");
                ++pos_;
                if (!accept(Tok::Semi))
                    accept(Tok::Comma);
            }
        }
        return {};
    }

    std::string parseNodeId()
    {
        if (!isId(peek()))
            return expected("a node ID");
        ++pos_;
        for (int port = 0; port < 2 && accept(Tok::Colon); ++port) {
            if (!isId(peek()))
                return expected("a port");
            ++pos_;
        }
        return {};
    }

    // A node ID or a subgraph: one end of an edge.
    std::string parseEdgeEnd()
    {
        if (isKw(peek(), "subgraph") || peek().kind == Tok::LBrace)
            return parseSubgraph();
        return parseNodeId();
    }

    std::string parseSubgraph()
    {
        if (isKw(peek(), "subgraph")) {
            ++pos_;
            if (isId(peek()))
                ++pos_;
        }
        return parseBlock();
    }

    std::string parseStatement()
    {
        if (isKw(peek(), "graph") || isKw(peek(), "node") || isKw(peek(), "edge")) {
            ++pos_;
            if (peek().kind != Tok::LBracket)
                return expected("'[' after graph, node or edge");
            return parseAttrList();
        }
        if (isId(peek()) && peek(1).kind == Tok::Equals) {
            pos_ += 2;
            if (!isId(peek()))
                return expected("a value after '='");
            ++pos_;
            return {};
        }
        if (std::string e = parseEdgeEnd(); !e.empty())
            return e;
        bool edge = false;
        while (peek().kind == Tok::Arrow || peek().kind == Tok::Line) {
            if ((peek().kind == Tok::Arrow) != directed_)
                return expected(directed_ ? "'->' in a digraph" : "'--' in a graph");
            ++pos_;
            edge = true;
            if (std::string e = parseEdgeEnd(); !e.empty())
                return e;
        }
        (void)edge;
        return parseAttrList();
    }

    std::string_view text_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    bool directed_ = false;
};

inline std::string checkDot(std::string_view dot)
{
    return Checker::check(dot);
}

} // namespace strovex::dotcheck
