// SPDX-License-Identifier: MIT
#include "web/feed_encoder.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "core/text_encoding.h"
#include "panel/element_catalogue.h"
#include "panel/text_fitting.h"
#include "panel/view_rules.h"

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
    panel::DecodedColour d = panel::DecodeColour(c);
    switch (d.kind) {
        case panel::ColourKind::WindowText: d = panel::DecodeColour(look.windowText); break;
        case panel::ColourKind::Highlight: d = panel::DecodeColour(look.highlight); break;
        case panel::ColourKind::None: out += "null"; return;
        case panel::ColourKind::Plain: break;
    }
    constexpr char kHex[] = "0123456789abcdef";
    out += "\"#";
    for (const std::uint8_t p : {d.red, d.green, d.blue}) {
        out += kHex[p >> 4];
        out += kHex[p & 0xF];
    }
    out += '"';
}

void AppendBool(std::string& out, bool v) { out += v ? "true" : "false"; }

// A JSON array of items, each written by append(out, item).
template <class Item, class Append>
void AppendArray(std::string& out, const std::vector<Item>& items, Append append) {
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        append(out, items[i]);
    }
    out += ']';
}

// The members of one JSON object, written in order; the object closes when this goes.
class Members {
public:
    explicit Members(std::string& out) : m_out(out) { m_out += '{'; }
    ~Members() { m_out += '}'; }
    Members(const Members&) = delete;
    Members& operator=(const Members&) = delete;

    // The key, ready for its value.
    std::string& Key(std::string_view key) {
        if (!m_first) m_out += ',';
        m_first = false;
        m_out += '"';
        m_out += key;
        m_out += "\":";
        return m_out;
    }
    void Number(std::string_view key, double v) { AppendNumber(Key(key), v); }
    void Integer(std::string_view key, std::uint64_t v) { AppendInteger(Key(key), v); }
    void Text(std::string_view key, std::string_view utf8) { AppendText(Key(key), utf8); }
    void Bool(std::string_view key, bool v) { AppendBool(Key(key), v); }
    void Colour(std::string_view key, core::ColourNumber c, const DashboardLook& look) {
        AppendColour(Key(key), c, look);
    }

private:
    std::string& m_out;
    bool m_first = true;
};

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
    Members m(out);
    m.Integer("i", static_cast<std::uint64_t>(info.element));
    m.Text("n", info.name);
    m.Text("k", KindName(info.kind));
    m.Number("x", info.left);
    m.Number("y", info.top);
    m.Number("w", info.width);
    m.Number("h", info.height);
    if (!info.font.family.empty()) {
        m.Text("font", info.font.family);
        m.Number("pt", info.font.pointSize);
        m.Bool("bold", info.font.bold);
        m.Colour("fg", info.textColor, look);
    }
    if (panel::ShowsReading(info.element)) m.Bool("reading", true);
    // Captions of one kind share one size: the group is named by its first member.
    if (const auto group = panel::SameSizeGroup(info.element); !group.empty()) {
        m.Integer("same", static_cast<std::uint64_t>(group.front()));
    }
    if (info.kind == ElementKind::TextField) {
        // As on the desktop: a field without a fill is read from the left, a filled one centred.
        m.Text("align",
               panel::TextAlignment(info.element) == panel::TextAlign::Left ? "left" : "center");
    }
    if (info.kind == ElementKind::BarGauge) {
        m.Text("dir", info.orientation == panel::Orientation::Vertical ? "v" : "h");
        m.Colour("fill", info.foreColor, look);
    }
}

}  // namespace

std::string PicturePath(Element e) { return "/picture/" + std::string(panel::Info(e).name); }

bool HasBuiltinPicture(Element e) { return e == Element::Image1 || e == Element::Picture1; }

std::optional<std::size_t> PictureSlot(Element e) {
    switch (e) {
        case Element::Image1: return 0;
        case Element::Image2: return 1;
        case Element::Picture1: return 2;
        default: return std::nullopt;
    }
}

PixelSize LargestPictureSize(Element e) {
    const panel::ElementInfo& info = panel::Info(e);
    return {2 * info.width / panel::kTwipsPerPixel, 2 * info.height / panel::kTwipsPerPixel};
}

FeedEncoder::FeedEncoder(const panel::PanelModel& model, DashboardLook look,
                         const laps::LapsView* laps)
    : m_model(model),
      m_look(look),
      m_sent(model.Revision()),
      m_laps(laps),
      m_lapsSent(laps != nullptr ? laps->revision : 0) {}

void FeedEncoder::SkipToNow() {
    m_sent = m_model.Revision();
    if (m_laps != nullptr) m_lapsSent = m_laps->revision;
}

