// SPDX-License-Identifier: MIT
#include "core/profile_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>
#include <vector>

#include "core/text_encoding.h"

namespace kerbview::core {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kReadIniLimit = 254;

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

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

enum class LineKind { Other, Section, Key };

// One line of the file. Offsets index the raw text, so an edit can splice bytes around a line
// and leave every other byte as it was.
struct Line {
    std::size_t end = 0;   // end of its content, before "\n" or "\r\n"
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

// The file's bytes and their lines. The lines' names are views into the bytes, so a document
// is never copied or moved.
struct Document {
    explicit Document(std::string bytes) : text(std::move(bytes)), utf8(LooksLikeUtf8(text)) {
        std::string_view t = text;
        std::size_t pos = 0;
        while (pos < t.size()) {
            std::size_t nl = t.find('\n', pos);
            std::size_t end = nl == std::string_view::npos ? t.size() : nl;
            std::size_t next = nl == std::string_view::npos ? t.size() : nl + 1;
            if (nl != std::string_view::npos && end > pos && t[end - 1] == '\r') --end;
            lines.push_back(ClassifyLine(t, pos, end, next));
            pos = next;
        }
    }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    const std::string text;
    const bool utf8;
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
        if (doc.lines[i].kind == LineKind::Section && EqualsNoCase(doc.lines[i].name, name)) {
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
        if (EqualsNoCase(line.name, name)) return i;
        if (lastKey) *lastKey = i;
    }
    return std::string_view::npos;
}

// The value as the platform service returns it: blanks around it removed, cut at a NUL byte,
// and one pair of matching quotes around it dropped.
std::string ValueOf(const Document& doc, const Line& line) {
    std::string_view v(doc.text.data() + line.valueBegin, line.end - line.valueBegin);
    v = Trim(v.substr(0, v.find('\0')));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return std::string(v);
}

std::string LineEndOf(const Document& doc) {
    std::size_t nl = doc.text.find('\n');
    if (nl == std::string::npos) return "\r\n";  // new or single-line file: Windows line ends
    return nl > 0 && doc.text[nl - 1] == '\r' ? "\r\n" : "\n";
}

enum class LoadStatus { Loaded, Missing, Unusable };

// Reads the whole file. Anything but a regular file (a folder, a device, a pipe that would
// block) is unusable.
LoadStatus LoadFile(const std::string& path, std::string& out) {
    std::error_code ec;
    fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) return LoadStatus::Missing;
    if (ec || st.type() != fs::file_type::regular) return LoadStatus::Unusable;
    std::ifstream in(path, std::ios::binary);
    if (!in) return LoadStatus::Unusable;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return LoadStatus::Unusable;
    return LoadStatus::Loaded;
}

// No fsync: a crash of the program cannot truncate the file either way, and a flush to the
// disk costs milliseconds per write, which a window being dragged at a 10 ms scan would pay on
// every tick.
bool WriteAll(std::FILE* f, const std::string& content) {
    bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    return std::fclose(f) == 0 && ok;
}

std::string TempSuffix() {
    std::random_device rd;
    std::uint64_t n = (std::uint64_t{rd()} << 32) ^ rd();
    char buf[24];
    std::snprintf(buf, sizeof buf, ".%016llx~", static_cast<unsigned long long>(n));
    return buf;
}

// Replaces the file with content: a temporary file in the same folder, then a rename over the
// target, so that a crash leaves either the old or the new file, never a truncated one. When no
// temporary file can be made there, the file is rewritten in place.
bool SaveFile(const std::string& path, const std::string& content, bool exists) {
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
    }
    if (exists) {
        // A file that cannot be opened for writing stays as it is, even where the folder would
        // allow the rename: the platform service fails there too.
        std::FILE* probe = std::fopen(target.string().c_str(), "r+b");
        if (!probe) return false;
        std::fclose(probe);
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        fs::path temp = target;
        temp += TempSuffix();
        std::FILE* f = std::fopen(temp.string().c_str(), "wbx");
        if (!f) {
            if (errno == EEXIST) continue;
            break;
        }
        if (!WriteAll(f, content)) {
            fs::remove(temp, ec);
            return false;
        }
        if (exists) {
            fs::perms perms = fs::status(target, ec).permissions();
            if (!ec) fs::permissions(temp, perms, ec);
        }
        fs::rename(temp, target, ec);
        if (!ec) return true;
        fs::remove(temp, ec);
        break;
    }
    std::FILE* f = std::fopen(target.string().c_str(), "wb");
    if (!f) return false;
    return WriteAll(f, content);
}

