// SPDX-License-Identifier: MIT
#include "core/profile_text.h"

#include <algorithm>
#include <vector>

#include "core/ascii_case.h"
#include "core/text_encoding.h"

namespace kerbview::core {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
// Notepad's "Unicode": UTF-16LE after a byte-order mark, which Windows' profile service reads
// and writes too. Its text is read and changed as UTF-8 and written back as UTF-16LE.
constexpr std::string_view kUtf16Bom = "\xFF\xFE";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view TrimLeft(std::string_view t) {
    while (!t.empty() && IsSpace(t.front())) t.remove_prefix(1);
    return t;
}

std::string_view Trim(std::string_view t) {
    t = TrimLeft(t);
    while (!t.empty() && IsSpace(t.back())) t.remove_suffix(1);
    return t;
}

enum class LineKind { Other, Section, Key };

// One line of the file. Offsets index the raw text, so an edit can splice bytes around a line
// and leave every other byte as it was.
struct Line {
    std::size_t end = 0;   // end of its content, before its line end
    std::size_t next = 0;  // first byte of the following line (end, at a last line without one)
    LineKind kind = LineKind::Other;
    std::string_view name;       // section or key name, blanks trimmed (a view into the text)
    std::size_t valueBegin = 0;  // key lines: first non-blank byte after '=' (or end)
};

Line ClassifyLine(std::string_view text, std::size_t begin, std::size_t end, std::size_t next) {
    Line line;
    line.end = end;
    line.next = next;
    if (begin == 0 && text.substr(0, kBom.size()) == kBom) begin = std::min(kBom.size(), end);
    std::string_view s = TrimLeft(text.substr(begin, end - begin));
    if (!s.empty() && s.front() == '[') {
        std::size_t close = s.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = Trim(s.substr(1, close - 1));
            return line;
        }
        // A header without its closing bracket is no header; the line is read like any other.
    }
    std::size_t eq = s.find('=');
    if (eq == std::string_view::npos) return line;
    std::string_view name = Trim(s.substr(0, eq));
    if (name.empty()) return line;
    line.kind = LineKind::Key;
    line.name = name;
    std::size_t afterEq = static_cast<std::size_t>(s.data() - text.data()) + eq + 1;
    std::string_view rest = TrimLeft(text.substr(afterEq, end - afterEq));
    line.valueBegin = rest.empty() ? end : static_cast<std::size_t>(rest.data() - text.data());
    return line;
}

// The file's lines. A line ends at "\r\n", "\n" or a lone "\r", as the platform service reads
// them (files from old Macintosh editors end lines with "\r" alone). The names are views into
// the text, which the caller keeps.
struct Document {
    Document(std::string_view bytes, bool isUtf8) : text(bytes), utf8(isUtf8) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = pos;
            while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
            std::size_t next = end;
            if (end < text.size()) {
                next = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n'
                           ? end + 2
                           : end + 1;
            }
            lines.push_back(ClassifyLine(text, pos, end, next));
            pos = next;
        }
    }

    std::string_view text;
    bool utf8;
    std::vector<Line> lines;
};

// Names asked for are Windows-1252; in a UTF-8 file they are compared in UTF-8.
std::string InFileEncoding(const Document& doc, std::string_view cp1252) {
    return doc.utf8 ? Cp1252ToUtf8(cp1252) : std::string(cp1252);
}

// Index of the first header of the section, or npos. Later headers of the same name are not
// merged into it, as with the platform service.
std::size_t FindSection(const Document& doc, std::string_view section) {
    const std::string name = InFileEncoding(doc, section);
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        if (doc.lines[i].kind == LineKind::Section && SameProfileName(doc.lines[i].name, name)) {
            return i;
        }
    }
    return std::string_view::npos;
}

// Index of the first line of the key inside the section that starts at header, or npos;
// lastKey receives the section's last key line (header itself when the section has none).
std::size_t FindKey(const Document& doc, std::size_t header, std::string_view key,
                    std::size_t* lastKey = nullptr) {
    const std::string name = InFileEncoding(doc, key);
    if (lastKey) *lastKey = header;
    for (std::size_t i = header + 1; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == LineKind::Section) break;
        if (line.kind != LineKind::Key) continue;
        if (SameProfileName(line.name, name)) return i;
        if (lastKey) *lastKey = i;
    }
    return std::string_view::npos;
}

