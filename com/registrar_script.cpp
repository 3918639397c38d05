// Reading the registrar script: tokens first (with replacements made), then
// the key tree by recursive descent.
#include "registrar_script.h"

#include <algorithm>
#include <cwctype>
#include <utility>

namespace zorvik {
namespace {

struct Token {
  std::wstring text;
  // A quoted token is always a name or a value, never a keyword.
  bool quoted = false;
  int line = 1;
};

struct ScriptError {
  std::string message;
};

[[noreturn]] void Fail(int line, const std::string& what) {
  throw ScriptError{"line " + std::to_string(line) + ": " + what};
}

std::string Printable(const std::wstring& text) {
  std::string result;
  for (wchar_t c : text) result += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  return result;
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

class Tokenizer {
 public:
  Tokenizer(std::wstring_view text, const std::map<std::wstring, std::wstring>& replacements)
      : text_(text), replacements_(replacements) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    while (SkipSpace()) tokens.push_back(text_[pos_] == L'\'' ? Quoted() : Bare());
    return tokens;
  }

 private:
  // Moves past white space; false at the end of the text.
  bool SkipSpace() {
    while (pos_ < text_.size() && std::iswspace(text_[pos_])) {
      if (text_[pos_] == L'\n') ++line_;
      ++pos_;
    }
    return pos_ < text_.size();
  }

  Token Quoted() {
    Token token{L"", true, line_};
    std::wstring raw;
    for (++pos_;; ++pos_) {
      if (pos_ >= text_.size()) Fail(token.line, "a quoted string has no closing quote");
      if (text_[pos_] == L'\'') {
        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == L'\'') {
          raw += L'\'';
          ++pos_;
          continue;
        }
        ++pos_;
        break;
      }
      if (text_[pos_] == L'\n') ++line_;
      raw += text_[pos_];
    }
    token.text = Replace(raw, token.line);
    return token;
  }

  Token Bare() {
    Token token{L"", false, line_};
    const size_t start = pos_;
    while (pos_ < text_.size() && !std::iswspace(text_[pos_])) ++pos_;
    token.text = Replace(text_.substr(start, pos_ - start), token.line);
    return token;
  }

  std::wstring Replace(std::wstring_view raw, int line) const {
    std::wstring result;
    for (size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] != L'%') {
        result += raw[i];
        continue;
      }
      const size_t end = raw.find(L'%', i + 1);
      if (end == std::wstring_view::npos) Fail(line, "a % has no closing %");
      const std::wstring name(raw.substr(i + 1, end - i - 1));
      if (name.empty()) {
        result += L'%';
      } else {
        const auto found = replacements_.find(name);
        if (found == replacements_.end())
          Fail(line, "no replacement for %" + Printable(name) + "%");
        result += found->second;
      }
      i = end;
    }
    return result;
  }

  std::wstring_view text_;
  const std::map<std::wstring, std::wstring>& replacements_;
  size_t pos_ = 0;
  int line_ = 1;
};

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  RegistrarScript Run() {
    RegistrarScript script;
    while (pos_ < tokens_.size()) {
      const Token& name = Take("a root key");
      RegistryKeyEntry root{RootName(name), KeyRemoval::kNoRemove, {}, {}, {}};
      if (!IsSymbol(Peek(), L"{")) Fail(name.line, "a root key needs a { after it");
      Body(&root);
      script.roots.push_back(std::move(root));
    }
    return script;
  }

 private:
  static std::wstring RootName(const Token& token) {
    static const std::pair<const wchar_t*, const wchar_t*> kRoots[] = {
        {L"HKCR", L"HKEY_CLASSES_ROOT"},
        {L"HKCU", L"HKEY_CURRENT_USER"},
        {L"HKLM", L"HKEY_LOCAL_MACHINE"},
        {L"HKU", L"HKEY_USERS"},
    };
    for (const auto& [short_name, long_name] : kRoots) {
      if (!token.quoted &&
          (EqualsIgnoringCase(token.text, short_name) || EqualsIgnoringCase(token.text, long_name)))
        return short_name;
    }
    Fail(token.line, "unknown root key " + Printable(token.text));
  }

  const Token* Peek() const { return pos_ < tokens_.size() ? &tokens_[pos_] : nullptr; }

  const Token& Take(const char* expected) {
    if (pos_ >= tokens_.size()) {
      Fail(tokens_.empty() ? 1 : tokens_.back().line,
           std::string("the script ends where ") + expected + " was expected");
    }
    return tokens_[pos_++];
  }

  static bool IsSymbol(const Token* token, const wchar_t* symbol) {
    return token != nullptr && !token->quoted && EqualsIgnoringCase(token->text, symbol);
  }

  void Expect(const wchar_t* symbol, const char* expected) {
    const Token& token = Take(expected);
    if (!IsSymbol(&token, symbol))
      Fail(token.line, std::string("expected ") + expected + ", found " + Printable(token.text));
  }

  // = s 'data'
  std::wstring StringAssignment() {
    Expect(L"=", "=");
    const Token& type = Take("a value type");
    if (!IsSymbol(&type, L"s"))
      Fail(type.line, "only string values (s) are supported, found " + Printable(type.text));
    const Token& data = Take("a string value");
    if (!data.quoted) Fail(data.line, "a string value must be quoted");
    return data.text;
  }

  // { ... } below `key`: named values and subkeys.
  void Body(RegistryKeyEntry* key) {
    Expect(L"{", "{");
    for (;;) {
      const Token* next = Peek();
      if (next == nullptr) Fail(tokens_.back().line, "a { has no closing }");
      if (IsSymbol(next, L"}")) {
        ++pos_;
        return;
      }
      if (IsSymbol(next, L"val")) {
        ++pos_;
        RegistryNamedValue value;
        value.name = Name();
        value.data = StringAssignment();
        key->values.push_back(std::move(value));
      } else {
        key->subkeys.push_back(Key());
      }
    }
  }

  std::wstring Name() {
    const Token& token = Take("a name");
    if (!token.quoted &&
        (IsSymbol(&token, L"{") || IsSymbol(&token, L"}") || IsSymbol(&token, L"=")))
      Fail(token.line, "expected a name, found " + Printable(token.text));
    return token.text;
  }

  // [ForceRemove | NoRemove] name [= s 'data'] [{ ... }]
  RegistryKeyEntry Key() {
    RegistryKeyEntry key;
    if (IsSymbol(Peek(), L"ForceRemove")) {
      key.removal = KeyRemoval::kForceRemove;
      ++pos_;
    } else if (IsSymbol(Peek(), L"NoRemove")) {
      key.removal = KeyRemoval::kNoRemove;
      ++pos_;
    } else if (IsSymbol(Peek(), L"Delete")) {
      Fail(Peek()->line, "Delete is not supported");
    }
    key.name = Name();
    if (IsSymbol(Peek(), L"=")) key.default_value = StringAssignment();
    if (IsSymbol(Peek(), L"{")) Body(&key);
    return key;
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
};

}  // namespace

RegistrarParseResult ParseRegistrarScript(
    std::wstring_view text, const std::map<std::wstring, std::wstring>& replacements) {
  RegistrarParseResult result;
  try {
    result.script = Parser(Tokenizer(text, replacements).Run()).Run();
  } catch (const ScriptError& error) {
    result.error = error.message;
  }
  return result;
}

}  // namespace zorvik
