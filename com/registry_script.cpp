#include "com/registry_script.h"
#include <utility>

namespace fexo::com {

namespace {

struct ScriptError {
    std::size_t line;
    std::string message;
};

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

struct Token {
    enum class Kind { Word, Quoted, End };

    Kind kind = Kind::End;
    std::string text;
    std::size_t line = 0;

    // Keywords and braces count only unquoted: '{' in quotes is a name.
    bool Is(std::string_view word) const
    {
        return kind == Kind::Word && EqualsIgnoringCase(text, word);
    }
    bool IsPunctuation() const { return Is("{") || Is("}") || Is("="); }
    std::string Shown() const { return kind == Kind::End ? "end of script" : "'" + text + "'"; }
};

class Lexer {
public:
    explicit Lexer(std::string_view text) : m_text(text) {}

    const Token& Peek()
    {
        if (!m_hasPeeked) {
            m_peeked = Read();
            m_hasPeeked = true;
        }
        return m_peeked;
    }

    Token Next()
    {
        Peek();
        m_hasPeeked = false;
        return std::move(m_peeked);
    }

private:
    Token Read()
    {
        while (m_pos < m_text.size() && IsSpace(m_text[m_pos])) {
            if (m_text[m_pos] == '\n') ++m_line;
            ++m_pos;
        }
        Token token;
        token.line = m_line;
        if (m_pos == m_text.size()) return token;
        if (m_text[m_pos] == '\'') return ReadQuoted(token);
        token.kind = Token::Kind::Word;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !IsSpace(m_text[m_pos])) ++m_pos;
        token.text.assign(m_text.substr(start, m_pos - start));
        return token;
    }

    Token ReadQuoted(Token& token)
    {
        token.kind = Token::Kind::Quoted;
        for (++m_pos;; ++m_pos) {
            if (m_pos == m_text.size())
                throw ScriptError{token.line, "unterminated quoted text"};
            const char c = m_text[m_pos];
            if (c == '\'') {
                if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\'') {
                    token.text += '\'';
                    ++m_pos;
                    continue;
                }
                ++m_pos;
                break;
            }
            if (c == '\n') ++m_line;
            token.text += c;
        }
        if (m_pos < m_text.size() && !IsSpace(m_text[m_pos]))
            throw ScriptError{m_line, "white space expected after quoted text '" + token.text + "'"};
        return std::move(token);
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_line = 1;
    Token m_peeked;
    bool m_hasPeeked = false;
};

class Parser {
public:
    Parser(std::string_view text, const ScriptVariables& variables)
        : m_lexer(text), m_variables(variables)
    {
    }

    RegistryScript ParseScript()
    {
        RegistryScript script;
        while (m_lexer.Peek().kind != Token::Kind::End) script.roots.push_back(ParseRoot());
        return script;
    }

private:
    ScriptRootKey ParseRoot()
    {
        const Token name = m_lexer.Next();
        ScriptRootKey root{RootOf(name), {}};
        const std::size_t openLine = Expect("{", "after root key " + name.Shown()).line;
        while (!m_lexer.Peek().Is("}")) {
            if (m_lexer.Peek().kind == Token::Kind::End)
                throw ScriptError{openLine, "missing '}' for root key " + name.Shown()};
            if (m_lexer.Peek().Is("val"))
                throw ScriptError{m_lexer.Peek().line, "a root key cannot hold values"};
            root.keys.push_back(ParseKey(1));
        }
        m_lexer.Next();
        return root;
    }

    static RegistryRoot RootOf(const Token& name)
    {
        static const struct {
            const char* shortName;
            const char* longName;
            RegistryRoot root;
        } kRoots[] = {
            {"HKCR", "HKEY_CLASSES_ROOT", RegistryRoot::ClassesRoot},
            {"HKCU", "HKEY_CURRENT_USER", RegistryRoot::CurrentUser},
            {"HKLM", "HKEY_LOCAL_MACHINE", RegistryRoot::LocalMachine},
            {"HKU", "HKEY_USERS", RegistryRoot::Users},
            {"HKCC", "HKEY_CURRENT_CONFIG", RegistryRoot::CurrentConfig},
        };
        for (const auto& entry : kRoots)
            if (name.Is(entry.shortName) || name.Is(entry.longName)) return entry.root;
        throw ScriptError{name.line, "unknown root key " + name.Shown()};
    }

    ScriptKey ParseKey(int depth)
    {
        if (depth > kMaxScriptKeyDepth)
            throw ScriptError{m_lexer.Peek().line, "keys nested too deeply"};
        ScriptKey key;
        key.marker = ParseMarker();
        const Token name = ExpectName("a key name");
        key.name = Expand(name);
        if (key.name.empty()) throw ScriptError{name.line, "empty key name"};

        if (m_lexer.Peek().Is("=")) {
            m_lexer.Next();
            key.values.push_back(ParseValueData(std::string()));
        }
        if (m_lexer.Peek().Is("{")) {
            const std::size_t openLine = m_lexer.Next().line;
            while (!m_lexer.Peek().Is("}")) {
                if (m_lexer.Peek().kind == Token::Kind::End)
                    throw ScriptError{openLine, "missing '}' for key " + name.Shown()};
                if (m_lexer.Peek().Is("val"))
                    key.values.push_back(ParseNamedValue());
                else
                    key.subkeys.push_back(ParseKey(depth + 1));
            }
            m_lexer.Next();
            if (key.marker == KeyMarker::Delete)
                throw ScriptError{openLine, "a Delete key " + name.Shown() + " cannot have a body"};
        }
        if (key.marker == KeyMarker::Delete && !key.values.empty())
            throw ScriptError{name.line, "a Delete key " + name.Shown() + " cannot have a value"};
        return key;
    }