// The value as the platform service returns it: blanks around it removed, cut at a NUL byte,
// and one pair of matching quotes around it dropped.
std::string ValueOf(const Document& doc, const Line& line) {
    std::string_view v = doc.text.substr(line.valueBegin, line.end - line.valueBegin);
    v = Trim(v.substr(0, v.find('\0')));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return std::string(v);
}

// The line end of the file's first line; a new or single-line file gets Windows line ends.
std::string_view LineEndOf(const Document& doc) {
    const std::size_t at = doc.text.find_first_of("\r\n");
    if (at == std::string_view::npos) return "\r\n";
    if (doc.text[at] == '\n') return "\n";
    return at + 1 < doc.text.size() && doc.text[at + 1] == '\n' ? "\r\n" : "\r";
}

}  // namespace

bool WritableProfileNames(std::string_view section, std::string_view key) {
    using namespace std::string_view_literals;
    const auto usable = [](std::string_view name, std::string_view forbidden) {
        return !name.empty() && name.find_first_of(forbidden) == std::string_view::npos;
    };
    return usable(section, "]\r\n\0"sv) && usable(key, "=\r\n\0"sv);
}

bool SameProfileName(std::string_view a, std::string_view b) {
    return EqualsIgnoringAsciiCase(a, b);
}

namespace {

std::optional<std::string> ValueIn(const Document& doc, std::string_view section,
                                   std::string_view key) {
    const std::size_t header = FindSection(doc, section);
    if (header == std::string_view::npos) return std::nullopt;
    const std::size_t keyLine = FindKey(doc, header, key);
    if (keyLine == std::string_view::npos) return std::nullopt;
    std::string value = ValueOf(doc, doc.lines[keyLine]);
    return doc.utf8 ? Utf8ToCp1252(value) : value;
}

std::string Edited(const Document& doc, std::string_view section, std::string_view key,
                   std::string_view value) {
    const std::string v = InFileEncoding(doc, value);
    const std::string_view eol = LineEndOf(doc);
    const std::string_view t = doc.text;

    std::string out;
    const std::size_t header = FindSection(doc, section);
    if (header != std::string_view::npos) {
        std::size_t lastKey = header;
        const std::size_t keyLine = FindKey(doc, header, key, &lastKey);
        if (keyLine != std::string_view::npos) {
            const Line& line = doc.lines[keyLine];
            out.reserve(t.size() + v.size());
            out.append(t.substr(0, line.valueBegin)).append(v).append(t.substr(line.end));
        } else {
            const Line& after = doc.lines[lastKey];
            out.reserve(t.size() + key.size() + v.size() + 8);
            out.append(t.substr(0, after.next));
            if (after.next == after.end) out += eol;  // last line of a file without a line end
            out.append(InFileEncoding(doc, key)).append("=").append(v).append(eol);
            out.append(t.substr(after.next));
        }
    } else {
        out = t;
        if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += eol;
        out.append("[").append(InFileEncoding(doc, section)).append("]").append(eol);
        out.append(InFileEncoding(doc, key)).append("=").append(v).append(eol);
    }
    return out;
}

bool IsUtf16(std::string_view bytes) { return bytes.substr(0, kUtf16Bom.size()) == kUtf16Bom; }

// The text of a UTF-16 file as UTF-8, without its mark and its last odd byte, if any.
std::string Utf16Text(std::string_view bytes) {
    return Utf16LeToUtf8(
        bytes.substr(kUtf16Bom.size(), (bytes.size() - kUtf16Bom.size()) & ~std::size_t{1}));
}

}  // namespace

std::optional<std::string> ProfileValueIn(std::string_view bytes, std::string_view section,
                                          std::string_view key) {
    if (IsUtf16(bytes)) return ValueIn(Document(Utf16Text(bytes), true), section, key);
    return ValueIn(Document(bytes, LooksLikeUtf8(bytes)), section, key);
}

std::string WithProfileValue(std::string_view bytes, std::string_view section, std::string_view key,
                             std::string_view value) {
    using namespace std::string_view_literals;
    // A line end inside a value would turn its tail into lines of their own.
    value = value.substr(0, value.find_first_of("\r\n\0"sv));
    if (!IsUtf16(bytes)) return Edited(Document(bytes, LooksLikeUtf8(bytes)), section, key, value);
    const std::string edited = Edited(Document(Utf16Text(bytes), true), section, key, value);
    const std::string_view oddByte = bytes.size() % 2 == 1 ? bytes.substr(bytes.size() - 1) : "";
    return std::string(kUtf16Bom).append(Utf8ToUtf16Le(edited)).append(oddByte);
}

}  // namespace kerbview::core
