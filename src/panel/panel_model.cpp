// SPDX-License-Identifier: MIT
#include "panel/panel_model.h"

#include "panel/element_catalogue.h"

namespace kerbview::panel {

// Every element starts as the catalogue lists it; gauges start empty at their range.
PanelModel::PanelModel() {
    for (const ElementInfo& info : ElementCatalogue()) {
        ElementState& s = Touch(info.element);
        s.text.assign(info.text);
        s.backColor = info.backColor;
        if (info.kind == ElementKind::BarGauge) {
            s.minvalue = info.minvalue;
            s.maxvalue = info.maxvalue;
            s.value = 0;
        }
    }
    for (const MenuInfo& info : MenuCatalogue()) {
        m_menus[static_cast<std::size_t>(info.menu)].caption.assign(info.caption);
    }
}

void PanelModel::SetText(Element e, std::string_view text) {
    ElementState& s = Touch(e);
    if (s.text != text) {
        s.text.assign(text);
        Bump(s);
    }
}

void PanelModel::SetBackColor(Element e, core::ColourNumber colour) {
    ElementState& s = Touch(e);
    if (s.backColor != colour) {
        s.backColor = colour;
        Bump(s);
    }
}

void PanelModel::SetEnabled(Element e, bool enabled) {
    ElementState& s = Touch(e);
    if (s.enabled != enabled) {
        s.enabled = enabled;
        Bump(s);
    }
}

void PanelModel::SetVisible(Element e, bool visible) {
    ElementState& s = Touch(e);
    if (s.visible != visible) {
        s.visible = visible;
        Bump(s);
    }
}

// Gauge values compare bitwise-unequal NaNs as changed, so a NaN write is always shown.
void PanelModel::SetMinValue(Element e, double v) {
    ElementState& s = Touch(e);
    if (!(s.minvalue == v)) {
        s.minvalue = v;
        Bump(s);
    }
}

void PanelModel::SetMaxValue(Element e, double v) {
    ElementState& s = Touch(e);
    if (!(s.maxvalue == v)) {
        s.maxvalue = v;
        Bump(s);
    }
}

void PanelModel::SetValue(Element e, double v) {
    ElementState& s = Touch(e);
    if (!(s.value == v)) {
        s.value = v;
        Bump(s);
    }
}

void PanelModel::SetPicture(Element e, std::string_view file) {
    ElementState& s = Touch(e);
    s.picture.assign(file);
    Bump(s);  // the same file name may hold a new picture
}

void PanelModel::SetMenuCaption(Menu m, std::string_view caption) {
    MenuState& s = m_menus[static_cast<std::size_t>(m)];
    if (s.caption != caption) {
        s.caption.assign(caption);
        Bump(s);
    }
}

void PanelModel::SetMenuChecked(Menu m, bool checked) {
    MenuState& s = m_menus[static_cast<std::size_t>(m)];
    if (s.checked != checked) {
        s.checked = checked;
        Bump(s);
    }
}

void PanelModel::SetMenuEnabled(Menu m, bool enabled) {
    MenuState& s = m_menus[static_cast<std::size_t>(m)];
    if (s.enabled != enabled) {
        s.enabled = enabled;
        Bump(s);
    }
}

void PanelModel::SetStale(bool stale) {
    if (m_stale != stale) {
        m_stale = stale;
        ++m_revision;
        Changed();
    }
}

PanelChanges PanelModel::ChangedSince(std::uint64_t r) const {
    PanelChanges changes;
    if (r == m_revision) return changes;
    for (std::size_t i = 0; i < kElementCount; ++i)
        changes.elements[i] = m_elements[i].revision > r;
    for (std::size_t i = 0; i < kMenuCount; ++i) changes.menus[i] = m_menus[i].revision > r;
    return changes;
}

DebugModel::DebugModel() {
    for (int n = 1; n <= 9; ++n) {
        m_labels[static_cast<std::size_t>(n)] = ".";
    }
}

void DebugModel::SetLabel(int n, std::string_view text) {
    std::string& l = m_labels.at(static_cast<std::size_t>(n));
    if (l != text) {
        l.assign(text);
        ++m_revision;
        Changed();
    }
}

void DebugModel::AppendLog(std::string_view line) {
    if (m_log.size() == kLogLines) m_log.pop_front();
    m_log.emplace_back(line);
    ++m_revision;
    Changed();
}

}  // namespace kerbview::panel