    KeyMarker ParseMarker()
    {
        static const struct {
            const char* word;
            KeyMarker marker;
        } kMarkers[] = {
            {"NoRemove", KeyMarker::NoRemove},
            {"ForceRemove", KeyMarker::ForceRemove},
            {"Delete", KeyMarker::Delete},
        };
        for (const auto& entry : kMarkers) {
            if (m_lexer.Peek().Is(entry.word)) {
                m_lexer.Next();
                return entry.marker;
            }
        }
        return KeyMarker::None;
    }

    ScriptValue ParseNamedValue()
    {
        m_lexer.Next();  // val
        const Token name = ExpectName("a value name");
        std::string expanded = Expand(name);
        if (expanded.empty()) throw ScriptError{name.line, "empty value name"};
        Expect("=", "after value name " + name.Shown());
        return ParseValueData(std::move(expanded));
    }

    // "s 'text'" or "d number", after the '='.
    ScriptValue ParseValueData(std::string name)
    {
        ScriptValue value;
        value.name = std::move(name);
        const Token type = m_lexer.Next();
        const Token data = m_lexer.Next();
        if (type.Is("s")) {
            if (data.kind != Token::Kind::Quoted)
                throw ScriptError{data.line, "quoted text expected after 's', found " + data.Shown()};
            value.type = ScriptValue::Type::String;
            value.text = Expand(data);
        } else if (type.Is("d")) {
            if (data.kind == Token::Kind::End || data.IsPunctuation())
                throw ScriptError{data.line, "number expected after 'd', found " + data.Shown()};
            value.type = ScriptValue::Type::Dword;
            value.number = ParseDword(data.line, Expand(data));
        } else {
            throw ScriptError{type.line, "value type 's' or 'd' expected, found " + type.Shown()};
        }
        return value;
    }

    // Decimal, or hexadecimal after "0x".
    static std::uint32_t ParseDword(std::size_t line, const std::string& text)
    {
        const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
        const std::uint64_t base = hex ? 16 : 10;
        std::uint64_t number = 0;
        if (text.empty()) throw ScriptError{line, "empty number"};
        for (std::size_t i = hex ? 2 : 0; i < text.size(); ++i) {
            const char c = text[i];
            unsigned digit;
            if (c >= '0' && c <= '9')
                digit = unsigned(c - '0');
            else if (hex && c >= 'a' && c <= 'f')
                digit = unsigned(c - 'a' + 10);
            else if (hex && c >= 'A' && c <= 'F')
                digit = unsigned(c - 'A' + 10);
            else
                throw ScriptError{line, "invalid number '" + text + "'"};
            number = number * base + digit;
            if (number > 0xFFFFFFFFu) throw ScriptError{line, "number '" + text + "' exceeds 32 bits"};
        }
        return std::uint32_t(number);
    }

    Token Expect(std::string_view word, const std::string& where)
    {
        Token token = m_lexer.Next();
        if (!token.Is(word))
            throw ScriptError{token.line, "'" + std::string(word) + "' expected " + where +
                                              ", found " + token.Shown()};
        return token;
    }

    Token ExpectName(const char* what)
    {
        Token token = m_lexer.Next();
        if (token.kind == Token::Kind::End || token.IsPunctuation())
            throw ScriptError{token.line, std::string(what) + " expected, found " + token.Shown()};
        return token;
    }

    std::string Expand(const Token& token) const
    {
        std::string result;
        const std::string& text = token.text;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '%') {
                result += text[i];
                continue;
            }
            const std::size_t close = text.find('%', i + 1);
            if (close == std::string::npos)
                throw ScriptError{token.line, "unterminated variable in '" + text + "'"};
            const std::string_view name(text.data() + i + 1, close - i - 1);
            if (name.empty()) {
                result += '%';
            } else {
                const auto found = m_variables.find(name);
                if (found == m_variables.end())
                    throw ScriptError{token.line, "unknown variable %" + std::string(name) + "%"};
                result += found->second;
            }
            i = close;
        }
        return result;
    }

    Lexer m_lexer;
    const ScriptVariables& m_variables;
};

}  // namespace

ScriptParseResult ParseRegistryScript(std::string_view text, const ScriptVariables& variables)
{
    ScriptParseResult result;
    try {
        result.script = Parser(text, variables).ParseScript();
    } catch (const ScriptError& error) {
        result.script = RegistryScript();
        result.error = "line " + std::to_string(error.line) + ": " + error.message;
    }
    return result;
}

}  // namespace fexo::com