bool UsableName(std::string_view name, std::string_view forbidden) {
    return !name.empty() && name.find_first_of(forbidden) == std::string_view::npos;
}

std::optional<std::string> ReadValue(const std::string& path, std::string_view section,
                                     std::string_view key) {
    std::string text;
    if (LoadFile(path, text) != LoadStatus::Loaded) return std::nullopt;
    Document doc(std::move(text));
    std::size_t header = FindSection(doc, section);
    if (header == std::string_view::npos) return std::nullopt;
    std::size_t keyLine = FindKey(doc, header, key);
    if (keyLine == std::string_view::npos) return std::nullopt;
    std::string value = ValueOf(doc, doc.lines[keyLine]);
    return doc.utf8 ? Utf8ToCp1252(value) : value;
}

bool WriteValue(const std::string& path, std::string_view section, std::string_view key,
                std::string_view value) {
    using namespace std::string_view_literals;
    if (!UsableName(section, "]\r\n\0"sv) || !UsableName(key, "=\r\n\0"sv)) return false;
    // A line end inside a value would turn its tail into lines of their own.
    value = value.substr(0, value.find_first_of("\r\n\0"sv));

    std::string text;
    LoadStatus status = LoadFile(path, text);
    if (status == LoadStatus::Unusable) return false;
    Document doc(std::move(text));
    const std::string v = InFileEncoding(doc, value);
    const std::string eol = LineEndOf(doc);
    const std::string& t = doc.text;

    std::string out;
    std::size_t header = FindSection(doc, section);
    if (header != std::string_view::npos) {
        std::size_t lastKey = header;
        std::size_t keyLine = FindKey(doc, header, key, &lastKey);
        if (keyLine != std::string_view::npos) {
            const Line& line = doc.lines[keyLine];
            out.reserve(t.size() + v.size());
            out.append(t, 0, line.valueBegin).append(v).append(t, line.end);
        } else {
            const Line& after = doc.lines[lastKey];
            out.reserve(t.size() + key.size() + v.size() + 8);
            out.append(t, 0, after.next);
            if (after.next == after.end) out += eol;  // last line of a file without a line end
            out.append(InFileEncoding(doc, key)).append("=").append(v).append(eol);
            out.append(t, after.next);
        }
    } else {
        out = t;
        if (!out.empty() && out.back() != '\n') out += eol;
        out.append("[").append(InFileEncoding(doc, section)).append("]").append(eol);
        out.append(InFileEncoding(doc, key)).append("=").append(v).append(eol);
    }
    if (status == LoadStatus::Loaded && out == t) return true;
    return SaveFile(path, out, status == LoadStatus::Loaded);
}

}  // namespace

// The public calls never throw: whatever fails inside (memory, the file system) counts as a
// value not found or a write not done.
std::optional<std::string> ReadProfileString(const std::string& path, std::string_view section,
                                             std::string_view key) {
    try {
        return ReadValue(path, section, key);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool WriteProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value) {
    try {
        return WriteValue(path, section, key, value);
    } catch (const std::exception&) {
        return false;
    }
}

std::string ReadIni(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view defaultText) {
    std::string fallback = defaultText.empty() ? std::string("-1") : std::string(defaultText);
    std::optional<std::string> value = ReadProfileString(path, section, key);
    if (!value || value->empty()) return fallback;
    if (value->size() > kReadIniLimit) value->resize(kReadIniLimit);
    return *value;
}

}  // namespace kerbview::core
