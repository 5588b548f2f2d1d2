// SPDX-License-Identifier: MIT
#include "web/feed_encoder.h"

#include <charconv>
#include <cmath>

#include "core/text_encoding.h"
#include "panel/element_catalogue.h"

namespace kerbview::web {
namespace {

using panel::Element;
using panel::ElementKind;

void AppendText(std::string& out, std::string_view utf8) {
    out += '"';
    for (const char c : utf8) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    constexpr char kHex[] = "0123456789abcdef";
                    out += "\\u00";
                    out += kHex[(c >> 4) & 0xF];
                    out += kHex[c & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void AppendCp1252(std::string& out, std::string_view cp1252) {
    AppendText(out, core::Cp1252ToUtf8(cp1252));
}

// JSON has no NaN or infinity: such a value becomes null, which the page reads as 0.
void AppendNumber(std::string& out, double v) {
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, result.ptr);
}

void AppendInteger(std::string& out, std::uint64_t v) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, result.ptr);
}

// "#rrggbb" for a plain or system colour; null for "no fill" and any other number.
void AppendColour(std::string& out, core::ColourNumber c, const DashboardLook& look) {
    if (c == panel::kSystemWindowText) {
        c = look.windowText;
    } else if (c == panel::kSystemHighlight) {
        c = look.highlight;
    } else if (!panel::IsPlainColour(c)) {
        out += "null";
        return;
    }
    constexpr char kHex[] = "0123456789abcdef";
    const std::uint8_t parts[3] = {static_cast<std::uint8_t>(c & 0xFF),
                                   static_cast<std::uint8_t>((c >> 8) & 0xFF),
                                   static_cast<std::uint8_t>((c >> 16) & 0xFF)};
    out += "\"#";
    for (const std::uint8_t p : parts) {
        out += kHex[p >> 4];
        out += kHex[p & 0xF];
    }
    out += '"';
}

void AppendBool(std::string& out, bool v) { out += v ? "true" : "false"; }

std::string_view KindName(ElementKind k) {
    switch (k) {
        case ElementKind::TextField: return "text";
        case ElementKind::Lamp: return "lamp";
        case ElementKind::BarGauge: return "bar";
        case ElementKind::WheelMarker: return "marker";
        case ElementKind::Picture: return "picture";
        case ElementKind::List: break;
    }
    return "list";
}

bool Shown(Element e) { return panel::Info(e).kind != ElementKind::List; }

void AppendLayout(std::string& out, const panel::ElementInfo& info, const DashboardLook& look) {
    out += "{\"i\":";
    AppendInteger(out, static_cast<std::uint64_t>(info.element));
    out += ",\"n\":";
    AppendText(out, info.name);
    out += ",\"k\":\"";
    out += KindName(info.kind);
    out += "\",\"x\":";
    AppendNumber(out, info.left);
    out += ",\"y\":";
    AppendNumber(out, info.top);
    out += ",\"w\":";
    AppendNumber(out, info.width);
    out += ",\"h\":";
    AppendNumber(out, info.height);
    if (!info.font.family.empty()) {
        out += ",\"font\":";
        AppendText(out, info.font.family);
        out += ",\"pt\":";
        AppendNumber(out, info.font.pointSize);
        out += ",\"bold\":";
        AppendBool(out, info.font.bold);
        out += ",\"fg\":";
        AppendColour(out, info.textColor, look);
    }
    if (info.kind == ElementKind::TextField) {
        // As on the desktop: a field without a fill is read from the left, a filled one centred.
        out += info.backColor == panel::kNoFill ? ",\"align\":\"left\"" : ",\"align\":\"center\"";
    }
    if (info.kind == ElementKind::BarGauge) {
        out +=
            info.orientation == panel::Orientation::Vertical ? ",\"dir\":\"v\"" : ",\"dir\":\"h\"";
        out += ",\"fill\":";
        AppendColour(out, info.foreColor, look);
    }
    out += '}';
}

}  // namespace

std::string PicturePath(Element e) { return "/picture/" + std::string(panel::Info(e).name); }

bool HasBuiltinPicture(Element e) { return e == Element::Image1 || e == Element::Picture1; }

FeedEncoder::FeedEncoder(const panel::PanelModel& model, DashboardLook look)
    : m_model(model), m_look(look), m_sent(model.revision()) {}

void FeedEncoder::AppendState(std::string& out, Element e) const {
    const panel::ElementState& s = m_model[e];
    const ElementKind kind = panel::Info(e).kind;
    out += "{\"i\":";
    AppendInteger(out, static_cast<std::uint64_t>(e));
    out += ",\"v\":";
    AppendBool(out, s.visible);
    switch (kind) {
        case ElementKind::TextField:
        case ElementKind::Lamp:
        case ElementKind::BarGauge:
            out += ",\"t\":";
            AppendCp1252(out, s.text);
            break;
        default: break;
    }
    if (kind == ElementKind::Lamp) {
        out += ",\"on\":";
        AppendBool(out, s.enabled);
    } else if (kind != ElementKind::Picture) {
        out += ",\"bg\":";
        AppendColour(out, s.backColor, m_look);
    }
    if (kind == ElementKind::BarGauge) {
        out += ",\"min\":";
        AppendNumber(out, s.minvalue);
        out += ",\"max\":";
        AppendNumber(out, s.maxvalue);
        out += ",\"val\":";
        AppendNumber(out, s.value);
    }
    if (kind == ElementKind::Picture) {
        // The revision in the address makes the browser fetch the picture again after a change.
        out += ",\"p\":";
        if (s.picture.empty() && !HasBuiltinPicture(e)) {
            out += "null";
        } else {
            AppendText(out, PicturePath(e) + "?v=" + std::to_string(s.revision));
        }
    }
    out += '}';
}

std::string FeedEncoder::Full() const {
    std::string out = "{\"type\":\"full\",\"rev\":";
    AppendInteger(out, m_model.revision());
    out += ",\"panel\":{\"w\":";
    AppendInteger(out, panel::kDesignClientWidth);
    out += ",\"h\":";
    AppendInteger(out, panel::kDesignClientHeight);
    const std::pair<const char*, core::ColourNumber> colours[] = {
        {"bg", m_look.panel},
        {"lampFace", m_look.lampFace},
        {"lampText", m_look.lampText},
        {"lampDarkText", m_look.lampDarkText}};
    for (const auto& [key, colour] : colours) {
        out += ",\"";
        out += key;
        out += "\":";
        AppendColour(out, colour, m_look);
    }
    out += "},\"layout\":[";
    bool first = true;
    for (const panel::CollectionEntry& entry : panel::ElementCollection()) {
        if (entry.type != panel::CollectionEntry::Type::PanelElement || !Shown(entry.element)) {
            continue;
        }
        if (!first) out += ',';
        first = false;
        AppendLayout(out, panel::Info(entry.element), m_look);
    }
    out += "],\"state\":[";
    first = true;
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        if (!Shown(info.element)) continue;
        if (!first) out += ',';
        first = false;
        AppendState(out, info.element);
    }
    out += "]}";
    return out;
}

std::optional<std::string> FeedEncoder::Delta() {
    if (m_model.revision() == m_sent) {
        return std::nullopt;
    }
    std::string out = "{\"type\":\"delta\",\"rev\":";
    AppendInteger(out, m_model.revision());
    out += ",\"state\":[";
    bool first = true;
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        if (m_model[info.element].revision <= m_sent || !Shown(info.element)) continue;
        if (!first) out += ',';
        first = false;
        AppendState(out, info.element);
    }
    out += "]}";
    m_sent = m_model.revision();
    return out;
}

}  // namespace kerbview::web