void FeedEncoder::AppendState(std::string& out, Element e) const {
    const panel::ElementState& s = m_model[e];
    const ElementKind kind = panel::Info(e).kind;
    Members m(out);
    m.Integer("i", static_cast<std::uint64_t>(e));
    m.Bool("v", s.visible);
    switch (kind) {
        case ElementKind::TextField:
        case ElementKind::Lamp:
        case ElementKind::BarGauge: AppendCp1252(m.Key("t"), s.text); break;
        default: break;
    }
    if (kind == ElementKind::Lamp) {
        m.Bool("on", s.enabled);
    } else if (kind != ElementKind::Picture) {
        m.Colour("bg", s.backColor, m_look);
    }
    if (kind == ElementKind::BarGauge) {
        m.Number("min", s.minvalue);
        m.Number("max", s.maxvalue);
        m.Number("val", s.value);
    }
    if (kind == ElementKind::Picture) {
        // The revision in the address makes the browser fetch the picture again after a change.
        if (s.picture.empty() && !HasBuiltinPicture(e)) {
            m.Key("p") += "null";
        } else {
            m.Text("p", PicturePath(e) + "?v=" + std::to_string(s.revision));
        }
    }
}

std::string FeedEncoder::Full() const {
    std::string out;
    {
        Members m(out);
        m.Text("type", "full");
        m.Integer("rev", m_model.Revision());
        m.Bool("stale", m_model.Stale());
        {
            Members panel(m.Key("panel"));
            panel.Integer("w", panel::kDesignClientWidth);
            panel.Integer("h", panel::kDesignClientHeight);
            panel.Colour("bg", m_look.panel, m_look);
            panel.Colour("lampFace", m_look.lampFace, m_look);
            panel.Colour("lampText", m_look.lampText, m_look);
            panel.Colour("lampDarkText", m_look.lampDarkText, m_look);
        }
        m.Key("layout") += '[';
        const char* separator = "";
        for (const panel::CollectionEntry& entry : panel::ElementCollection()) {
            if (entry.type == panel::CollectionEntry::Type::PanelElement && Shown(entry.element)) {
                AppendLayout(out += separator, panel::Info(entry.element), m_look);
                separator = ",";
            }
        }
        out += ']';
        AppendStates(m.Key("state"), std::nullopt);
    }
    return out;
}

std::optional<std::string> FeedEncoder::Delta() {
    if (m_model.Revision() == m_sent) {
        return std::nullopt;
    }
    std::string out;
    {
        Members m(out);
        m.Text("type", "delta");
        m.Integer("rev", m_model.Revision());
        m.Bool("stale", m_model.Stale());
        AppendStates(m.Key("state"), m_sent);
    }
    m_sent = m_model.Revision();
    return out;
}

std::optional<std::string> FeedEncoder::Laps() const {
    if (m_laps == nullptr) return std::nullopt;
    const laps::LapsView& view = *m_laps;
    std::string out;
    {
        Members m(out);
        m.Text("type", "laps");
        m.Integer("rev", view.revision);
        AppendCp1252(m.Key("title"), view.title);
        AppendCp1252(m.Key("panelCaption"), m_model.MenuAt(panel::Menu::WebDashboard).caption);
        AppendArray(m.Key("columns"), view.columns, AppendCp1252);
        AppendArray(m.Key("rows"), view.rows, [](std::string& o, const laps::LapsView::Row& row) {
            Members r(o);
            AppendArray(r.Key("cells"), row.cells, AppendCp1252);
            r.Bool("best", row.best);
            r.Bool("pit", row.pit);
        });
        AppendArray(m.Key("figures"), view.figures,
                    [](std::string& o, const laps::LapsView::Figure& figure) {
                        Members f(o);
                        AppendCp1252(f.Key("caption"), figure.caption);
                        AppendCp1252(f.Key("value"), figure.value);
                    });
        AppendArray(m.Key("plots"), view.plots,
                    [](std::string& o, const laps::LapsView::Plot& plot) {
                        Members p(o);
                        AppendCp1252(p.Key("caption"), plot.caption);
                        AppendArray(p.Key("series"), plot.series, AppendCp1252);
                        AppendArray(p.Key("values"), plot.values,
                                    [](std::string& line, const std::vector<double>& values) {
                                        AppendArray(line, values, AppendNumber);
                                    });
                    });
    }
    return out;
}

std::optional<std::string> FeedEncoder::LapsMoved() {
    if (m_laps == nullptr || m_laps->revision == m_lapsSent) return std::nullopt;
    m_lapsSent = m_laps->revision;
    return Laps();
}

void FeedEncoder::AppendStates(std::string& out, std::optional<std::uint64_t> after) const {
    out += '[';
    const char* separator = "";
    const panel::PanelChanges changed =
        after ? m_model.ChangedSince(*after) : panel::PanelChanges{};
    for (const panel::ElementInfo& info : panel::ElementCatalogue()) {
        const auto i = static_cast<std::size_t>(info.element);
        if (Shown(info.element) && (!after || changed.elements[i])) {
            AppendState(out += separator, info.element);
            separator = ",";
        }
    }
    out += ']';
}

}  // namespace kerbview::web
